#include "paradox/index_layout.h"

#include "paradox/bytes.h"
#include "paradox/field_codec.h"
#include "paradox/file.h"

namespace paradox {
namespace {

bool IsHint(const FieldInfo& f, const char* name, FieldType type) {
    return f.type == type && EqualsIgnoringCase(f.name, name);
}

}  // namespace

Status ParseIndexLayout(const FileHeader& x, const std::string& file_name, IndexLayout* layout) {
    *layout = IndexLayout();
    const auto& f = x.fields;
    size_t n = f.size();
    if (n >= 4 && IsHint(f[n - 3], "Tup No", FieldType::kLong) && IsHint(f[n - 2], "Blk Num", FieldType::kShort) &&
        IsHint(f[n - 1], "Tup Offset", FieldType::kShort)) {
        layout->record_hints = true;
        layout->value_fields = n - 3;
        layout->tup_no_offset = f[n - 3].offset;
        layout->block_offset = f[n - 2].offset;
        layout->slot_offset = f[n - 1].offset;
    } else if (n >= 2 && f[n - 1].type == FieldType::kShort) {
        layout->value_fields = n - 1;
        layout->block_offset = f[n - 1].offset;
    } else {
        return Status::Corruption(file_name + ": index record layout not recognised (no block field at the end)");
    }
    layout->value_width = f[layout->value_fields].offset;
    return Status::Ok();
}

void StoreEntryHints(const IndexLayout& layout, uint64_t record_number, uint16_t block, uint32_t slot, uint8_t* entry) {
    StoreBe16(entry + layout.block_offset, uint16_t(block ^ 0x8000));
    if (!layout.record_hints) return;
    EncodeInt(int64_t(record_number) + 1, entry + layout.tup_no_offset, 4);
    StoreBe16(entry + layout.slot_offset, uint16_t(slot ^ 0x8000));
}

uint16_t EntryBlock(const IndexLayout& layout, const uint8_t* entry) {
    return uint16_t(LoadBe16(entry + layout.block_offset) ^ 0x8000);
}

}  // namespace paradox
