#include "editor/new_security_number.h"

#include "platform/error.h"

#include <QString>

#include <algorithm>
#include <limits>

namespace zelvon::editor {
namespace {

int64_t NumberAt(const paradox::Table& table, uint64_t record, size_t field) {
    paradox::RecordRef ref;
    paradox::Value value;
    if (!table.ReadRecord(record, &ref).ok() || !table.ReadValue(ref, field, &value).ok() || value.is_null) return 0;
    return value.integer;
}

// A table keyed on the number keeps its records in number order: the last is the highest.
int64_t HighestNumber(const paradox::Table& table, size_t field) {
    const uint64_t count = table.record_count();
    if (count == 0) return 0;
    if (field == 0 && table.header().key_fields > 0) return NumberAt(table, count - 1, field);
    int64_t highest = 0;
    for (uint64_t r = 0; r < count; ++r) highest = std::max(highest, NumberAt(table, r, field));
    return highest;
}

}  // namespace

int32_t NextSecurityNumber(const db::Table& securities) {
    const paradox::Table* table = securities.engine();
    const int field = table ? table->FindField("Firma") : -1;
    if (field < 0) throw Error(QStringLiteral("Feld 'Firma' nicht gefunden in %1").arg(QString::fromStdString(securities.TableName())));
    const bool autoIncrement = table->fields()[size_t(field)].type == paradox::FieldType::kAutoIncrement;
    const int64_t last = autoIncrement ? std::max<int64_t>(table->header().auto_increment, HighestNumber(*table, size_t(field)))
                                       : HighestNumber(*table, size_t(field));
    if (last >= std::numeric_limits<int32_t>::max())
        throw Error(QStringLiteral("Keine freie Wertpapiernummer mehr in %1").arg(QString::fromStdString(securities.TableName())));
    return int32_t(last + 1);
}

}  // namespace zelvon::editor
