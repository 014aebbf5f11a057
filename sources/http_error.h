// Failures of an HTTP request: an answer with an error status, or no usable
// answer at all (connection, TLS, time-out, size limit, scheme).
#pragma once

#include "platform/error.h"

namespace zelvon {

class HttpError : public Error {
public:
    HttpError(const QString& message, int responseCode) : Error(message), responseCode_(responseCode) {}
    // The status of the answer, -1 when none arrived.
    int responseCode() const { return responseCode_; }

private:
    int responseCode_;
};

// The server answered with a status of 400 or more.
class HttpStatusError : public HttpError {
public:
    using HttpError::HttpError;
};

// No complete answer: nothing arrived, or the transfer broke off.
class HttpTransportError : public HttpError {
public:
    using HttpError::HttpError;
};

}  // namespace zelvon
