// Secondary indexes (.Xnn/.Ynn and .XGn/.YGn): finding them by name and
// producing the record order Paradox gives for them. The order is read from
// the .X file; when that file cannot be matched to the table (out of date,
// or the table has no key to match by) the records are sorted in memory
// with the table's collation instead.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "paradox/table.h"

namespace paradox {

struct SecondaryIndexInfo {
    std::string name;  // index name (.XGn) or field name (.Xnn)
    std::string path;  // the .X file
    FileHeader header;
};

// The .Y beside an .X: the same name with Y for X.
std::string TreePathOf(const std::string& x_path);

// Every secondary index file beside the table, with its header read.
Status ListSecondaryIndexes(const Table& table, std::vector<SecondaryIndexInfo>* indexes);

class IndexOrder {
public:
    // Opens the index called name (letter case ignored).
    static Status Open(const Table& table, const std::string& name, std::unique_ptr<IndexOrder>* order);
    static Status Build(const Table& table, const SecondaryIndexInfo& info, std::unique_ptr<IndexOrder>* order);

    const std::string& name() const { return name_; }
    uint64_t size() const { return records_.size(); }
    uint64_t RecordAt(uint64_t position) const { return records_[position]; }
    const KeyLayout& key() const { return key_; }
    const uint8_t* KeyAt(uint64_t position) const { return keys_.data() + position * key_.width(); }
    bool case_insensitive() const { return case_insensitive_; }
    // True when the order came from the .X file, false when sorted in memory.
    bool read_from_file() const { return read_from_file_; }

    // First position whose first n key fields are >= key (> key when upper).
    uint64_t Bound(const std::vector<uint8_t>& key, size_t n, bool upper) const;

private:
    Status ReadFromFile(const Table& table, const SecondaryIndexInfo& info);
    Status SortInMemory(const Table& table);
    Status MatchesRecord(const Table& table, const uint8_t* x_record, uint64_t record_number) const;
    Status LocateRecord(const Table& table, const uint8_t* x_record, uint16_t hint_block, uint64_t* record_number) const;

    std::string name_;
    KeyLayout key_;
    const Collation* collation_ = nullptr;
    std::vector<int> key_source_;  // table field behind each key field
    bool case_insensitive_ = false;
    bool read_from_file_ = false;
    std::vector<uint64_t> records_;
    std::vector<uint8_t> keys_;
};

}  // namespace paradox
