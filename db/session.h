// The table session: the password list shared by every table and the
// password event that may supply another password when an open fails.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "paradox/status.h"
#include "paradox/table.h"

namespace zelvon::db {

using Status = paradox::Status;

// The built-in password of the suite's protected tables; every session knows it.
inline constexpr const char* kBuiltinPassword = "SilverMoose";

class Session {
public:
    // Called when a table needs a password the session lacks. The handler may
    // AddPassword() and sets retry to try the open again.
    using PasswordHandler = std::function<void(Session& session, bool& retry)>;

    Session();

    void AddPassword(const std::string& password);
    void RemoveAllPasswords();
    const std::vector<std::string>& passwords() const { return passwords_; }
    void SetPasswordHandler(PasswordHandler handler) { password_handler_ = std::move(handler); }

    // Opens a table file with the passwords, asking the handler while it says retry.
    Status OpenTable(const std::string& path, std::unique_ptr<paradox::Table>* table);

private:
    std::vector<std::string> passwords_;
    PasswordHandler password_handler_;
};

}  // namespace zelvon::db
