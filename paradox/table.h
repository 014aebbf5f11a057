// A Paradox table opened for reading: its header, its records in the order
// of the block chain, field values (with memos and blobs from the .MB), and
// key search through the primary index.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "paradox/blob_file.h"
#include "paradox/block_file.h"
#include "paradox/collation.h"
#include "paradox/file_stamp.h"
#include "paradox/key.h"
#include "paradox/primary_index.h"
#include "paradox/text_codec.h"

namespace paradox {

struct OpenOptions {
    // Passwords to try on an encrypted table.
    std::vector<std::string> passwords;
    // Whether an encrypted table needs one of them (the data can be read without).
    bool require_password = true;
    // Bound of the decrypted .DB blocks kept in memory.
    size_t cache_bytes = BlockFile::kDefaultCacheBytes;
};

// One record, valid while the RecordRef lives.
struct RecordRef {
    BlockRef block;
    const uint8_t* data = nullptr;
};

class Table {
public:
    static Status Open(const std::string& path, const OpenOptions& options, std::unique_ptr<Table>* table);

    const std::string& path() const { return path_; }
    const std::string& name() const { return file_->Name(); }
    const FileHeader& header() const { return header_; }
    const std::vector<FieldInfo>& fields() const { return header_.fields; }
    // Index of the field with this name in any letter case, or -1.
    int FindField(const std::string& name) const;
    uint64_t record_count() const { return record_count_; }
    bool is_keyed() const { return header_.key_fields > 0; }

    Status ReadRecord(uint64_t record_number, RecordRef* record) const;
    // Decodes a field, reading memo and blob bytes from the .MB.
    Status ReadValue(const RecordRef& record, size_t field, Value* value) const;

    // Primary key search over the first n key fields: the first record whose
    // key is >= key (LowerBound) or > key (UpperBound); record_count() if none.
    Status LowerBound(const std::vector<uint8_t>& key, size_t n, uint64_t* record_number) const;
    Status UpperBound(const std::vector<uint8_t>& key, size_t n, uint64_t* record_number) const;

    const KeyLayout& primary_key() const { return primary_key_; }
    const TextDecoder& text() const { return *text_; }
    const Collation& collation() const { return *collation_; }
    const std::vector<ChainEntry>& chain() const { return chain_; }
    const BlockFile& blocks() const { return *blocks_; }
    const PrimaryIndex* primary_index() const { return primary_index_.get(); }
    const BlobFile* blob_file() const { return blob_file_.get(); }
    // Chain position of a data block, or -1 when the block is not in the chain.
    int64_t ChainOrdinal(uint16_t block) const;

    // Whether the .DB on disk is still the one this object holds: the same
    // file, size and modification time, and the same header bytes (times can
    // be too coarse to tell). False once another handle posted a change; the
    // table must then be opened again to see it.
    Status CheckCurrent(bool* current) const;

    // For the writer, which changes the file through its own handle and
    // edits the chain in place (blocks and record counts). AdoptWrite then
    // takes the counts of its raw header, recounts record positions from
    // chain entry changed_from on (at or before every rewritten block that
    // is still in the chain), and drops the rewritten blocks from the
    // cache.
    std::vector<ChainEntry>* mutable_chain() { return &chain_; }
    Status AdoptWrite(const std::vector<uint8_t>& raw_header, size_t changed_from, const std::vector<uint16_t>& rewritten);
    // The .PX after the writer changed it: in place (rewritten: its blocks
    // the writer wrote), or replaced by a new file (reopened).
    Status RefreshPrimaryIndex(const std::vector<uint16_t>& rewritten);
    Status ReopenPrimaryIndex();

private:
    Table() = default;
    Status CheckPassword(const OpenOptions& options) const;
    Status OpenCompanions();
    Status Bound(const std::vector<uint8_t>& key, size_t n, bool upper, uint64_t* record_number) const;
    Status StartOrdinal(const uint8_t* key, size_t n, bool upper, size_t* ordinal) const;
    Status SearchChain(const uint8_t* key, size_t n, bool upper, size_t* ordinal) const;
    Status BoundInBlock(size_t ordinal, const uint8_t* key, size_t n, bool upper, uint32_t* slot, bool* proven) const;
    bool Below(const uint8_t* record, const uint8_t* key, size_t n, bool upper) const;
    Status TakeStamp();

    std::string path_;
    std::unique_ptr<RandomAccessFile> file_;
    FileHeader header_;
    std::unique_ptr<BlockFile> blocks_;
    std::vector<ChainEntry> chain_;
    std::vector<int32_t> ordinal_of_block_;
    uint64_t record_count_ = 0;
    std::unique_ptr<TextDecoder> text_;
    std::unique_ptr<Collation> collation_;
    KeyLayout primary_key_;
    std::unique_ptr<PrimaryIndex> primary_index_;
    std::unique_ptr<BlobFile> blob_file_;
    FileStamp stamp_;
    std::vector<uint8_t> raw_header_;
};

// Path of a file beside table_path with the same base name and extension ext
// (letter case ignored); empty when there is none.
std::string CompanionPath(const std::string& table_path, const std::string& ext);

}  // namespace paradox
