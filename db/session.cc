#include "db/session.h"

#include <algorithm>

namespace zelvon::db {

Session::Session() { AddPassword(kBuiltinPassword); }

void Session::AddPassword(const std::string& password) {
    if (!password.empty() && std::find(passwords_.begin(), passwords_.end(), password) == passwords_.end())
        passwords_.push_back(password);
}

void Session::RemoveAllPasswords() { passwords_.clear(); }

Status Session::OpenTable(const std::string& path, std::unique_ptr<paradox::Table>* table) {
    for (;;) {
        paradox::OpenOptions options;
        options.passwords = passwords_;
        Status s = paradox::Table::Open(path, options, table);
        if (!s.IsPermissionDenied() || !password_handler_) return s;
        bool retry = false;
        password_handler_(*this, retry);
        if (!retry) return s;
    }
}

}  // namespace zelvon::db
