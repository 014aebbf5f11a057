#include "paradox/secondary_writer.h"

#include <algorithm>
#include <cstring>

#include "paradox/bytes.h"
#include "paradox/crypt.h"
#include "paradox/index_writer.h"
#include "paradox/writable_file.h"

namespace paradox {
namespace {

// Data block and slot of a record.
void PlaceOf(const Table& table, uint64_t record, uint16_t* block, uint32_t* slot) {
    const auto& chain = table.chain();
    auto it = std::upper_bound(chain.begin(), chain.end(), record,
                               [](uint64_t v, const ChainEntry& e) { return v < e.first_record; });
    *block = it == chain.begin() ? 0 : (it - 1)->block;
    *slot = it == chain.begin() ? 0 : uint32_t(record - (it - 1)->first_record);
}

}  // namespace

Status RebuildSecondaryIndex(const Table& table, const SecondaryIndexInfo& info, bool sync) {
    std::unique_ptr<IndexOrder> order;
    PX_RETURN_IF_ERROR(IndexOrder::Build(table, info, &order));
    std::vector<uint8_t> header;
    PX_RETURN_IF_ERROR(ReadHeaderBytes(info.path, &header));
    const FileHeader& h = info.header;
    uint32_t rs = h.record_size, width = order->key().width();
    std::string y_path = TreePathOf(info.path);
    std::vector<uint8_t> y_header;
    PX_RETURN_IF_ERROR(ReadHeaderBytes(y_path, &y_header));
    uint32_t y_key = LoadLe16(&y_header[0]) - 6u;
    if (y_key > rs) return Status::Corruption(BaseName(y_path) + ": keys wider than the entries of " + BaseName(info.path));
    uint32_t per_block = (h.block_size - 6) / rs;
    std::string body;
    std::vector<IndexEntry> leaves;
    uint64_t n = order->size();
    uint16_t blocks = uint16_t((n + per_block - 1) / per_block);
    for (uint16_t b = 0; b < blocks; ++b) {
        std::vector<uint8_t> block(h.block_size, 0);
        uint32_t count = uint32_t(std::min<uint64_t>(per_block, n - uint64_t(b) * per_block));
        for (uint32_t i = 0; i < count; ++i) {
            uint64_t position = uint64_t(b) * per_block + i;
            uint8_t* p = &block[6 + size_t(i) * rs];
            std::memcpy(p, order->KeyAt(position), width);
            uint16_t data_block;
            uint32_t slot;
            PlaceOf(table, order->RecordAt(position), &data_block, &slot);
            StoreEntryHints(order->layout(), order->RecordAt(position), data_block, slot, p);
        }
        StoreLe16(&block[0], b + 1 < blocks ? uint16_t(b + 2) : 0);
        StoreLe16(&block[2], b);
        StoreLe16(&block[4], uint16_t(int16_t((int32_t(count) - 1) * int32_t(rs))));
        leaves.push_back(IndexEntry{std::vector<uint8_t>(&block[6], &block[6] + y_key), uint16_t(b + 1), count});
        if (h.IsEncrypted()) EncryptDbBlock(block.data(), block.size(), h.password_checksum, b + 1u);
        body.append(block.begin(), block.end());
    }
    StoreLe32(&header[0x06], uint32_t(n));
    for (size_t at : {0x0A, 0x0C, 0x10, 0x3A}) StoreLe16(&header[at], blocks);
    StoreLe16(&header[0x0E], blocks ? 1 : 0);
    StoreLe16(&header[0x4D], 0);
    ++header[0x2D];
    header[0x2F] = table.header().change_count;
    y_header[0x2C] = header[0x2D];
    std::string y_bytes;
    PX_RETURN_IF_ERROR(BuildIndexTree(std::move(y_header), leaves, &y_bytes));
    std::string x_bytes(header.begin(), header.end());
    PX_RETURN_IF_ERROR(ReplaceFile(info.path, x_bytes + body, sync));
    return ReplaceFile(y_path, y_bytes, sync);
}

}  // namespace paradox
