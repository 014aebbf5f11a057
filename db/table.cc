#include "db/table.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "paradox/date_time.h"

namespace zelvon::db {
namespace {

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        std::string name = text.substr(start, end - start);
        if (!name.empty()) out.push_back(name);
        start = end + 1;
    }
    return out;
}

double AsNumber(const Variant& v) {
    if (auto* i = std::get_if<int64_t>(&v)) return double(*i);
    if (auto* d = std::get_if<double>(&v)) return *d;
    if (auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
    if (auto* s = std::get_if<std::string>(&v)) return std::strtod(s->c_str(), nullptr);
    return 0;
}

}  // namespace

// A lookup value in the form the engine stores for field.
paradox::Value ToEngineValue(const paradox::FieldInfo& field, const Variant& v) {
    using paradox::FieldType;
    paradox::Value out;
    out.type = field.type;
    out.is_null = std::holds_alternative<std::monostate>(v);
    if (out.is_null) return out;
    double number = AsNumber(v);
    switch (field.type) {
        case FieldType::kAlpha:
            if (auto* s = std::get_if<std::string>(&v)) out.text = *s;
            else if (auto* i = std::get_if<int64_t>(&v)) out.text = std::to_string(*i);
            out.is_null = out.text.empty();
            break;
        case FieldType::kDate: out.integer = int64_t(std::floor(number)) + paradox::kDateTimeEpochDay; break;
        case FieldType::kTime: out.integer = std::llround((number - std::floor(number)) * paradox::kMillisPerDay); break;
        case FieldType::kTimestamp: out.integer = paradox::MillisFromDateTime(number); break;
        case FieldType::kNumber: case FieldType::kCurrency: out.number = number; break;
        case FieldType::kMemo: case FieldType::kFormattedMemo:
            if (auto* s = std::get_if<std::string>(&v)) out.text = *s;
            out.is_null = out.text.empty();
            break;
        default:
            out.integer = std::fabs(number) < 9e18 ? std::llround(number) : std::numeric_limits<int64_t>::max();
            break;
    }
    return out;
}

namespace {

Variant FieldAsVariant(const Field& f) {
    using paradox::FieldType;
    if (f.IsNull()) return std::monostate{};
    switch (f.DataType()) {
        case FieldType::kAlpha: return f.AsString();
        case FieldType::kNumber: case FieldType::kCurrency: return f.AsFloat();
        case FieldType::kDate: case FieldType::kTime: case FieldType::kTimestamp: return f.AsDateTime();
        case FieldType::kLogical: return f.AsBoolean();
        default: return int64_t(f.AsInteger());
    }
}

}  // namespace

DataLink::~DataLink() { SetDataSet(nullptr); }

void DataLink::SetDataSet(Table* table) {
    if (table_) table_->DetachLink(this);
    table_ = table;
    if (table_) table_->AttachLink(this);
}

Table::Table(Session& session) : session_(session) {
    master_link_.SetOnDataChange([this] { FollowMaster(); });
}

Table::~Table() {
    master_link_.SetDataSet(nullptr);
    for (DataLink* link : std::vector<DataLink*>(links_)) link->SetDataSet(nullptr);
}

void Table::AttachLink(DataLink* link) { links_.push_back(link); }
void Table::DetachLink(DataLink* link) { links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end()); }

void Table::DataChanged() {
    for (DataLink* link : std::vector<DataLink*>(links_)) link->NotifyDataChange();
}

std::string Table::FileName() const { return table_ ? table_->name() : table_name_; }

Status Table::NotOpen() const { return Status::InvalidArgument("Tabelle " + table_name_ + " ist nicht geöffnet"); }

