#include "app/run_report.h"

#include "extract/quote_record.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <map>

namespace zelvon {
namespace {

QString ExtractionReason(int status) {
    switch (status) {
    case extract::kMarkerMissing: return QStringLiteral("marker not found");
    case extract::kPriceNotANumber: return QStringLiteral("price not a number");
    case extract::kPriceNotPositive: return QStringLiteral("price not positive");
    default: return QStringLiteral("no quote");
    }
}

QString AttemptReason(const FetchAttempt& attempt) {
    if (attempt.aborted) return QStringLiteral("aborted");
    if (attempt.extractionStatus && *attempt.extractionStatus == extract::kQuoteRead && attempt.extractionStored) return {};
    if (!attempt.transferFailure.isEmpty()) return attempt.transferFailure;
    if (!attempt.feedFailure.isEmpty()) return attempt.feedFailure;
    if (attempt.extractionStatus) return ExtractionReason(*attempt.extractionStatus);
    if (attempt.httpStatus >= 400) return QStringLiteral("HTTP %1 %2").arg(attempt.httpStatus).arg(attempt.statusText);
    return QStringLiteral("no answer");
}

QJsonObject AttemptJson(const FetchAttempt& attempt) {
    QJsonObject o{{"http", attempt.httpStatus}, {"status", attempt.statusText}, {"aborted", attempt.aborted}};
    o["page"] = attempt.pageAddress.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(attempt.pageAddress);
    if (!attempt.transferFailure.isEmpty()) o["transfer"] = attempt.transferFailure;
    if (attempt.extractionStatus) o["extraction"] = *attempt.extractionStatus;
    const QString reason = AttemptReason(attempt);
    o["reason"] = reason.isEmpty() ? QJsonValue(QStringLiteral("quote read")) : QJsonValue(reason);
    return o;
}

QJsonObject SecurityJson(const SecurityReport& s) {
    QJsonArray attempts;
    for (const FetchAttempt& a : s.attempts) attempts.append(AttemptJson(a));
    QJsonObject o{{"Firma", s.Firma},
                  {"ZDF", s.ZDF},
                  {"Kennung", s.Kennung},
                  {"source", QJsonObject{{"index", s.source}, {"caption", s.sourceCaption}}},
                  {"exchange", QJsonObject{{"index", s.exchange}, {"caption", s.exchangeCaption}}},
                  {"address", s.address},
                  {"attempts", attempts}};
    const QString reason = FailureReason(s);
    o["reason"] = reason.isEmpty() ? QJsonValue(QStringLiteral("quote read")) : QJsonValue(reason);
    if (s.stored) {
        o["stored"] = QJsonObject{{"Kurs", s.stored->Kurs},
                                  {"Zeit", formats::DateToStr(s.stored->Zeit) + u' ' +
                                               formats::LongTimeToStr(s.stored->Zeit)},
                                  {"Volumen", s.stored->Volumen}};
    } else {
        o["stored"] = QJsonValue::Null;
    }
    return o;
}

struct SourceTotals {
    int securities = 0, stored = 0;
    std::map<QString, int> failures;  // reason -> count
};

std::map<QString, SourceTotals> Totals(const std::vector<SecurityReport>& securities) {
    std::map<QString, SourceTotals> totals;
    for (const SecurityReport& s : securities) {
        SourceTotals& t = totals[s.sourceCaption];
        ++t.securities;
        if (s.stored) ++t.stored;
        else ++t.failures[FailureReason(s)];
    }
    return totals;
}

}  // namespace

QString FailureReason(const SecurityReport& security) {
    if (security.stored) return {};
    if (security.attempts.empty()) return QStringLiteral("no answer");
    const QString reason = AttemptReason(security.attempts.back());
    return reason.isEmpty() ? QStringLiteral("not stored") : reason;
}

QString GermanFailureReason(const QString& reason) {
    static const std::map<QString, QString> kGerman{
        {QStringLiteral("marker not found"), QStringLiteral("Marke nicht gefunden")},
        {QStringLiteral("price not a number"), QStringLiteral("Kurs keine Zahl")},
        {QStringLiteral("price not positive"), QStringLiteral("Kurs nicht positiv")},
        {QStringLiteral("no answer"), QStringLiteral("keine Antwort")},
        {QStringLiteral("aborted"), QStringLiteral("abgebrochen")},
        {QStringLiteral("not stored"), QStringLiteral("nicht gespeichert")},
        {QStringLiteral("no quote"), QStringLiteral("kein Kurs")},
        {QStringLiteral("no data for 5 s"), QStringLiteral("5 s keine Daten")},
        {QStringLiteral("body over 256 MiB"), QStringLiteral("Antwort über 256 MiB")},
        {QStringLiteral("page incomplete at the time-out"), QStringLiteral("Seite bei Zeitablauf unvollständig")},
    };
    const auto it = kGerman.find(reason);
    return it != kGerman.end() ? it->second : reason;
}

QByteArray RunReport::ToJson() const {
    QJsonArray securities;
    int stored = 0;
    for (const SecurityReport& s : securities_) {
        securities.append(SecurityJson(s));
        if (s.stored) ++stored;
    }
    QJsonObject perSource;
    for (const auto& [caption, t] : Totals(securities_)) {
        QJsonObject failures;
        for (const auto& [reason, count] : t.failures) failures[reason] = count;
        perSource[caption] = QJsonObject{{"securities", t.securities}, {"stored", t.stored}, {"failures", failures}};
    }
    const QJsonObject root{{"securities", securities},
                           {"totals", QJsonObject{{"securities", int(securities_.size())}, {"stored", stored}}},
                           {"sources", perSource},
                           {"ended", endedEarly_.isEmpty() ? QStringLiteral("end of selection") : endedEarly_}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString RunReport::Summary() const {
    int stored = 0;
    for (const SecurityReport& s : securities_) stored += s.stored ? 1 : 0;
    QString text = QStringLiteral("%1 von %2 Kursen gespeichert").arg(stored).arg(securities_.size());
    for (const auto& [caption, t] : Totals(securities_)) {
        const int failed = t.securities - t.stored;
        if (failed == 0) continue;
        QStringList reasons;
        for (const auto& [reason, count] : t.failures) reasons << GermanFailureReason(reason);
        text += QStringLiteral("; %1: %2 Fehler (%3)").arg(caption.trimmed()).arg(failed).arg(reasons.join(", "));
    }
    if (!endedEarly_.isEmpty()) text += QStringLiteral("; Lauf vorzeitig beendet: ") + endedEarlyGerman_;
    return text;
}

bool RunReport::Save(const QString& path, QString* error) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(ToJson()) < 0 || !file.commit()) {
        *error = QStringLiteral("Bericht %1 kann nicht geschrieben werden: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

}  // namespace zelvon
