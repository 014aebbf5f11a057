// Which security a news item concerns: the identifier found in the cleaned
// detail text ("WKN: ", "ISIN: " or "(ISIN "), looked up in Firma.db.
#pragma once

#include "db/table.h"
#include "platform/text_view.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace zelvon::news {

struct IdentifierCandidate {
    enum class Kind { None, Wkn, Isin };
    Kind kind = Kind::None;
    QString text;  // after the cut rules, trimmed; may be empty
};

struct MatchedSecurity {
    int32_t firma = 0;
    QString firmenName;
    QString kennung;
    bool aktiv = false;
};

IdentifierCandidate FindIdentifier(const TextView& detail);

// "<", ";", ",", ")", line feed and carriage return, in this order: at
// position 5 or less (1-based) the candidate becomes empty, later it is cut there.
QString ApplyCutRules(QString candidate);

// Looks securities up in Firma.db, opened with the index IWKN. Raises Error
// naming the table when it cannot be read.
class SecurityLookup {
public:
    explicit SecurityLookup(db::Table& firma) : firma_(firma) {}

    std::optional<MatchedSecurity> Find(const IdentifierCandidate& candidate);

private:
    std::optional<MatchedSecurity> FindByKennung(const QString& wkn);
    std::optional<MatchedSecurity> ScanForIsin(const QString& isin);
    MatchedSecurity Current() const;

    db::Table& firma_;
};

}  // namespace zelvon::news