Status Table::Open() {
    if (Active()) return Status::Ok();
    std::string path = paradox::FindIgnoringCase(database_name_, table_name_);
    if (path.empty())
        return Status::NotFound("Tabelle '" + table_name_ + "' nicht gefunden in " + JoinPath(database_name_, ""));
    std::unique_ptr<paradox::Table> opened;
    Status s = session_.OpenTable(path, &opened);
    table_ = std::move(opened);
    if (s.IsPermissionDenied()) return Status::PermissionDenied("Falsches oder fehlendes Paßwort für " + table_name_);
    if (s.IsNotFound()) return Status::NotFound("Tabelle " + table_name_ + ": " + s.message());
    if (!s.ok()) return Status::Corruption("Tabelle " + table_name_ + " ist nicht lesbar: " + s.message());
    if (!index_name_.empty()) {
        s = paradox::IndexOrder::Open(*table_, index_name_, &order_);
        if (!s.ok()) {
            Close();
            return s.IsNotFound() ? Status::NotFound("Index '" + index_name_ + "' nicht gefunden in " + table_name_)
                                  : Status::Corruption("Index '" + index_name_ + "' von " + table_name_ + " ist nicht lesbar: " + s.message());
        }
    }
    fields_.clear();
    for (size_t i = 0; i < table_->fields().size(); ++i) fields_.push_back(std::make_unique<Field>(this, i));
    range_lo_ = 0;
    range_hi_ = order_ ? order_->size() : table_->record_count();
    if (!master_fields_.empty() && master_link_.DataSet()) PX_RETURN_IF_ERROR(ApplyMasterRange());
    return First();
}

void Table::Close() {
    FinishBatch();
    writer_.reset();
    state_ = State::kBrowse;
    table_.reset();
    order_.reset();
    fields_.clear();
    has_record_ = false;
    current_ = paradox::RecordRef();
    eof_ = bof_ = true;
}

Status Table::SetIndexName(const std::string& name) {
    index_name_ = name;
    if (!Active()) return Status::Ok();
    Close();
    return Open();
}

Status Table::SetFiltered(bool on) {
    filtered_ = on;
    return Active() ? First() : Status::Ok();
}

Status Table::SetFilterExpression(std::optional<FieldEquals> expression) {
    expression_ = std::move(expression);
    return Active() && filtered_ ? First() : Status::Ok();
}

Status Table::CountAdmitted(uint64_t* count) {
    *count = 0;
    if (!Active()) return NotOpen();
    const paradox::RecordRef saved = current_;
    const uint64_t saved_position = position_;
    const bool saved_has = has_record_;
    Status s;
    for (uint64_t p = range_lo_; p < range_hi_ && s.ok(); ++p) {
        if (Admits(p, &s)) ++*count;
    }
    current_ = saved;
    position_ = saved_position;
    has_record_ = saved_has;
    return s;
}

Status Table::Refresh() {
    if (!Active()) return NotOpen();
    bool reloaded;
    PX_RETURN_IF_ERROR(FollowChanges(&reloaded));
    return reloaded ? MoveFirst() : Reposition();
}

// Positioning on the master's every record is part of the master's walk:
// the file is looked at again only when the master starts a new one.
void Table::FollowMaster() {
    if (!Active() || master_fields_.empty()) return;
    Table* master = master_link_.DataSet();
    if (master && master->walks_ != master_walks_seen_) {
        master_walks_seen_ = master->walks_;
        bool reloaded;
        if (!FollowChanges(&reloaded).ok()) return;
    }
    if (ApplyMasterRange().ok()) MoveFirst();
}

// Each walk starts on the table as it is on disk, so a record another
// process posted since the last walk is seen; while nothing changed the
// blocks already read serve the walk without touching the disk.
Status Table::FollowChanges(bool* reloaded) {
    *reloaded = false;
    bool current = true;
    if (state_ != State::kBrowse) return Status::Ok();
    ++walks_;
    Status s = table_->CheckCurrent(&current);
    if (s.ok() && current) return Status::Ok();
    std::unique_ptr<paradox::Table> fresh;
    if (s.ok()) s = session_.OpenTable(table_->path(), &fresh);
    std::unique_ptr<paradox::IndexOrder> order;
    if (s.ok() && !index_name_.empty()) s = paradox::IndexOrder::Open(*fresh, index_name_, &order);
    if (!s.ok()) return Status::Corruption("Tabelle " + table_name_ + " ist nicht lesbar: " + s.message());
    table_ = std::move(fresh);
    order_ = std::move(order);
    if (fields_.size() != table_->fields().size()) {
        fields_.clear();
        for (size_t i = 0; i < table_->fields().size(); ++i) fields_.push_back(std::make_unique<Field>(this, i));
    }
    has_record_ = false;
    current_ = paradox::RecordRef();
    range_lo_ = 0;
    range_hi_ = order_ ? order_->size() : table_->record_count();
    if (!master_fields_.empty() && master_link_.DataSet()) PX_RETURN_IF_ERROR(ApplyMasterRange());
    *reloaded = true;
    return Status::Ok();
}

