// Changing the records of an existing table: insert (in primary-key order
// for keyed tables, splitting full blocks), update and delete, each touching
// only the data blocks it needs, followed by the header and the .PX.
//
// Write order, so that a crash at any moment leaves a table that opens with
// every earlier record intact: (1) new or changed data blocks that are not
// yet reachable from the chain, and a header that counts a grown file, (2)
// the blocks whose links or contents make the change visible, (3) fsync,
// (4) the header with the new record count, fsync,
// (5) the .PX, rebuilt from the data blocks and swapped in by rename. The
// whole post runs under an fcntl write lock on the .DB.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "paradox/table.h"
#include "paradox/writable_file.h"

namespace paradox {

class TableWriter {
public:
    static Status Open(const std::string& path, const OpenOptions& options, std::unique_ptr<TableWriter>* writer);

    // Without durability (bulk copies into a new file) nothing is fsynced
    // until Flush().
    void set_durable(bool durable) { durable_ = durable; }
    Status Flush() { return file_->Sync(); }

    // The table as of the last change.
    const Table& table() const { return *table_; }

    // A duplicate primary key is a key violation (InvalidArgument) and
    // changes nothing. *record_number: where the record now is.
    Status Insert(const std::vector<uint8_t>& record, uint64_t* record_number);
    Status Update(uint64_t record_number, const std::vector<uint8_t>& record, uint64_t* new_number);
    Status Delete(uint64_t record_number);

private:
    struct Located {
        size_t chain_index;
        uint32_t slot;
    };
    TableWriter() = default;
    Status Reload();
    Status LockFresh();
    Status KeyViolation(const std::vector<uint8_t>& record, uint64_t* position) const;
    Located Locate(uint64_t position) const;
    Status LoadBlock(uint16_t number, std::vector<uint8_t>* block) const;
    Status StoreBlock(uint16_t number, std::vector<uint8_t> block);
    Status NewBlock(uint16_t* number);
    Status Relink(uint16_t number, int which, uint16_t value);
    Status InsertAt(uint64_t position, const std::vector<uint8_t>& record);
    Status Split(const Located& at, const std::vector<uint8_t>& record);
    Status FreeBlock(size_t chain_index);
    Status WriteHeader();
    Status Commit(int64_t record_delta);
    Status RebuildPrimaryIndex();
    Status Fail(const std::string& what) const;

    std::string path_;
    OpenOptions options_;
    std::unique_ptr<Table> table_;
    std::unique_ptr<WritableFile> file_;
    std::vector<uint8_t> header_;  // raw header bytes, changed in place
    bool durable_ = true;
};

}  // namespace paradox
