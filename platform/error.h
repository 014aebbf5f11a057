// The program's error type: raised where an operation cannot go on, caught at
// every event-handler entry and shown in the standard error box.
#pragma once

#include <QString>

#include <stdexcept>

namespace zelvon {

class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

}  // namespace zelvon
