// In-place upkeep of a PX-style tree (.PX over a table's data blocks, .Y
// over an .X): the whole file is held in memory (it is small next to its
// data file), checked against the data file's block chain when loaded,
// changed entry by entry as records come and go, and written back block by
// block with the header last. A change the tree cannot take in place (an
// index block emptied, an empty tree, a free list it does not know) marks
// it broken; the owner then rebuilds the file from the data blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "paradox/block_file.h"
#include "paradox/writable_file.h"

namespace paradox {

class TreeWriter {
public:
    // Loads path and checks that its leaf entries name exactly the
    // non-empty blocks of chain, in order, with their record counts; a
    // mismatch is a Corruption status (the tree is out of date).
    static Status Load(const std::string& path, const std::vector<ChainEntry>& chain, std::unique_ptr<TreeWriter>* tree);

    // The leaf entry of data block `block` gains delta records.
    void AddToCount(uint16_t block, int delta);
    // The data block's first record changed; key: that record.
    void SetFirstKey(uint16_t block, const uint8_t* key);
    // A new data block `fresh` follows `block` in the chain.
    void InsertAfter(uint16_t block, uint16_t fresh, const uint8_t* first_key, uint32_t count);
    // Data block `block` left the chain.
    void Remove(uint16_t block);

    // The leaf entry of data block `block` must hold the block's first key
    // (key: its first width bytes); Corruption otherwise.
    Status CheckFirstKey(uint16_t block, const uint8_t* key, size_t width) const;
    // The header's entry count (byte 0x06) must count the entries on all
    // levels; Corruption otherwise.
    Status CheckEntryCount() const;

    bool broken() const { return broken_; }
    void MarkBroken() { broken_ = true; }
    // The stamp that ties the tree to its data file (header byte 0x2C).
    uint8_t stamp() const { return header_[0x2C]; }
    // Writes the changed blocks, then the header with stamp; *written: the
    // blocks written.
    Status Write(uint8_t stamp, bool durable, std::vector<uint16_t>* written = nullptr);

private:
    struct Entry {
        std::vector<uint8_t> key;
        uint16_t child = 0;
        uint16_t count = 0;
        uint8_t reserved[2] = {0, 0};
    };
    struct Node {
        uint16_t block = 0;
        int level = 1;
        int parent = -1;  // node index
        std::vector<Entry> entries;
        bool dirty = false;
    };
    TreeWriter() = default;
    Status ReadBlocks();
    Status LoadNode(uint16_t block, int level, int parent, std::vector<uint16_t>* leaves);
    Status CheckAgainst(const std::vector<ChainEntry>& chain, const std::vector<uint16_t>& leaves) const;
    int EntryOf(const Node& node, uint16_t child) const;
    int ParentEntry(const Node& node) const;
    void AddUpwards(int node, int delta);
    void KeyUpwards(int node);
    void InsertEntry(int node, size_t at, Entry entry);
    void Split(int node);
    int NewNode(int level, int parent);
    void Adopt(int node);
    uint16_t SumOf(const Node& node) const;
    void Serialize(const Node& node);

    std::string path_;
    std::unique_ptr<WritableFile> file_;
    std::vector<uint8_t> header_;
    uint32_t block_size_ = 0, key_width_ = 0, record_size_ = 0, checksum_ = 0, per_block_ = 0;
    std::vector<std::vector<uint8_t>> blocks_;  // every block of the file, decrypted; [0] unused
    std::vector<bool> dirty_blocks_;
    std::vector<Node> nodes_;
    std::vector<int32_t> node_of_block_;  // tree block -> node
    std::vector<int32_t> leaf_of_;        // data block -> leaf node
    bool broken_ = false;
};

}  // namespace paradox
