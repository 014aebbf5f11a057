// The suite maker's contact data, shown in the about box and used for the
// support mail and the default start address.
#pragma once

namespace zelvon::maker {

inline constexpr char kName[] = "Selvaran Software GmbH";
inline constexpr char kSupportAddress[] = "support@selvaran.de";
inline constexpr char kWebPage[] = "https://www.selvaran.de";
inline constexpr char kHomePage[] = "https://www.selvaran.de/index.html";
inline constexpr char kPhoneAndFax[] = "Tel. 0800 7358272 - Fax 0800 7358273";
inline constexpr char kAuthorLine[] = "Programmiert vom Zelvon-Team";
inline constexpr char kVersion[] = "6.4";

}  // namespace zelvon::maker
