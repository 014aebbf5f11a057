#include "paradox/index_writer.h"

#include <cstring>

#include "paradox/bytes.h"
#include "paradox/crypt.h"

namespace paradox {
namespace {

struct Geometry {
    uint32_t record_size, block_size, header_size, per_block, checksum;
};

void StoreTrailer(uint8_t* p, uint16_t child, uint32_t count) {
    StoreBe16(p, uint16_t(child ^ 0x8000));
    StoreBe16(p + 2, uint16_t(uint16_t(count) ^ 0x8000));
    StoreBe16(p + 4, 0);
}

// Writes one level's blocks (numbered from next_block) and returns the
// entries of the level above.
std::vector<IndexEntry> WriteLevel(const Geometry& g, const std::vector<IndexEntry>& entries, uint16_t* next_block,
                                   std::vector<std::vector<uint8_t>>* blocks) {
    std::vector<IndexEntry> parents;
    for (size_t start = 0; start < entries.size(); start += g.per_block) {
        size_t n = std::min<size_t>(g.per_block, entries.size() - start);
        std::vector<uint8_t> block(g.block_size, 0);
        IndexEntry parent{entries[start].key, (*next_block)++, 0};
        for (size_t i = 0; i < n; ++i) {
            const IndexEntry& e = entries[start + i];
            uint8_t* p = block.data() + 6 + i * g.record_size;
            std::memcpy(p, e.key.data(), e.key.size());
            StoreTrailer(p + g.record_size - 6, e.child, e.count);
            parent.count += e.count;
        }
        StoreLe16(block.data() + 4, uint16_t(int16_t((int32_t(n) - 1) * int32_t(g.record_size))));
        blocks->push_back(std::move(block));
        parents.push_back(std::move(parent));
    }
    return parents;
}

}  // namespace

Status BuildIndexTree(std::vector<uint8_t> header, const std::vector<IndexEntry>& leaves, std::string* file) {
    if (header.size() < 0x58) return Status::InvalidArgument("index header too short");
    Geometry g{LoadLe16(&header[0]), uint32_t(header[5]) * 1024, LoadLe16(&header[2]), 0, LoadLe32(&header[0x25])};
    if (g.record_size < 7 || g.block_size < 6 + 2 * g.record_size)
        return Status::InvalidArgument("index entries of " + std::to_string(g.record_size) + " bytes do not fit its blocks");
    // Like BDE, leave one entry free in every index block.
    g.per_block = (g.block_size - 6) / g.record_size - 1;
    std::vector<std::vector<uint8_t>> blocks;
    uint16_t next_block = 1;
    uint32_t entries = 0;
    uint8_t levels = 1;
    std::vector<IndexEntry> level = leaves;
    while (!level.empty()) {
        entries += uint32_t(level.size());
        std::vector<IndexEntry> up = WriteLevel(g, level, &next_block, &blocks);
        if (up.size() == 1) break;
        level = std::move(up);
        ++levels;
    }
    uint16_t count = uint16_t(blocks.size());
    for (uint16_t i = 0; i < count; ++i) {
        StoreLe16(blocks[i].data(), i + 1 < count ? uint16_t(i + 2) : 0);
        StoreLe16(blocks[i].data() + 2, i);
        if (g.checksum) EncryptDbBlock(blocks[i].data(), blocks[i].size(), g.checksum, i + 1u);
    }
    StoreLe32(&header[0x06], entries);
    StoreLe16(&header[0x0A], count);
    StoreLe16(&header[0x0C], count);
    StoreLe16(&header[0x0E], count ? 1 : 0);
    StoreLe16(&header[0x10], count);
    StoreLe16(&header[0x1E], count);
    header[0x20] = levels;
    StoreLe16(&header[0x3A], count);
    StoreLe16(&header[0x4D], 0);
    header.resize(g.header_size, 0);
    file->assign(header.begin(), header.end());
    for (const auto& b : blocks) file->append(b.begin(), b.end());
    return Status::Ok();
}

}  // namespace paradox
