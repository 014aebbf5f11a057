// The rows of Firma.Db in IFirma order with the three fields the master
// update compares, indexed by name, Kennung and ZDF. It answers "the first
// row that matches" exactly as a scan from the first row would, without the
// scan, and follows the Kennung and ZDF values the update writes.
#pragma once

#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

namespace zelvon::updates {

struct MatchKeys {
    QString name;     // FirmenName
    QString kennung;  // Kennung
    QString zdf;      // ZDF
};

struct SuiteRow {
    int32_t firma = 0;  // primary key of Firma.Db
    MatchKeys keys;
};

class FirmaMatcher {
public:
    // rows in IFirma order: position i is the i-th row of that order.
    explicit FirmaMatcher(std::vector<SuiteRow> rows);

    // Same name, or same non-empty Kennung, or same non-empty ZDF.
    bool Matches(int position, const MatchKeys& update) const;
    // The row an update row changes: nearest (the row the name lookup
    // stands on, -1 for none) when it matches, else the first row that
    // matches; -1 when none does.
    int Match(const MatchKeys& update, int nearest) const;
    // After the row at position was given these values.
    void SetIdentifiers(int position, const QString& kennung, const QString& zdf);

    // Position of the row with this primary key, -1 when unknown.
    int PositionOf(int32_t firma) const;
    const SuiteRow& row(int position) const { return rows_[size_t(position)]; }
    int size() const { return int(rows_.size()); }

private:
    using Positions = std::vector<int>;  // ascending
    static int FirstIn(const QHash<QString, Positions>& index, const QString& key);
    static void Add(QHash<QString, Positions>& index, const QString& key, int position);
    static void Remove(QHash<QString, Positions>& index, const QString& key, int position);

    std::vector<SuiteRow> rows_;
    QHash<int32_t, int> byFirma_;
    QHash<QString, Positions> byName_;
    QHash<QString, Positions> byKennung_;
    QHash<QString, Positions> byZdf_;
};

}  // namespace zelvon::updates
