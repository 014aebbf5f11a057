#include "fundamentals/fundamental_row.h"

namespace zelvon {
namespace {

using db::Status;

Status Text(const db::Table& row, const char* name, std::string* text) {
    db::Field field(nullptr, 0);
    const Status found = row.FieldByName(name, &field);
    if (found.ok()) *text = field.AsString();
    return found;
}

Status Set(db::Table& row, const char* name, const db::Variant& value) {
    db::Field field(nullptr, 0);
    const Status found = row.FieldByName(name, &field);
    return found.ok() ? field.SetValue(value) : found;
}

// The field gets value when it is empty and value is not.
Status FillWhenEmpty(db::Table& row, const char* name, const QString& value) {
    std::string current;
    const Status read = Text(row, name, &current);
    if (!read.ok() || !current.empty() || value.isEmpty()) return read;
    return Set(row, name, value.toStdString());
}

Status SetFigures(db::Table& row, const FundamentalValues& v) {
    Status s = row.Edit();
    if (s.ok() && v.shareCount != 0) s = Set(row, "Aktienzahl", v.shareCount);
    if (s.ok()) s = Set(row, "Gewinn", v.earnings);
    if (s.ok()) s = Set(row, "CashFlow", v.cashFlow);
    if (s.ok()) s = Set(row, "Dividende", v.dividend);
    if (s.ok()) s = FillWhenEmpty(row, "Ticker", v.symbol);
    if (s.ok()) s = FillWhenEmpty(row, "ISIN", v.isin);
    if (s.ok()) s = FillWhenEmpty(row, "Kennung", v.wkn);
    return s.ok() ? row.Post() : s;
}

Status SetIdentifiers(db::Table& row, const FundamentalValues& v) {
    std::string isin, wkn;
    Status s = Text(row, "ISIN", &isin);
    if (s.ok()) s = Text(row, "WKN", &wkn);
    if (!s.ok() || !isin.empty() || v.isin.isEmpty() || wkn != v.wkn.toStdString()) return s;
    s = row.Edit();
    if (s.ok()) s = FillWhenEmpty(row, "Ticker", v.symbol);
    if (s.ok()) s = Set(row, "ISIN", v.isin.toStdString());
    if (s.ok()) s = Set(row, "WKN", v.wkn.toStdString());
    return s.ok() ? row.Post() : s;
}

Status CancelOnFailure(db::Table& row, Status s) {
    if (!s.ok()) row.Cancel();
    return s;
}

}  // namespace

Status WriteFigures(db::Table& row, const FundamentalValues& values) {
    return CancelOnFailure(row, SetFigures(row, values));
}

Status FillIdentifiers(db::Table& row, const FundamentalValues& values) {
    return CancelOnFailure(row, SetIdentifiers(row, values));
}

}  // namespace zelvon
