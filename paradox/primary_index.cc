#include "paradox/primary_index.h"

#include "paradox/bytes.h"

namespace paradox {

uint16_t PrimaryIndex::ChildOf(const Block& block, uint32_t entry, uint32_t key_width) {
    return uint16_t(LoadBe16(block.Record(entry) + key_width) ^ 0x8000);
}

uint16_t PrimaryIndex::CountOf(const Block& block, uint32_t entry, uint32_t key_width) {
    return uint16_t(LoadBe16(block.Record(entry) + key_width + 2) ^ 0x8000);
}

Status PrimaryIndex::Open(const std::string& path, const FileHeader& table, std::unique_ptr<PrimaryIndex>* out) {
    auto index = std::unique_ptr<PrimaryIndex>(new PrimaryIndex());
    PX_RETURN_IF_ERROR(OpenFile(path, &index->file_));
    PX_RETURN_IF_ERROR(ReadHeader(*index->file_, &index->header_));
    const FileHeader& h = index->header_;
    const std::string& name = index->file_->Name();
    if (h.file_type != FileType::kPrimaryIndex) return Status::Corruption(name + ": not a primary index file");
    if (h.num_fields != table.key_fields) return Status::Corruption(name + ": index has " + std::to_string(h.num_fields) +
                                                                     " key fields, the table " + std::to_string(table.key_fields));
    for (size_t i = 0; i < h.num_fields; ++i)
        if (h.fields[i].type != table.fields[i].type || h.fields[i].width != table.fields[i].width)
            return Status::Corruption(name + ": key field " + std::to_string(i + 1) + " does not match the table");
    if (h.num_records > 0 && (h.root_block < 1 || h.root_block > h.file_blocks))
        return Status::Corruption(name + ": root block " + std::to_string(h.root_block) + " outside the file");
    if (h.index_levels > 16) return Status::Corruption(name + ": " + std::to_string(h.index_levels) + " index levels");
    index->table_blocks_ = table.file_blocks;
    index->blocks_ = std::make_unique<BlockFile>(index->file_.get(), &index->header_);
    *out = std::move(index);
    return Status::Ok();
}

Status PrimaryIndex::Refresh(const FileHeader& table, const std::vector<uint16_t>& rewritten) {
    PX_RETURN_IF_ERROR(file_->UpdateSize());
    FileHeader h;
    PX_RETURN_IF_ERROR(ReadHeader(*file_, &h));
    if (h.num_records > 0 && (h.root_block < 1 || h.root_block > h.file_blocks))
        return Status::Corruption(file_->Name() + ": root block " + std::to_string(h.root_block) + " outside the file");
    header_ = std::move(h);
    table_blocks_ = table.file_blocks;
    for (uint16_t block : rewritten) blocks_->Forget(block);
    return Status::Ok();
}

Status PrimaryIndex::FindDataBlock(const KeyLayout& layout, const uint8_t* key, size_t n, bool upper,
                                   uint16_t* data_block) const {
    const std::string& name = file_->Name();
    if (header_.num_records == 0 || header_.index_levels == 0) return Status::NotFound(name + ": index is empty");
    uint32_t key_width = layout.width();
    uint16_t block_number = header_.root_block;
    for (int level = header_.index_levels; level >= 1; --level) {
        BlockRef block;
        PX_RETURN_IF_ERROR(blocks_->ReadBlock(block_number, &block));
        if (block->record_count == 0)
            return Status::Corruption(name + ": empty index block " + std::to_string(block_number));
        // Last entry below the bound: the bound cannot lie in an earlier child.
        uint32_t lo = 0, hi = block->record_count;
        while (lo < hi) {
            uint32_t mid = lo + (hi - lo) / 2;
            int c = layout.Compare(block->Record(mid), key, n);
            if (c < 0 || (upper && c == 0))
                lo = mid + 1;
            else
                hi = mid;
        }
        uint32_t entry = lo == 0 ? 0 : lo - 1;
        uint16_t child = ChildOf(*block, entry, key_width);
        uint16_t limit = level == 1 ? table_blocks_ : header_.file_blocks;
        if (child < 1 || child > limit)
            return Status::Corruption(name + ": corrupt block " + std::to_string(block_number) + ": entry " +
                                      std::to_string(entry) + " points to block " + std::to_string(child));
        block_number = child;
    }
    *data_block = block_number;
    return Status::Ok();
}

}  // namespace paradox
