// What the two local quote feeds share: the main window's conversation
// component driven one item at a time, and the cut of an answer (the text
// before its first blank; prices with their first "," turned into ".").
#pragma once

#include "extract/extraction.h"

#include <QString>

#include <functional>

namespace zelvon::extract::feed {

// The text before the first blank, all of it without one.
QString ValueText(const QString& answer);
// ValueText with its first "," turned into ".".
QString PriceValueText(const QString& answer);
// DotToFloat and DotToInteger of a cut answer; 0 when it does not convert.
double PriceValue(const QString& priceText);
int32_t SizeValue(const QString& answer);

// Runs a feed's read; any error raised in it (by the conversation component
// above all) sets Lade and is noted in the outcome, and the storage step then
// runs with what was read.
void GuardedRead(Extraction& run, const std::function<void()>& read);

class FeedConversation {
public:
    // Raises Error when the main window gave no conversation component.
    FeedConversation(Extraction& run, QString service);

    DdeClientConv& conv() { return conv_; }
    DdeClientItem& item() { return item_; }
    // SetLink to the service and the topic, then OpenLink.
    bool link(const QString& topic);
    // Empties the item, names it, asks for it; the item's text afterwards.
    QString request(const QString& itemName);
    void close() { conv_.CloseLink(); }

    void setLade(bool lade);
    void readToday();

private:
    Extraction& run_;
    QString service_;
    DdeClientConv& conv_;
    DdeClientItem& item_;
};

}  // namespace zelvon::extract::feed
