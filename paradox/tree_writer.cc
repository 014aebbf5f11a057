#include "paradox/tree_writer.h"

#include <algorithm>

#include "paradox/bytes.h"
#include "paradox/crypt.h"
#include "paradox/file.h"
#include "paradox/header.h"

namespace paradox {
namespace {

constexpr size_t kBlockNumbers = 65536;
constexpr int kMaxLevels = 16;

}  // namespace

Status TreeWriter::Load(const std::string& path, const std::vector<ChainEntry>& chain, std::unique_ptr<TreeWriter>* out) {
    std::unique_ptr<TreeWriter> t(new TreeWriter());
    t->path_ = path;
    PX_RETURN_IF_ERROR(ReadHeaderBytes(path, &t->header_));
    std::unique_ptr<RandomAccessFile> file;
    PX_RETURN_IF_ERROR(OpenFile(path, &file));
    FileHeader h;
    PX_RETURN_IF_ERROR(ReadHeader(*file, &h));
    if (!h.IsIndexTree()) return Status::Corruption(file->Name() + ": not an index tree file");
    if (h.index_levels > kMaxLevels) return Status::Corruption(file->Name() + ": " + std::to_string(h.index_levels) + " index levels");
    t->record_size_ = h.record_size;
    t->key_width_ = h.record_size - 6;
    t->block_size_ = h.block_size;
    t->checksum_ = LoadLe32(&t->header_[0x25]);
    t->per_block_ = (h.block_size - 6) / h.record_size - 1;
    PX_RETURN_IF_ERROR(WritableFile::Open(path, false, &t->file_));
    PX_RETURN_IF_ERROR(t->ReadBlocks());
    t->node_of_block_.assign(kBlockNumbers, -1);
    t->leaf_of_.assign(kBlockNumbers, -1);
    std::vector<uint16_t> leaves;
    if (h.num_records > 0) {
        if (h.root_block < 1 || h.root_block > h.file_blocks || h.index_levels < 1)
            return Status::Corruption(file->Name() + ": root block " + std::to_string(h.root_block) + " outside the file");
        PX_RETURN_IF_ERROR(t->LoadNode(h.root_block, h.index_levels, -1, &leaves));
    }
    PX_RETURN_IF_ERROR(t->CheckAgainst(chain, leaves));
    *out = std::move(t);
    return Status::Ok();
}

Status TreeWriter::ReadBlocks() {
    uint16_t count = LoadLe16(&header_[0x0C]);
    uint32_t header_size = LoadLe16(&header_[0x02]);
    // The file may end inside its last block; the rest reads as zeros.
    std::vector<uint8_t> all(size_t(count) * block_size_, 0);
    uint64_t size;
    PX_RETURN_IF_ERROR(file_->Size(&size));
    size_t present = size <= header_size ? 0 : size_t(std::min<uint64_t>(all.size(), size - header_size));
    PX_RETURN_IF_ERROR(file_->Read(header_size, present, all.data()));
    blocks_.assign(size_t(count) + 1, {});
    dirty_blocks_.assign(size_t(count) + 1, false);
    for (uint16_t n = 1; n <= count; ++n) {
        auto start = all.begin() + ptrdiff_t(size_t(n - 1) * block_size_);
        blocks_[n].assign(start, start + block_size_);
        if (checksum_) DecryptDbBlock(blocks_[n].data(), block_size_, checksum_, n);
    }
    return Status::Ok();
}

Status TreeWriter::LoadNode(uint16_t block, int level, int parent, std::vector<uint16_t>* leaves) {
    std::string name = BaseName(path_);
    if (block < 1 || block >= blocks_.size())
        return Status::Corruption(name + ": child block " + std::to_string(block) + " outside the file");
    if (node_of_block_[block] >= 0) return Status::Corruption(name + ": block " + std::to_string(block) + " is used twice");
    const std::vector<uint8_t>& b = blocks_[block];
    int32_t last = int16_t(LoadLe16(&b[4]));
    uint32_t capacity = (block_size_ - 6) / record_size_;
    if (last < 0 || uint32_t(last) % record_size_ != 0 || uint32_t(last) / record_size_ >= capacity)
        return Status::Corruption(name + ": index block " + std::to_string(block) + " has record offset " + std::to_string(last));
    int index = int(nodes_.size());
    node_of_block_[block] = index;
    Node node;
    node.block = block;
    node.level = level;
    node.parent = parent;
    for (uint32_t i = 0; i <= uint32_t(last) / record_size_; ++i) {
        const uint8_t* p = &b[6 + size_t(i) * record_size_];
        Entry e;
        e.key.assign(p, p + key_width_);
        e.child = uint16_t(LoadBe16(p + key_width_) ^ 0x8000);
        e.count = uint16_t(LoadBe16(p + key_width_ + 2) ^ 0x8000);
        e.reserved[0] = p[key_width_ + 4];
        e.reserved[1] = p[key_width_ + 5];
        node.entries.push_back(std::move(e));
    }
    nodes_.push_back(node);
    for (const Entry& e : node.entries) {
        if (level > 1) {
            PX_RETURN_IF_ERROR(LoadNode(e.child, level - 1, index, leaves));
        } else {
            leaf_of_[e.child] = index;
            leaves->push_back(e.child);
        }
    }
    return Status::Ok();
}

Status TreeWriter::CheckAgainst(const std::vector<ChainEntry>& chain, const std::vector<uint16_t>& leaves) const {
    size_t leaf = 0;
    for (const ChainEntry& e : chain) {
        if (e.record_count == 0) continue;
        if (leaf >= leaves.size() || leaves[leaf] != e.block || leaf_of_[e.block] < 0)
            return Status::Corruption(BaseName(path_) + ": entry " + std::to_string(leaf + 1) + " does not name data block " +
                                      std::to_string(e.block));
        const Node& node = nodes_[size_t(leaf_of_[e.block])];
        if (node.entries[size_t(EntryOf(node, e.block))].count != e.record_count)
            return Status::Corruption(BaseName(path_) + ": record count of data block " + std::to_string(e.block) + " is out of date");
        ++leaf;
    }
    if (leaf != leaves.size())
        return Status::Corruption(BaseName(path_) + ": " + std::to_string(leaves.size()) + " entries for " + std::to_string(leaf) +
                                  " data blocks");
    return Status::Ok();
}

Status TreeWriter::CheckFirstKey(uint16_t block, const uint8_t* key, size_t width) const {
    int leaf = leaf_of_[block];
    int entry = leaf < 0 ? -1 : EntryOf(nodes_[size_t(leaf)], block);
    if (entry < 0 || width < key_width_ ||
        !std::equal(key, key + key_width_, nodes_[size_t(leaf)].entries[size_t(entry)].key.begin()))
        return Status::Corruption(BaseName(path_) + ": the entry of data block " + std::to_string(block) +
                                  " does not hold the block's first key");
    return Status::Ok();
}

Status TreeWriter::CheckEntryCount() const {
    uint64_t entries = 0;
    for (const Node& node : nodes_) entries += node.entries.size();
    if (entries == LoadLe32(&header_[0x06])) return Status::Ok();
    return Status::Corruption(BaseName(path_) + ": header counts " + std::to_string(LoadLe32(&header_[0x06])) +
                              " entries, the blocks hold " + std::to_string(entries));
}

int TreeWriter::EntryOf(const Node& node, uint16_t child) const {
    for (size_t i = 0; i < node.entries.size(); ++i)
        if (node.entries[i].child == child) return int(i);
    return -1;
}

int TreeWriter::ParentEntry(const Node& node) const {
    return node.parent < 0 ? -1 : EntryOf(nodes_[size_t(node.parent)], node.block);
}

uint16_t TreeWriter::SumOf(const Node& node) const {
    uint32_t sum = 0;
    for (const Entry& e : node.entries) sum += e.count;
    return uint16_t(sum);
}

void TreeWriter::AddUpwards(int node, int delta) {
    while (nodes_[size_t(node)].parent >= 0) {
        int entry = ParentEntry(nodes_[size_t(node)]);
        if (entry < 0) return MarkBroken();
        node = nodes_[size_t(node)].parent;
        Entry& e = nodes_[size_t(node)].entries[size_t(entry)];
        e.count = uint16_t(e.count + delta);
        nodes_[size_t(node)].dirty = true;
    }
}

// A node's first key changed: so does its entry in the parent, and further
// up while it stays the first entry.
void TreeWriter::KeyUpwards(int node) {
    while (nodes_[size_t(node)].parent >= 0) {
        int entry = ParentEntry(nodes_[size_t(node)]);
        if (entry < 0) return MarkBroken();
        int parent = nodes_[size_t(node)].parent;
        nodes_[size_t(parent)].entries[size_t(entry)].key = nodes_[size_t(node)].entries[0].key;
        nodes_[size_t(parent)].dirty = true;
        if (entry != 0) return;
        node = parent;
    }
}

void TreeWriter::AddToCount(uint16_t block, int delta) {
    int node = broken_ ? -1 : leaf_of_[block];
    int entry = node < 0 ? -1 : EntryOf(nodes_[size_t(node)], block);
    if (entry < 0) return MarkBroken();
    Entry& e = nodes_[size_t(node)].entries[size_t(entry)];
    e.count = uint16_t(e.count + delta);
    nodes_[size_t(node)].dirty = true;
    AddUpwards(node, delta);
}

void TreeWriter::SetFirstKey(uint16_t block, const uint8_t* key) {
    int node = broken_ ? -1 : leaf_of_[block];
    int entry = node < 0 ? -1 : EntryOf(nodes_[size_t(node)], block);
    if (entry < 0) return MarkBroken();
    nodes_[size_t(node)].entries[size_t(entry)].key.assign(key, key + key_width_);
    nodes_[size_t(node)].dirty = true;
    if (entry == 0) KeyUpwards(node);
}

void TreeWriter::InsertEntry(int node, size_t at, Entry entry) {
    Node& n = nodes_[size_t(node)];
    if (n.level == 1) leaf_of_[entry.child] = node;
    else nodes_[size_t(node_of_block_[entry.child])].parent = node;
    n.entries.insert(n.entries.begin() + ptrdiff_t(at), std::move(entry));
    n.dirty = true;
    StoreLe32(&header_[0x06], LoadLe32(&header_[0x06]) + 1);
}

void TreeWriter::InsertAfter(uint16_t block, uint16_t fresh, const uint8_t* first_key, uint32_t count) {
    int node = broken_ ? -1 : leaf_of_[block];
    int entry = node < 0 ? -1 : EntryOf(nodes_[size_t(node)], block);
    if (entry < 0 || leaf_of_[fresh] >= 0) return MarkBroken();
    Entry e;
    e.key.assign(first_key, first_key + key_width_);
    e.child = fresh;
    e.count = uint16_t(count);
    InsertEntry(node, size_t(entry) + 1, std::move(e));
    AddUpwards(node, int(count));
    if (nodes_[size_t(node)].entries.size() > per_block_) Split(node);
}

void TreeWriter::Remove(uint16_t block) {
    int node = broken_ ? -1 : leaf_of_[block];
    int entry = node < 0 ? -1 : EntryOf(nodes_[size_t(node)], block);
    if (entry < 0 || nodes_[size_t(node)].entries.size() == 1) return MarkBroken();
    Node& n = nodes_[size_t(node)];
    int removed = n.entries[size_t(entry)].count;
    n.entries.erase(n.entries.begin() + entry);
    n.dirty = true;
    leaf_of_[block] = -1;
    StoreLe32(&header_[0x06], LoadLe32(&header_[0x06]) - 1);
    AddUpwards(node, -removed);
    if (entry == 0) KeyUpwards(node);
}

// A new tree block at the end of the file and of the block chain.
int TreeWriter::NewNode(int level, int parent) {
    uint16_t count = LoadLe16(&header_[0x0C]);
    if (LoadLe16(&header_[0x4D]) != 0 || count == 0xFFFF) {
        MarkBroken();
        return -1;
    }
    uint16_t number = uint16_t(count + 1);
    uint16_t last = LoadLe16(&header_[0x10]);
    blocks_.emplace_back(block_size_, 0);
    dirty_blocks_.push_back(true);
    StoreLe16(&blocks_[number][2], last);
    if (last != 0) {
        StoreLe16(&blocks_[last][0], number);
        dirty_blocks_[last] = true;
    } else {
        StoreLe16(&header_[0x0E], number);
    }
    StoreLe16(&header_[0x10], number);
    StoreLe16(&header_[0x0C], number);
    StoreLe16(&header_[0x3A], number);
    StoreLe16(&header_[0x0A], uint16_t(LoadLe16(&header_[0x0A]) + 1));
    int index = int(nodes_.size());
    Node node;
    node.block = number;
    node.level = level;
    node.parent = parent;
    node.dirty = true;
    nodes_.push_back(std::move(node));
    node_of_block_[number] = index;
    return index;
}

void TreeWriter::Adopt(int node) {
    for (const Entry& e : nodes_[size_t(node)].entries) {
        if (nodes_[size_t(node)].level == 1) leaf_of_[e.child] = node;
        else nodes_[size_t(node_of_block_[e.child])].parent = node;
    }
}

// An overfull node gives its upper half to a new node right after it; the
// parent gets an entry for it (a new root when the node was the root).
void TreeWriter::Split(int node) {
    if (per_block_ < 2) return MarkBroken();
    int fresh = NewNode(nodes_[size_t(node)].level, nodes_[size_t(node)].parent);
    if (fresh < 0) return;
    Node& n = nodes_[size_t(node)];
    size_t keep = n.entries.size() - n.entries.size() / 2;
    nodes_[size_t(fresh)].entries.assign(n.entries.begin() + ptrdiff_t(keep), n.entries.end());
    n.entries.resize(keep);
    n.dirty = true;
    Adopt(fresh);
    uint16_t moved = SumOf(nodes_[size_t(fresh)]);
    Entry up;
    up.key = nodes_[size_t(fresh)].entries[0].key;
    up.child = nodes_[size_t(fresh)].block;
    up.count = moved;
    int parent = nodes_[size_t(node)].parent;
    if (parent < 0) {
        int root = NewNode(nodes_[size_t(node)].level + 1, -1);
        if (root < 0) return;
        Entry left;
        left.key = nodes_[size_t(node)].entries[0].key;
        left.child = nodes_[size_t(node)].block;
        left.count = SumOf(nodes_[size_t(node)]);
        InsertEntry(root, 0, std::move(left));
        InsertEntry(root, 1, std::move(up));
        StoreLe16(&header_[0x1E], nodes_[size_t(root)].block);
        header_[0x20] = uint8_t(header_[0x20] + 1);
        return;
    }
    int entry = ParentEntry(nodes_[size_t(node)]);
    if (entry < 0) return MarkBroken();
    Entry& e = nodes_[size_t(parent)].entries[size_t(entry)];
    e.count = uint16_t(e.count - moved);
    InsertEntry(parent, size_t(entry) + 1, std::move(up));
    if (nodes_[size_t(parent)].entries.size() > per_block_) Split(parent);
}

void TreeWriter::Serialize(const Node& node) {
    std::vector<uint8_t>& b = blocks_[node.block];
    std::fill(b.begin() + 4, b.end(), 0);
    StoreLe16(&b[4], uint16_t(int16_t((int32_t(node.entries.size()) - 1) * int32_t(record_size_))));
    for (size_t i = 0; i < node.entries.size(); ++i) {
        const Entry& e = node.entries[i];
        uint8_t* p = &b[6 + i * record_size_];
        std::copy(e.key.begin(), e.key.end(), p);
        StoreBe16(p + key_width_, uint16_t(e.child ^ 0x8000));
        StoreBe16(p + key_width_ + 2, uint16_t(e.count ^ 0x8000));
        p[key_width_ + 4] = e.reserved[0];
        p[key_width_ + 5] = e.reserved[1];
    }
    dirty_blocks_[node.block] = true;
}

Status TreeWriter::Write(uint8_t stamp, bool durable, std::vector<uint16_t>* written) {
    if (broken_) return Status::Corruption(BaseName(path_) + ": index cannot be changed in place");
    for (Node& node : nodes_) {
        if (node.dirty) Serialize(node);
        node.dirty = false;
    }
    uint32_t header_size = LoadLe16(&header_[0x02]);
    for (size_t n = 1; n < blocks_.size(); ++n) {
        if (!dirty_blocks_[n]) continue;
        std::vector<uint8_t> out = blocks_[n];
        if (checksum_) EncryptDbBlock(out.data(), out.size(), checksum_, uint32_t(n));
        PX_RETURN_IF_ERROR(file_->Write(header_size + uint64_t(n - 1) * block_size_, out.data(), out.size()));
        dirty_blocks_[n] = false;
        if (written) written->push_back(uint16_t(n));
    }
    header_[0x2C] = stamp;
    if (durable) PX_RETURN_IF_ERROR(file_->Sync());
    PX_RETURN_IF_ERROR(file_->Write(0, header_.data(), header_.size()));
    return durable ? file_->Sync() : Status::Ok();
}

}  // namespace paradox
