#include "updates/master_rows.h"

#include "updates/table_guard.h"

namespace zelvon::updates {
namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }

MasterRow ReadOne(const db::Table& update) {
    MasterRow row;
    row.keys = {Text(update, "FirmenName"), Text(update, "Kennung"), Text(update, "ZDF")};
    row.ntv = CopiedValue(update, "N-TV");
    row.branche = CopiedValue(update, "Branche");
    row.dividende = Float(update, "Dividende");
    row.gewinn = Float(update, "Gewinn");
    row.cashflow = Float(update, "Cashflow");
    row.aktienzahl = Float(update, "Aktienzahl");
    return row;
}

void RequireRowFits(const db::Table& firma, const MasterRow& row) {
    RequireFits(firma, "Kennung", Utf8(row.keys.kennung));
    RequireFits(firma, "ZDF", Utf8(row.keys.zdf));
    RequireFits(firma, "N-TV", row.ntv);
    RequireFits(firma, "Branche", row.branche);
    RequireFits(firma, "Dividende", row.dividende);
    RequireFits(firma, "Gewinn", row.gewinn);
    RequireFits(firma, "Cashflow", row.cashflow);
    RequireFits(firma, "Aktienzahl", row.aktienzahl);
}

}  // namespace

std::vector<MasterRow> ReadMasterRows(db::Table& update, const db::Table& firma) {
    std::vector<MasterRow> rows;
    rows.reserve(update.RecordCount());
    Check(update.First());
    for (int number = 1; !update.Eof(); ++number) {
        try {
            rows.push_back(ReadOne(update));
            RequireRowFits(firma, rows.back());
        } catch (const Error& e) {
            throw Error(QStringLiteral("%1, Zeile %2: %3")
                            .arg(QString::fromStdString(update.TableName()))
                            .arg(number)
                            .arg(e.message()));
        }
        Check(update.Next());
    }
    return rows;
}

std::vector<SuiteRow> ReadSuiteRows(db::Table& firma) {
    std::vector<SuiteRow> rows;
    rows.reserve(firma.RecordCount());
    Check(firma.First());
    while (!firma.Eof()) {
        rows.push_back({Integer(firma, "Firma"), {Text(firma, "FirmenName"), Text(firma, "Kennung"), Text(firma, "ZDF")}});
        Check(firma.Next());
    }
    return rows;
}

}  // namespace zelvon::updates
