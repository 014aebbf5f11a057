// The writing side of the table object: the edit buffer, posting through the
// engine's writer, and creating and deleting table files.
#include <cstring>

#include "db/table.h"
#include "paradox/blob_writer.h"
#include "paradox/field_encoder.h"
#include "paradox/table_create.h"

namespace zelvon::db {

Status Table::OpenWriter() {
    if (writer_) return Status::Ok();
    paradox::OpenOptions options;
    options.passwords = session_.passwords();
    PX_RETURN_IF_ERROR(paradox::TableWriter::Open(table_->path(), options, &writer_, lock_wait_));
    // The program posts one record per user action or quote: a millisecond of
    // fsync each is worth keeping the suite's tables whole after a power loss.
    writer_->set_durable(true);
    if (batch_) writer_->StartBatch();
    return Status::Ok();
}

void Table::StartBatch() {
    batch_ = true;
    if (writer_) writer_->StartBatch();
}

void Table::SetLockWait(std::chrono::milliseconds wait) {
    lock_wait_ = wait;
    if (writer_) writer_->set_lock_wait(wait);
}

Status Table::FinishBatch() {
    if (!batch_) return Status::Ok();
    batch_ = false;
    return writer_ ? writer_->FinishBatch() : Status::Ok();
}

Status Table::StartInsert() {
    PX_RETURN_IF_ERROR(OpenWriter());
    saved_current_ = has_record_ ? current_ : paradox::RecordRef();
    edit_buffer_.assign(table_->header().record_size, 0);
    current_ = paradox::RecordRef{nullptr, edit_buffer_.data()};
    has_record_ = true;
    state_ = State::kInsert;
    return Status::Ok();
}

Status Table::Edit() {
    if (!Active()) return NotOpen();
    if (state_ != State::kBrowse) return Status::Ok();
    if (!has_record_) return StartInsert();
    PX_RETURN_IF_ERROR(OpenWriter());
    saved_current_ = current_;
    edit_record_ = RecordAt(position_);
    edit_buffer_.assign(current_.data, current_.data + table_->header().record_size);
    current_ = paradox::RecordRef{nullptr, edit_buffer_.data()};
    state_ = State::kEdit;
    return Status::Ok();
}

Status Table::Append() {
    if (!Active()) return NotOpen();
    if (state_ != State::kBrowse) PX_RETURN_IF_ERROR(Cancel());
    return StartInsert();
}

Status Table::Insert() { return Append(); }

Status Table::SetFieldValue(size_t index, const Variant& value) {
    if (!Active()) return NotOpen();
    if (state_ == State::kBrowse)
        return Status::InvalidArgument(FileName() + ": Feld " + table_->fields()[index].name + " kann nur im Bearbeitungsmodus gesetzt werden");
    const paradox::FieldInfo& field = table_->fields()[index];
    paradox::Value v = ToEngineValue(field, value);
    PX_RETURN_IF_ERROR(paradox::EncodeField(FileName(), field, v, table_->text(), edit_buffer_.data()));
    if (paradox::IsBlobType(field.type) && !v.is_null) return StoreBlob(index, v);
    return Status::Ok();
}

// A memo longer than its leader goes to the .MB at once; the record points
// at it when posted (a cancelled edit leaves an unreferenced block).
Status Table::StoreBlob(size_t index, const paradox::Value& value) {
    const paradox::FieldInfo& field = table_->fields()[index];
    std::string bytes = paradox::MemoBytes(value, table_->text());
    if (!paradox::NeedsBlobFile(field, bytes.size())) return Status::Ok();
    std::string mb = paradox::CompanionPath(table_->path(), "MB");
    if (mb.empty()) return Status::NotFound(FileName() + ": Memodatei fehlt für Feld " + field.name);
    std::unique_ptr<paradox::BlobWriter> blobs;
    PX_RETURN_IF_ERROR(paradox::BlobWriter::Open(mb, table_->header().password_checksum, &blobs));
    paradox::BlobDescriptor d;
    d.leader_size = field.width - 10;
    PX_RETURN_IF_ERROR(blobs->Append(std::vector<uint8_t>(bytes.begin(), bytes.end()), &d));
    paradox::StoreBlobDescriptor(field, d, edit_buffer_.data());
    return Status::Ok();
}

// The reader moves to the writer's table, which the write brought up to date.
Status Table::ReloadAfterWrite() {
    state_ = State::kBrowse;
    table_ = writer_->shared_table();
    if (!index_name_.empty()) PX_RETURN_IF_ERROR(paradox::IndexOrder::Open(*table_, index_name_, &order_));
    range_lo_ = 0;
    range_hi_ = order_ ? order_->size() : table_->record_count();
    if (!master_fields_.empty() && master_link_.DataSet()) PX_RETURN_IF_ERROR(ApplyMasterRange());
    has_record_ = false;
    return Status::Ok();
}

// A loop that edits, posts and moves on must go on from the record it posted,
// also when an index orders the table.
Status Table::AfterPost(uint64_t record_number) {
    PX_RETURN_IF_ERROR(ReloadAfterWrite());
    uint64_t position = range_hi_;
    if (!order_) position = record_number;
    for (uint64_t p = range_lo_; order_ && p < range_hi_; ++p) {
        if (order_->RecordAt(p) == record_number) {
            position = p;
            break;
        }
    }
    if (position < range_lo_ || position >= range_hi_) return First();
    PX_RETURN_IF_ERROR(Load(position));
    eof_ = bof_ = false;
    DataChanged();
    return Status::Ok();
}

Status Table::AfterDelete(uint64_t deleted_position) {
    PX_RETURN_IF_ERROR(ReloadAfterWrite());
    bool found;
    PX_RETURN_IF_ERROR(SeekForward(deleted_position, &found));
    if (!found) return Last();
    eof_ = bof_ = false;
    DataChanged();
    return Status::Ok();
}

Status Table::Post() {
    if (!Active()) return NotOpen();
    if (state_ == State::kBrowse) return Status::Ok();
    uint64_t number = 0;
    Status s = state_ == State::kInsert ? writer_->Insert(edit_buffer_, &number)
                                        : writer_->Update(edit_record_, edit_buffer_, &number);
    if (!s.ok()) return AfterFailedWrite(s);
    return AfterPost(number);
}

// A failed post may have left the writer's table half changed in memory:
// the reader goes back to the file as it is.
Status Table::AfterFailedWrite(Status failed) {
    if (table_ != writer_->shared_table()) return failed;
    std::unique_ptr<paradox::Table> fresh;
    if (session_.OpenTable(table_->path(), &fresh).ok()) table_ = std::move(fresh);
    return failed;
}

Status Table::Cancel() {
    if (state_ == State::kBrowse) return Status::Ok();
    state_ = State::kBrowse;
    current_ = saved_current_;
    has_record_ = current_.data != nullptr;
    DataChanged();
    return Status::Ok();
}

Status Table::Delete() {
    if (!Active()) return NotOpen();
    if (state_ != State::kBrowse) PX_RETURN_IF_ERROR(Cancel());
    if (!has_record_) return Status::InvalidArgument(FileName() + ": kein aktueller Datensatz zum Löschen");
    PX_RETURN_IF_ERROR(OpenWriter());
    uint64_t position = position_;
    Status s = writer_->Delete(RecordAt(position));
    if (!s.ok()) return AfterFailedWrite(s);
    return AfterDelete(position);
}

Status Table::CreateTable(const std::vector<FieldDef>& fields) {
    if (Active()) Close();
    std::vector<paradox::FieldSpec> specs;
    for (const FieldDef& f : fields) specs.push_back(paradox::FieldSpec{f.name, f.type, f.size, f.required});
    std::string path = paradox::FindIgnoringCase(database_name_, table_name_);
    if (path.empty()) path = database_name_.empty() ? table_name_ : database_name_ + "/" + table_name_;
    return paradox::CreateTable(path, specs, paradox::CreateOptions());
}

Status Table::DeleteTable() {
    Close();
    std::string path = paradox::FindIgnoringCase(database_name_, table_name_);
    if (path.empty()) return Status::NotFound("Tabelle '" + table_name_ + "' nicht gefunden");
    return paradox::DeleteTable(path);
}

}  // namespace zelvon::db
