// Changing the records of an existing table: insert (in primary-key order
// for keyed tables, splitting full blocks), update and delete, each touching
// only the blocks it needs in the .DB, the .PX and every secondary index.
//
// Write order, so that a kill at any moment leaves a table that opens with
// every earlier record intact: (1) new or changed data blocks that are not
// yet reachable from the chain, and a header that counts a grown file, (2)
// the blocks whose links or contents make the change visible, (3) the header
// with the new record count and the next change stamp (byte 0x2D), (4) the
// changed .PX blocks, then the .PX header with that stamp, (5) per secondary
// index the .X blocks, the .Y and last the .X header with the stamp. An index
// whose stamp differs from the table's may have been interrupted: it is
// compared with the data blocks and, unless it still matches them, rebuilt
// before the next change. Durable writers also fsync before
// and after every header, except inside a batch, which syncs every file of
// the table once when it ends. The whole post runs under the write lock on
// the .DB, and the writer keeps what it read between posts for as long as
// the table's files show no change by anyone else.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "paradox/block_store.h"
#include "paradox/file_stamp.h"
#include "paradox/secondary_maintainer.h"
#include "paradox/table.h"
#include "paradox/tree_writer.h"
#include "paradox/writable_file.h"

namespace paradox {

class TableWriter {
public:
    // lock_wait: how long opening (which reads the table under the lock) and
    // every later post wait for a table another process holds locked.
    static Status Open(const std::string& path, const OpenOptions& options, std::unique_ptr<TableWriter>* writer,
                       std::chrono::milliseconds lock_wait = kDefaultLockWait);

    // Durable writers fsync around every header write (safe against power
    // loss, at the price of the disk's flush time per post). Without it the
    // write order alone keeps the table whole when the writing process dies.
    void set_durable(bool durable);
    Status Flush() { return file_->Sync(); }
    // Posts between the two calls are written at once (other readers see
    // them, a killed process leaves them) but not synced one by one; a
    // durable writer syncs the .DB and its index files when the batch ends.
    void StartBatch();
    Status FinishBatch();
    // How long a post waits for a table another process holds locked.
    void set_lock_wait(std::chrono::milliseconds wait) { lock_wait_ = wait; }

    // The table as of the last change; the shared one stays valid after the
    // writer has moved on to a fresh copy.
    const Table& table() const { return *table_; }
    std::shared_ptr<const Table> shared_table() const { return table_; }

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
    // A secondary index entry to drop or add once the table header is out.
    struct EntryChange {
        bool add;
        std::vector<uint8_t> record;
        uint16_t block;
    };
    TableWriter() = default;
    Status Load();
    Status LoadPrimaryIndex();
    // The loaded .PX counts its entries right and every leaf entry holds its
    // block's first key.
    Status CheckPrimaryKeys() const;
    Status LoadSecondaryIndexes();
    Status LockFresh();
    bool StillFresh() const;
    void TakeStamps();
    std::vector<std::string> FamilyPaths() const;
    Status KeyViolation(const std::vector<uint8_t>& record, uint64_t* position) const;
    Located Locate(uint64_t position) const;
    // changed_from: the first chain entry the change may have touched.
    Status Commit(int64_t record_delta, size_t changed_from, const std::vector<EntryChange>& changes);
    Status CommitPrimaryIndex();
    Status CommitSecondaryIndexes(const std::vector<EntryChange>& changes);
    Status RebuildPrimaryIndex();
    Status Finish(Status s);
    // Whether this post syncs: durable, and not inside a batch.
    bool syncing() const { return durable_ && !batch_; }

    std::string path_;
    std::string primary_path_;  // the .PX, when the table has one
    OpenOptions options_;
    std::shared_ptr<Table> table_;
    std::unique_ptr<WritableFile> file_;
    std::vector<uint8_t> header_;  // raw header bytes, changed in place
    std::unique_ptr<BlockStore> store_;
    std::unique_ptr<TreeWriter> primary_;
    std::vector<std::unique_ptr<SecondaryMaintainer>> secondaries_;
    std::vector<SecondaryIndexInfo> rebuilt_indexes_;  // layouts kept only by rebuilding
    std::vector<FileStamp> stamps_;
    bool loaded_ = false;
    bool durable_ = false;
    bool batch_ = false;
    std::chrono::milliseconds lock_wait_ = kDefaultLockWait;
};

}  // namespace paradox
