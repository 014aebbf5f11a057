// Consistency check of a table and its index and memo files, as run by
// `pxtool check`: block chain, record counts, key order, primary index
// entries, secondary indexes and every field value.
#pragma once

#include <string>
#include <vector>

#include "paradox/table.h"

namespace paradox {

// Fills problems with one line per fault found, and warnings (when given)
// with what is unusual but readable, such as a file that ends inside its
// last block; returns an error only when the table cannot be opened at all.
Status CheckTable(const std::string& path, const OpenOptions& options, std::vector<std::string>* problems,
                  std::vector<std::string>* warnings = nullptr);

}  // namespace paradox
