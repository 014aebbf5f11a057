// A table object over one Paradox table: directory and file name, optional
// secondary index by name, open/close, record filter, master link, moves,
// field access by name, key lookups and record count. Writing operations are
// declared with their final signatures.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/data_link.h"
#include "db/field.h"
#include "db/session.h"
#include "db/variant.h"
#include "paradox/secondary_index.h"
#include "paradox/table_writer.h"

namespace zelvon::db {

struct FieldDef {
    std::string name;
    paradox::FieldType type = paradox::FieldType::kAlpha;
    int size = 0;
    bool required = false;
};

// A filter expression "field = 'value'" held as the comparison itself: the
// value is compared as it is, so no value can change what the filter means.
struct FieldEquals {
    std::string field;
    std::string value;
};

// A program value in the form the engine stores for field.
paradox::Value ToEngineValue(const paradox::FieldInfo& field, const Variant& value);

class Table {
public:
    explicit Table(Session& session);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    void SetDatabaseName(const std::string& directory) { database_name_ = directory; }
    const std::string& DatabaseName() const { return database_name_; }
    void SetTableName(const std::string& name) { table_name_ = name; }
    const std::string& TableName() const { return table_name_; }
    // Empty: primary key order. Changing it on an open table re-reads the records.
    Status SetIndexName(const std::string& name);
    const std::string& IndexName() const { return index_name_; }

    Status Open();
    void Close();
    bool Active() const { return table_ != nullptr; }

    // The filter callback decides for each record about to be delivered.
    void SetOnFilterRecord(std::function<bool(Table&)> filter) { filter_ = std::move(filter); }
    Status SetFiltered(bool on);
    bool Filtered() const { return filtered_; }
    // Applies together with the filter callback while filtering is on;
    // nullopt removes it.
    Status SetFilterExpression(std::optional<FieldEquals> expression);
    // Records the filters admit, counted without moving the table.
    Status CountAdmitted(uint64_t* count);

    // Master link: this table shows only the records whose leading key fields
    // equal the master's fields of the same names (";"-separated).
    Status SetMasterSource(DataLink* master);
    Status SetMasterFields(const std::string& fields);

    Status First();
    Status Next();
    Status Prior();
    Status Last();
    Status Refresh();
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }

    int FieldCount() const;
    // The field called name in any letter case.
    Status FieldByName(const std::string& name, Field* field) const;
    Field* FindField(const std::string& name);
    // Records in the table (within the master range), filter not applied.
    uint64_t RecordCount() const;

    // Values for the first fields of the current index; found = positioned on
    // the first matching record the filter admits, else not moved.
    Status FindKey(const std::vector<Variant>& values, bool* found);
    // Positions on the first admitted record whose key is >= values.
    Status FindNearest(const std::vector<Variant>& values);

    Status Edit();
    Status Append();
    Status Insert();
    Status Post();
    Status Cancel();
    Status Delete();
    // Posts until FinishBatch are written at once but synced to the disk
    // once, when the batch finishes (or the table closes); single posts
    // outside a batch are synced each.
    void StartBatch();
    Status FinishBatch();
    // How long a post waits for a table another process holds locked.
    void SetLockWait(std::chrono::milliseconds wait);
    // Creates the table file (no primary key) from field definitions.
    Status CreateTable(const std::vector<FieldDef>& fields);
    // Closes the table and removes it with all its family files.
    Status DeleteTable();

    enum class State { kBrowse, kEdit, kInsert };
    State GetState() const { return state_; }
    // Used by Field setters.
    Status SetFieldValue(size_t index, const Variant& value);

    // Used by Field and DataLink.
    const paradox::Table* engine() const { return table_.get(); }
    const paradox::RecordRef* CurrentRecord() const { return has_record_ ? &current_ : nullptr; }
    void AttachLink(DataLink* link);
    void DetachLink(DataLink* link);

private:
    std::string FileName() const;
    uint64_t RecordAt(uint64_t position) const;
    Status Load(uint64_t position);
    bool Admits(uint64_t position, Status* status);
    bool MatchesExpression(Status* status) const;
    Status SeekForward(uint64_t from, bool* found);
    Status SeekBackward(uint64_t from_plus_one, bool* found);
    Status EncodeKey(const std::vector<Variant>& values, std::vector<uint8_t>* key) const;
    Status Bounds(const std::vector<uint8_t>& key, size_t n, uint64_t* lo, uint64_t* hi) const;
    Status ApplyMasterRange();
    // Reads the table again when another process changed it; *reloaded says so.
    Status FollowChanges(bool* reloaded);
    // The master moved: a new walk of the master is a new walk here too.
    void FollowMaster();
    Status MoveFirst();
    Status NotOpen() const;
    void DataChanged();
    Status Reposition();
    Status OpenWriter();
    // Stays on the record just posted, in the order of the current index.
    Status AfterPost(uint64_t record_number);
    // Moves to the record that followed the deleted one, or to the last.
    Status AfterDelete(uint64_t deleted_position);
    Status ReloadAfterWrite();
    Status AfterFailedWrite(Status failed);
    Status StartInsert();
    Status StoreBlob(size_t index, const paradox::Value& value);

    Session& session_;
    std::string database_name_, table_name_, index_name_;
    // The writer's table once it has posted: it is kept current by each post.
    std::shared_ptr<const paradox::Table> table_;
    std::unique_ptr<paradox::IndexOrder> order_;
    std::function<bool(Table&)> filter_;
    std::optional<FieldEquals> expression_;
    bool filtered_ = false;
    DataLink master_link_;
    std::vector<std::string> master_fields_;
    uint64_t range_lo_ = 0, range_hi_ = 0;
    uint64_t position_ = 0;
    // Walks started (each began with a look at the file), and the master's
    // count when this table last looked.
    uint64_t walks_ = 0, master_walks_seen_ = 0;
    bool has_record_ = false, eof_ = true, bof_ = true;
    paradox::RecordRef current_;
    std::vector<DataLink*> links_;
    std::vector<std::unique_ptr<Field>> fields_;
    State state_ = State::kBrowse;
    std::unique_ptr<paradox::TableWriter> writer_;
    bool batch_ = false;
    std::chrono::milliseconds lock_wait_ = paradox::kDefaultLockWait;
    std::vector<uint8_t> edit_buffer_;
    uint64_t edit_record_ = 0;
    paradox::RecordRef saved_current_;
};

}  // namespace zelvon::db
