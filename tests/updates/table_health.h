// After every update run: each table of a data directory passes `pxtool
// check`, and pxlib and our engine read every record of it.
#pragma once

#include <QString>

#include <string>
#include <vector>

namespace zelvon::test {

// The .db files of directory (any letter case), full paths, sorted.
std::vector<std::string> TablesIn(const QString& directory);

// Empty when every table is sound; otherwise one line per fault. Refused
// downloads (Tmp*) and the protected depot tables are left out.
std::vector<std::string> TableFaults(const QString& directory);
// Only what readers need: pxlib and our engine read every record. A writer
// killed inside a post may leave a secondary index behind its table, which
// readers sort out and the next writer rebuilds, but `pxtool check` reports.
std::vector<std::string> ReadFaults(const QString& directory);

}  // namespace zelvon::test