Status Table::SetMasterSource(DataLink* master) {
    master_link_.SetDataSet(master ? master->DataSet() : nullptr);
    return Status::Ok();
}

Status Table::SetMasterFields(const std::string& fields) {
    master_fields_ = SplitFields(fields);
    if (!Active()) return Status::Ok();
    if (master_fields_.empty()) {
        range_lo_ = 0;
        range_hi_ = order_ ? order_->size() : table_->record_count();
        return First();
    }
    PX_RETURN_IF_ERROR(ApplyMasterRange());
    return First();
}

// The master's current values of the linked fields narrow this table to the
// records whose leading key fields are equal, found through the index.
Status Table::ApplyMasterRange() {
    Table* master = master_link_.DataSet();
    if (!master || !master->Active()) {
        range_lo_ = range_hi_ = 0;
        return Status::Ok();
    }
    std::vector<Variant> values;
    for (const std::string& name : master_fields_) {
        Field field(nullptr, 0);
        PX_RETURN_IF_ERROR(master->FieldByName(name, &field));
        values.push_back(master->CurrentRecord() ? FieldAsVariant(field) : Variant{});
    }
    if (!master->CurrentRecord()) {
        range_lo_ = range_hi_ = 0;
        return Status::Ok();
    }
    std::vector<uint8_t> key;
    PX_RETURN_IF_ERROR(EncodeKey(values, &key));
    range_lo_ = 0;
    range_hi_ = order_ ? order_->size() : table_->record_count();
    uint64_t lo, hi;
    PX_RETURN_IF_ERROR(Bounds(key, values.size(), &lo, &hi));
    range_lo_ = lo;
    range_hi_ = hi;
    return Status::Ok();
}

uint64_t Table::RecordAt(uint64_t position) const { return order_ ? order_->RecordAt(position) : position; }

Status Table::Load(uint64_t position) {
    Status s = table_->ReadRecord(RecordAt(position), &current_);
    if (!s.ok()) return Status::Corruption(table_name_ + ": " + s.message());
    position_ = position;
    has_record_ = true;
    return Status::Ok();
}

bool Table::Admits(uint64_t position, Status* status) {
    *status = Load(position);
    if (!status->ok()) return false;
    if (!filtered_) return true;
    if (expression_ && !MatchesExpression(status)) return false;
    return !filter_ || filter_(*this);
}

bool Table::MatchesExpression(Status* status) const {
    Field field(nullptr, 0);
    *status = FieldByName(expression_->field, &field);
    return status->ok() && field.AsString() == expression_->value;
}

Status Table::SeekForward(uint64_t from, bool* found) {
    paradox::RecordRef saved = current_;
    uint64_t saved_position = position_;
    bool saved_has = has_record_;
    *found = false;
    for (uint64_t p = std::max(from, range_lo_); p < range_hi_; ++p) {
        Status s;
        if (Admits(p, &s)) {
            *found = true;
            return Status::Ok();
        }
        PX_RETURN_IF_ERROR(s);
    }
    current_ = saved;
    position_ = saved_position;
    has_record_ = saved_has;
    return Status::Ok();
}

Status Table::SeekBackward(uint64_t from_plus_one, bool* found) {
    paradox::RecordRef saved = current_;
    uint64_t saved_position = position_;
    bool saved_has = has_record_;
    *found = false;
    for (uint64_t p = std::min(from_plus_one, range_hi_); p > range_lo_; --p) {
        Status s;
        if (Admits(p - 1, &s)) {
            *found = true;
            return Status::Ok();
        }
        PX_RETURN_IF_ERROR(s);
    }
    current_ = saved;
    position_ = saved_position;
    has_record_ = saved_has;
    return Status::Ok();
}

Status Table::First() {
    if (!Active()) return NotOpen();
    bool reloaded;
    PX_RETURN_IF_ERROR(FollowChanges(&reloaded));
    return MoveFirst();
}

Status Table::MoveFirst() {
    bool found;
    has_record_ = false;
    PX_RETURN_IF_ERROR(SeekForward(range_lo_, &found));
    eof_ = bof_ = true;
    if (found) eof_ = false;
    DataChanged();
    return Status::Ok();
}

Status Table::Last() {
    if (!Active()) return NotOpen();
    bool reloaded, found;
    PX_RETURN_IF_ERROR(FollowChanges(&reloaded));
    has_record_ = false;
    PX_RETURN_IF_ERROR(SeekBackward(range_hi_, &found));
    eof_ = bof_ = !found;
    DataChanged();
    return Status::Ok();
}

