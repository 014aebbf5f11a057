// Secondary indexes (.Xnn/.Ynn and .XGn/.YGn): finding them by name and
// producing the record order Paradox gives for them. The order is read from
// the .X file, each entry matched to its record (by primary key, or by its
// values where the key is folded or the table has none); when that file
// cannot be matched to the table (out of date) the records are sorted in
// memory with the table's collation instead.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "paradox/index_layout.h"
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
    // Why the .X file was not used (empty when it was).
    const std::string& mismatch() const { return mismatch_; }
    const IndexLayout& layout() const { return layout_; }

    // Position of the first entry that sorts before its predecessor, or
    // size() when all are in order.
    uint64_t FirstOutOfOrder() const;

    // First position whose first n key fields are >= key (> key when upper).
    uint64_t Bound(const std::vector<uint8_t>& key, size_t n, bool upper) const;

private:
    // Records by the values their entry holds, each handed out once.
    struct Candidates {
        std::vector<uint64_t> records;
        size_t next = 0;
    };
    using ValueMap = std::unordered_map<std::string, Candidates>;

    Status ReadFromFile(const Table& table, const SecondaryIndexInfo& info);
    bool FoldsPrimaryKey(const Table& table) const;
    void EntryValues(const uint8_t* record, uint8_t* out) const;
    Status MapByValues(const Table& table, ValueMap* map) const;
    Status LocateByValues(const uint8_t* x_record, ValueMap* map, uint64_t* record_number) const;
    Status SortInMemory(const Table& table);
    Status MatchesRecord(const Table& table, const uint8_t* x_record, uint64_t record_number) const;
    Status LocateRecord(const Table& table, const uint8_t* x_record, uint16_t hint_block, uint64_t* record_number) const;

    std::string name_;
    KeyLayout key_;
    const Collation* collation_ = nullptr;
    IndexLayout layout_;
    std::vector<int> key_source_;  // table field behind each key field
    std::vector<FieldInfo> source_fields_;
    bool case_insensitive_ = false;
    bool read_from_file_ = false;
    std::string mismatch_;
    std::vector<uint64_t> records_;
    std::vector<uint8_t> keys_;
};

}  // namespace paradox
