// The conversation component of the local quote feeds, DdeClientConv1 with
// its item DdeClientItem1: the DDE client operations the feeds rely on,
// carried over the feed socket protocol (one connection per conversation).
// Every call is synchronous; a silent feed holds the caller until the
// protocol's time limit passes.
#pragma once

#include "platform/error.h"
#include "platform/feed_socket.h"

#include <QString>

#include <memory>

namespace zelvon {

// A failure of an open conversation: no answer in time, the feed hung up, or
// an answer the protocol does not know. The conversation is over after it.
class DdeError : public Error {
public:
    using Error::Error;
};

// The item: its name and the text of its last value.
class DdeClientItem {
public:
    void SetDdeItem(const QString& item) { item_ = item; }
    const QString& DdeItem() const { return item_; }
    const QString& GetText() const { return text_; }
    void SetText(const QString& text) { text_ = text; }
    // Lines.Clear: empties the text before a new request.
    void Clear() { text_.clear(); }

private:
    QString item_;
    QString text_;
};

class DdeClientConv {
public:
    static constexpr int kConnectTimeoutMs = 2000;
    static constexpr int kRequestTimeoutMs = 5000;

    DdeClientConv();
    ~DdeClientConv();

    // Closes a conversation still open, then names the new partner.
    bool SetLink(const QString& service, const QString& topic);
    void SetDdeTopic(const QString& topic) { topic_ = topic; }
    // True when the service accepted the topic; an open conversation stays open.
    bool OpenLink();
    // The item's current value, empty when the feed has none. Raises DdeError.
    QString RequestData(const QString& item);
    void CloseLink();

    bool linkOpen() const { return connection_ != nullptr; }
    const QString& DdeService() const { return service_; }
    const QString& DdeTopic() const { return topic_; }

private:
    [[noreturn]] void fail(const QString& item, const QString& what);

    QString service_;
    QString topic_;
    std::unique_ptr<feed::LineConnection> connection_;
};

}  // namespace zelvon
