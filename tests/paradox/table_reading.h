// Reading tables back in the writer tests: every record as dump lines and the
// validator's findings, with the password of the encrypted sample.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "paradox/check.h"
#include "paradox/dump.h"
#include "paradox/table.h"

namespace paradox_test {

inline paradox::OpenOptions Password() {
    paradox::OpenOptions o;
    o.passwords = {"123"};
    return o;
}

inline std::vector<std::string> DumpLines(const std::string& path) {
    std::unique_ptr<paradox::Table> t;
    paradox::Status s = paradox::Table::Open(path, Password(), &t);
    EXPECT_TRUE(s.ok()) << s.ToString();
    std::vector<std::string> lines;
    if (!s.ok()) return lines;
    for (uint64_t i = 0; i < t->record_count(); ++i) {
        paradox::RecordRef r;
        EXPECT_TRUE(t->ReadRecord(i, &r).ok());
        std::string line;
        EXPECT_TRUE(paradox::FormatRecord(*t, r, &line).ok());
        lines.push_back(line);
    }
    return lines;
}

inline std::vector<std::string> Problems(const std::string& path) {
    std::vector<std::string> problems;
    paradox::Status s = paradox::CheckTable(path, Password(), &problems);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return problems;
}

}  // namespace paradox_test
