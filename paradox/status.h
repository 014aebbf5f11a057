// Status: the result of an engine operation, either OK or an error with a
// message that names the file and what failed (LevelDB style; no exceptions).
#pragma once

#include <string>
#include <utility>

namespace paradox {

class Status {
public:
    enum class Code { kOk, kNotFound, kCorruption, kIoError, kInvalidArgument, kPermissionDenied, kNotSupported, kLocked };

    Status() = default;

    static Status Ok() { return Status(); }
    static Status NotFound(std::string message) { return Status(Code::kNotFound, std::move(message)); }
    static Status Corruption(std::string message) { return Status(Code::kCorruption, std::move(message)); }
    static Status IoError(std::string message) { return Status(Code::kIoError, std::move(message)); }
    static Status InvalidArgument(std::string message) { return Status(Code::kInvalidArgument, std::move(message)); }
    static Status PermissionDenied(std::string message) { return Status(Code::kPermissionDenied, std::move(message)); }
    static Status NotSupported(std::string message) { return Status(Code::kNotSupported, std::move(message)); }
    // Another process holds the table for writing and did not let go in time.
    static Status Locked(std::string message) { return Status(Code::kLocked, std::move(message)); }

    bool ok() const { return code_ == Code::kOk; }
    Code code() const { return code_; }
    bool IsNotFound() const { return code_ == Code::kNotFound; }
    bool IsCorruption() const { return code_ == Code::kCorruption; }
    bool IsPermissionDenied() const { return code_ == Code::kPermissionDenied; }
    bool IsNotSupported() const { return code_ == Code::kNotSupported; }
    bool IsLocked() const { return code_ == Code::kLocked; }
    const std::string& message() const { return message_; }
    std::string ToString() const { return ok() ? "OK" : message_; }

private:
    Status(Code code, std::string message) : code_(code), message_(std::move(message)) {}

    Code code_ = Code::kOk;
    std::string message_;
};

}  // namespace paradox

#define PX_RETURN_IF_ERROR(expr)           \
    do {                                   \
        ::paradox::Status _st = (expr);    \
        if (!_st.ok()) return _st;         \
    } while (0)
