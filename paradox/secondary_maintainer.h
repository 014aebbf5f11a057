// Keeping one secondary index (.X with its .Y) in step with its keyed table
// record by record, instead of rebuilding it after every post: the .X is a
// keyed file of its own (index fields, then the primary key fields, then the
// data block as a hint), so an entry is dropped or added like a record, and
// the .Y follows through a tree writer. The .X header is written last with
// the table's change stamp (byte 0x2F); an index whose stamps differ is
// compared entry by entry with the table, so one left half-changed by an
// interrupted writer is rebuilt while one whose stamps another program left
// behind is kept.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "paradox/block_store.h"
#include "paradox/secondary_index.h"
#include "paradox/tree_writer.h"

namespace paradox {

class SecondaryMaintainer {
public:
    // NotSupported: a layout only a rebuild handles (unkeyed table, other
    // record shape). Corruption: the files do not match the table (entry
    // count, entries, .Y); rebuild them and load again.
    static Status Load(const Table& table, const SecondaryIndexInfo& info, uint8_t table_stamp,
                       std::unique_ptr<SecondaryMaintainer>* maintainer);

    const SecondaryIndexInfo& info() const { return info_; }
    // True when changing old_record into new_record leaves the entry alone.
    bool SameEntry(const uint8_t* old_record, const uint8_t* new_record) const;
    // The entry of a table record that lies in data block `block`.
    Status Add(const uint8_t* record, uint16_t block);
    Status Drop(const uint8_t* record);
    // The .Y (when the .X changed), then the .X header with table_stamp.
    Status Commit(uint8_t table_stamp, bool durable);

private:
    SecondaryMaintainer() = default;
    // The entries match the table record for record, in order, and the .Y
    // holds each block's first key.
    Status CheckContents(const Table& table) const;
    Status ReadFirstKeys();
    Status RefreshFirstKeys(size_t from, size_t to);
    std::vector<uint8_t> EntryKey(const uint8_t* record) const;
    size_t Find(const uint8_t* key) const;
    Status SlotIn(size_t index, const uint8_t* key, uint32_t* slot, bool* equal) const;
    Status AfterChange(size_t index, size_t chain_before);

    SecondaryIndexInfo info_;
    std::string name_;
    KeyLayout key_;
    const Collation* collation_ = nullptr;
    std::vector<FieldInfo> source_;  // table field behind each key field
    bool case_insensitive_ = false;
    bool folds_key_ = false;  // primary key text is stored upper-cased
    uint32_t width_ = 0, record_size_ = 0;
    std::unique_ptr<WritableFile> file_;
    std::vector<uint8_t> header_;
    std::vector<ChainEntry> chain_;
    std::vector<std::vector<uint8_t>> first_keys_;  // per chain entry
    std::unique_ptr<BlockStore> store_;
    std::unique_ptr<TreeWriter> tree_;
    bool changed_ = false;
};

}  // namespace paradox