Status Table::Next() {
    if (!Active()) return NotOpen();
    bof_ = false;
    bool found = false;
    if (has_record_) PX_RETURN_IF_ERROR(SeekForward(position_ + 1, &found));
    eof_ = !found;
    if (found) DataChanged();
    return Status::Ok();
}

Status Table::Prior() {
    if (!Active()) return NotOpen();
    eof_ = false;
    bool found = false;
    if (has_record_) PX_RETURN_IF_ERROR(SeekBackward(position_, &found));
    bof_ = !found;
    if (!has_record_) eof_ = true;
    if (found) DataChanged();
    return Status::Ok();
}

// Re-reads from the current position, or the first record when it is gone.
Status Table::Reposition() {
    if (!has_record_) return First();
    bool found;
    PX_RETURN_IF_ERROR(SeekForward(position_, &found));
    if (!found) return First();
    eof_ = bof_ = false;
    DataChanged();
    return Status::Ok();
}

int Table::FieldCount() const { return table_ ? int(table_->fields().size()) : 0; }

Status Table::FieldByName(const std::string& name, Field* field) const {
    int index = table_ ? table_->FindField(name) : -1;
    if (index < 0) return Status::NotFound("Feld '" + name + "' nicht gefunden in " + FileName());
    *field = Field(this, size_t(index));
    return Status::Ok();
}

Field* Table::FindField(const std::string& name) {
    int index = table_ ? table_->FindField(name) : -1;
    return index < 0 ? nullptr : fields_[size_t(index)].get();
}

uint64_t Table::RecordCount() const { return Active() ? range_hi_ - range_lo_ : 0; }

Status Table::EncodeKey(const std::vector<Variant>& values, std::vector<uint8_t>* key) const {
    const paradox::KeyLayout& layout = order_ ? order_->key() : table_->primary_key();
    if (layout.field_count() == 0) return Status::InvalidArgument(FileName() + " hat keinen Schlüssel");
    if (values.size() > layout.field_count())
        return Status::InvalidArgument("Zu viele Schlüsselwerte für " + FileName());
    std::vector<paradox::Value> engine_values;
    for (size_t i = 0; i < values.size(); ++i) engine_values.push_back(ToEngineValue(layout.field(i), values[i]));
    return layout.Encode(engine_values, table_->text(), key);
}

Status Table::Bounds(const std::vector<uint8_t>& key, size_t n, uint64_t* lo, uint64_t* hi) const {
    if (order_) {
        *lo = order_->Bound(key, n, false);
        *hi = order_->Bound(key, n, true);
    } else {
        Status s = table_->LowerBound(key, n, lo);
        if (s.ok()) s = table_->UpperBound(key, n, hi);
        if (!s.ok()) return Status::Corruption(FileName() + ": " + s.message());
    }
    *lo = std::clamp(*lo, range_lo_, range_hi_);
    *hi = std::clamp(*hi, range_lo_, range_hi_);
    return Status::Ok();
}

Status Table::FindKey(const std::vector<Variant>& values, bool* found) {
    *found = false;
    if (!Active()) return NotOpen();
    std::vector<uint8_t> key;
    PX_RETURN_IF_ERROR(EncodeKey(values, &key));
    uint64_t lo, hi;
    PX_RETURN_IF_ERROR(Bounds(key, values.size(), &lo, &hi));
    uint64_t saved_hi = range_hi_;
    range_hi_ = hi;
    Status s = SeekForward(lo, found);
    range_hi_ = saved_hi;
    PX_RETURN_IF_ERROR(s);
    if (*found) {
        eof_ = bof_ = false;
        DataChanged();
    }
    return Status::Ok();
}

Status Table::FindNearest(const std::vector<Variant>& values) {
    if (!Active()) return NotOpen();
    std::vector<uint8_t> key;
    PX_RETURN_IF_ERROR(EncodeKey(values, &key));
    uint64_t lo, hi;
    PX_RETURN_IF_ERROR(Bounds(key, values.size(), &lo, &hi));
    bool found;
    PX_RETURN_IF_ERROR(SeekForward(lo, &found));
    if (!found) return Last();
    eof_ = bof_ = false;
    DataChanged();
    return Status::Ok();
}

}  // namespace zelvon::db
