// Values handed to key lookups: text, whole numbers, floats (also date-times,
// as days since 1899-12-30) and Booleans.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace zelvon::db {

using Variant = std::variant<std::monostate, bool, int64_t, double, std::string>;

}  // namespace zelvon::db
