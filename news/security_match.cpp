#include "news/security_match.h"

#include "news/news_tables.h"
#include "platform/trim.h"

namespace zelvon::news {
namespace {

struct Marker {
    const char16_t* text;
    int offset;  // text index of the candidate after the marker's search position
    int length;
    IdentifierCandidate::Kind kind;
};

constexpr Marker kMarkers[] = {
    {u"WKN: ", 5, 30, IdentifierCandidate::Kind::Wkn},
    {u"ISIN: ", 7, 30, IdentifierCandidate::Kind::Isin},
    {u"(ISIN ", 6, 14, IdentifierCandidate::Kind::Isin},
};

}  // namespace

IdentifierCandidate FindIdentifier(const TextView& detail) {
    const QString full = detail.text();
    for (const Marker& marker : kMarkers) {
        const int at = detail.find(QStringView(marker.text), 1, int(full.size()));
        if (at < 1) continue;
        return {marker.kind, Trimmed(ApplyCutRules(full.mid(at + marker.offset - 1, marker.length)))};
    }
    return {};
}

QString ApplyCutRules(QString candidate) {
    for (QChar stop : {u'<', u';', u',', u')', u'\n', u'\r'}) {
        const qsizetype at = candidate.indexOf(stop);
        if (at < 0) continue;
        candidate = at + 1 <= 5 ? QString() : candidate.left(at);
    }
    return candidate;
}

std::optional<MatchedSecurity> SecurityLookup::Find(const IdentifierCandidate& candidate) {
    if (candidate.text.isEmpty()) return std::nullopt;
    switch (candidate.kind) {
    case IdentifierCandidate::Kind::Wkn: return FindByKennung(candidate.text);
    case IdentifierCandidate::Kind::Isin: return ScanForIsin(candidate.text);
    case IdentifierCandidate::Kind::None: break;
    }
    return std::nullopt;
}

std::optional<MatchedSecurity> SecurityLookup::FindByKennung(const QString& wkn) {
    // A Kennung never holds more than its field: such a candidate names no security.
    const db::Field* kennung = firma_.FindField("Kennung");
    if (kennung && wkn.size() > kennung->Size()) return std::nullopt;
    bool found = false;
    CheckTable(firma_.FindKey({wkn.toStdString()}, &found), firma_);
    if (!found) return std::nullopt;
    return Current();
}

// The first row in IWKN order whose Kennung is the ISIN; failing that, the
// first whose ISIN field is, since the suite keeps most ISINs there.
std::optional<MatchedSecurity> SecurityLookup::ScanForIsin(const QString& isin) {
    const bool hasIsinField = firma_.FindField("ISIN") != nullptr;
    std::optional<MatchedSecurity> byIsinField;
    for (CheckTable(firma_.First(), firma_); !firma_.Eof(); CheckTable(firma_.Next(), firma_)) {
        if (TextField(firma_, "Kennung") == isin) return Current();
        if (!byIsinField && hasIsinField && TextField(firma_, "ISIN") == isin) byIsinField = Current();
    }
    return byIsinField;
}

MatchedSecurity SecurityLookup::Current() const {
    return {IntegerField(firma_, "Firma"), TextField(firma_, "FirmenName"), TextField(firma_, "Kennung"),
            BooleanField(firma_, "aktiv")};
}

}  // namespace zelvon::news
