#include "paradox/check.h"

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

void CheckRecords(const Table& table, std::vector<std::string>* problems) {
    if (table.header().num_records != table.record_count())
        problems->push_back(table.name() + ": header says " + std::to_string(table.header().num_records) +
                            " records, the data blocks hold " + std::to_string(table.record_count()));
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

void CheckPrimaryIndex(const Table& table, std::vector<std::string>* problems) {
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
    const auto& chain = table.chain();
    size_t live = 0;
    for (const ChainEntry& e : chain) live += e.record_count ? 1 : 0;
    if (leaves.size() != live) {
        problems->push_back(name + ": " + std::to_string(leaves.size()) + " leaf entries for " + std::to_string(live) + " data blocks");
        return;
    }
    size_t leaf = 0;
    for (const ChainEntry& e : chain) {
        if (e.record_count == 0) continue;
        const LeafEntry& entry = leaves[leaf++];
        RecordRef first;
        if (entry.block != e.block || entry.count != e.record_count || !table.ReadRecord(e.first_record, &first).ok() ||
            std::memcmp(first.data, entry.key.data(), entry.key.size()) != 0)
            problems->push_back(name + ": entry " + std::to_string(leaf) + " does not match data block " + std::to_string(e.block));
    }
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
    CheckRecords(*table, problems);
    CheckPrimaryIndex(*table, problems);
    CheckSecondaryIndexes(*table, problems, warnings);
    return Status::Ok();
}

}  // namespace paradox
