#include "paradox/check.h"

#include <cstdlib>
#include <cstring>
#include <functional>

#include "paradox/secondary_index.h"

namespace paradox {
namespace {

void NoteShortFile(const RandomAccessFile& file, const FileHeader& header, std::vector<std::string>* warnings) {
    uint64_t missing = header.MissingBytes(file.Size());
    if (missing > 0 && warnings)
        warnings->push_back(file.Name() + ": the file ends " + std::to_string(missing) + " bytes short of its last block");
}

// A post writes its data block before the header that counts the record:
// one record more in the blocks is that post interrupted. Readers go by the
// header or by the blocks and see whole records either way, and the next
// writer takes the record in.
bool PostInFlight(const Table& table) { return table.record_count() == uint64_t(table.header().num_records) + 1; }

void CheckRecords(const Table& table, std::vector<std::string>* problems, std::vector<std::string>* warnings) {
    std::string counts = table.name() + ": header says " + std::to_string(table.header().num_records) +
                         " records, the data blocks hold " + std::to_string(table.record_count());
    if (PostInFlight(table)) {
        if (warnings) warnings->push_back(counts + " (an interrupted post; the next writer counts it)");
    } else if (table.header().num_records != table.record_count()) {
        problems->push_back(counts);
    }
    RecordRef previous, record;
    Value value;
    for (uint64_t r = 0; r < table.record_count(); ++r) {
        Status s = table.ReadRecord(r, &record);
        for (size_t f = 0; s.ok() && f < table.fields().size(); ++f) s = table.ReadValue(record, f, &value);
        if (!s.ok()) {
            problems->push_back("record " + std::to_string(r + 1) + ": " + s.ToString());
            continue;
        }
        if (table.is_keyed() && previous.data &&
            table.primary_key().Compare(previous.data, record.data, table.primary_key().field_count()) >= 0)
            problems->push_back(table.name() + ": record " + std::to_string(r + 1) + " is not in primary key order");
        previous = record;
    }
}

struct LeafEntry {
    uint16_t block;
    uint16_t count;
    std::vector<uint8_t> key;
};

Status CollectLeaves(const PrimaryIndex& px, uint16_t block_number, int level, std::vector<bool>* seen,
                     std::vector<LeafEntry>* leaves) {
    const std::string& name = px.blocks().file().Name();
    if (block_number < 1 || block_number >= seen->size()) return Status::Corruption(name + ": child block " + std::to_string(block_number) + " outside the file");
    if ((*seen)[block_number]) return Status::Corruption(name + ": block " + std::to_string(block_number) + " is used twice");
    (*seen)[block_number] = true;
    BlockRef block;
    PX_RETURN_IF_ERROR(px.blocks().ReadBlock(block_number, &block));
    uint32_t key_width = px.header().record_size - 6;
    for (uint32_t i = 0; i < block->record_count; ++i) {
        uint16_t child = PrimaryIndex::ChildOf(*block, i, key_width);
        if (level > 1) {
            PX_RETURN_IF_ERROR(CollectLeaves(px, child, level - 1, seen, leaves));
        } else {
            const uint8_t* entry = block->Record(i);
            leaves->push_back(LeafEntry{child, PrimaryIndex::CountOf(*block, i, key_width), {entry, entry + key_width}});
        }
    }
    return Status::Ok();
}

struct LiveBlock {
    uint16_t block;
    uint16_t count;
    const uint8_t* first;
};

// The .PX still as it was before the last post: stamped one change behind
// the table, or in step with a header the post had not reached yet.
bool OnePostBehind(const Table& table, const std::string& px_path) {
    std::vector<uint8_t> px_header;
    if (!ReadHeaderBytes(px_path, &px_header).ok() || px_header.size() <= 0x2C) return false;
    uint8_t px_stamp = px_header[0x2C], stamp = table.header().change_count;
    return uint8_t(px_stamp + 1) == stamp || (PostInFlight(table) && px_stamp == stamp);
}

// Whether leaves differ from the data blocks only as much as one post
// changes them: one block gained or lost, at most two entries with another
// count or first key, and one record more or less in all.
bool WithinOnePost(const std::vector<LiveBlock>& live, const std::vector<LeafEntry>& leaves, size_t key_width) {
    size_t i = 0, j = 0, skipped = 0, differing = 0;
    int64_t records = 0, indexed = 0;
    for (const LiveBlock& b : live) records += b.count;
    for (const LeafEntry& e : leaves) indexed += e.count;
    while (i < live.size() && j < leaves.size()) {
        if (live[i].block == leaves[j].block) {
            differing += live[i].count != leaves[j].count || std::memcmp(live[i].first, leaves[j].key.data(), key_width) != 0;
            ++i, ++j;
        } else {
            ++skipped;
            (live.size() > leaves.size() ? i : j)++;
        }
    }
    skipped += (live.size() - i) + (leaves.size() - j);
    return skipped <= 1 && differing + skipped <= 2 && std::abs(records - indexed) <= 1;
}

void CheckPrimaryIndex(const Table& table, std::vector<std::string>* problems, std::vector<std::string>* warnings) {
    const PrimaryIndex* px = table.primary_index();
    if (!px) return;
    const std::string& name = px->blocks().file().Name();
    std::vector<LeafEntry> leaves;
    std::vector<bool> seen(size_t(px->header().file_blocks) + 1, false);
    if (px->header().num_records > 0) {
        Status s = CollectLeaves(*px, px->header().root_block, px->header().index_levels, &seen, &leaves);
        if (!s.ok()) {
            problems->push_back(s.ToString());
            return;
        }
    }
    std::vector<LiveBlock> live;
    std::vector<RecordRef> firsts;  // keeps the blocks live.first points into
    for (const ChainEntry& e : table.chain()) {
        if (e.record_count == 0) continue;
        RecordRef first;
        if (!table.ReadRecord(e.first_record, &first).ok()) {
            problems->push_back(name + ": data block " + std::to_string(e.block) + " cannot be read");
            return;
        }
        firsts.push_back(first);
        live.push_back(LiveBlock{e.block, uint16_t(e.record_count), first.data});
    }
    std::vector<std::string> found;
    if (leaves.size() != live.size()) {
        found.push_back(name + ": " + std::to_string(leaves.size()) + " leaf entries for " + std::to_string(live.size()) + " data blocks");
    } else {
        for (size_t k = 0; k < live.size(); ++k)
            if (leaves[k].block != live[k].block || leaves[k].count != live[k].count ||
                std::memcmp(live[k].first, leaves[k].key.data(), leaves[k].key.size()) != 0)
                found.push_back(name + ": entry " + std::to_string(k + 1) + " does not match data block " + std::to_string(live[k].block));
    }
    if (found.empty()) return;
    size_t key_width = px->header().record_size - 6;
    if (OnePostBehind(table, CompanionPath(table.path(), "PX")) && WithinOnePost(live, leaves, key_width)) {
        if (warnings) warnings->push_back(name + ": one post behind the table (an interrupted post; the next writer brings it in step)");
        return;
    }
    problems->insert(problems->end(), found.begin(), found.end());
}

void CheckSecondaryIndexes(const Table& table, std::vector<std::string>* problems, std::vector<std::string>* warnings) {
    std::vector<SecondaryIndexInfo> indexes;
    Status s = ListSecondaryIndexes(table, &indexes);
    if (!s.ok()) {
        problems->push_back(s.ToString());
        return;
    }
    for (const SecondaryIndexInfo& info : indexes) {
        std::unique_ptr<RandomAccessFile> file;
        if (OpenFile(info.path, &file).ok()) NoteShortFile(*file, info.header, warnings);
        std::unique_ptr<IndexOrder> order;
        s = IndexOrder::Build(table, info, &order);
        if (!s.ok()) {
            problems->push_back(s.ToString());
            continue;
        }
        if (!order->read_from_file())
            problems->push_back(BaseName(info.path) + ": index '" + info.name + "' does not match the table: " +
                                order->mismatch());
        uint64_t unordered = order->FirstOutOfOrder();
        if (unordered < order->size())
            problems->push_back(BaseName(info.path) + ": entry " + std::to_string(unordered + 1) + " out of order");
    }
}

}  // namespace

Status CheckTable(const std::string& path, const OpenOptions& options, std::vector<std::string>* problems,
                  std::vector<std::string>* warnings) {
    problems->clear();
    if (warnings) warnings->clear();
    std::unique_ptr<Table> table;
    PX_RETURN_IF_ERROR(Table::Open(path, options, &table));
    NoteShortFile(table->blocks().file(), table->header(), warnings);
    if (table->primary_index()) NoteShortFile(table->primary_index()->blocks().file(), table->primary_index()->header(), warnings);
    CheckRecords(*table, problems, warnings);
    CheckPrimaryIndex(*table, problems, warnings);
    CheckSecondaryIndexes(*table, problems, warnings);
    return Status::Ok();
}

}  // namespace paradox
