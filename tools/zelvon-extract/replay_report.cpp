#include "tools/zelvon-extract/replay_report.h"

#include "extract/conversions.h"

namespace zelvon::replay {

namespace {

bool HasExtraction(int source)
{
    using namespace extract;
    switch (source) {
    case kSourceYahoo:
    case kSourceComdirectFonds:
    case kSourceComdirectOptionsscheine:
    case kSourceComdirectAktien:
    case kSourceComdirectIndizes:
    case kSourceComdirectZertifikate:
    case kSourceComdirectWaehrungen:
    case kSourceComdirectAlles:
        return true;
    default:
        return false;
    }
}

QString PictureMeaning(const std::optional<int>& picture)
{
    if (!picture)
        return QStringLiteral("unverändert");
    switch (*picture) {
    case extract::kPictureFailure:
        return QStringLiteral("%1 (Fehler)").arg(*picture);
    case extract::kPictureQuoteRead:
        return QStringLiteral("%1 (Kurs gelesen)").arg(*picture);
    default:
        return QString::number(*picture);
    }
}

QString YesNo(bool value)
{
    return value ? QStringLiteral("ja") : QStringLiteral("nein");
}

}  // namespace

QString StatusMeaning(int status)
{
    switch (status) {
    case extract::kQuoteRead:
        return QStringLiteral("Kurs gelesen");
    case extract::kMarkerMissing:
        return QStringLiteral("Seitenmarke der Quelle nicht gefunden");
    case extract::kPriceNotPositive:
        return QStringLiteral("Kurs nicht größer als 0");
    case extract::kPriceNotANumber:
        return QStringLiteral("Kurstext ist keine Zahl");
    default:
        return QStringLiteral("unbekannter Statuscode");
    }
}

QString NoQuoteReason(const extract::ExtractionInput& input, const extract::ExtractionOutcome& outcome,
                      const extract::QuoteRecord& quote)
{
    if (outcome.stored)
        return {};
    if (!HasExtraction(input.source))
        return QStringLiteral("Quelle %1 hat keine Seitenauswertung").arg(input.source);
    if (input.page->textLength() == 0)
        return QStringLiteral("Seite ist leer");
    if (outcome.status != extract::kQuoteRead)
        return QStringLiteral("Status %1: %2").arg(outcome.status).arg(StatusMeaning(outcome.status));
    if (!(quote.Kurs > 0))
        return QStringLiteral("Kurs nicht größer als 0 (nach dem Faktor im Firmennamen)");
    return QStringLiteral("kein Datum");
}

void PrintInputs(QTextStream& out, const extract::ExtractionInput& input, const QString& ticker)
{
    out << "Eingaben: Quelle " << input.source << ", Eintrag " << input.entry << ", jetzt "
        << formats::DateTimeToStr(input.now);
    const std::pair<const char*, QString> fields[] = {
        {"Firma", input.security.Firma ? QString::number(input.security.Firma) : QString()},
        {"ZDF", input.security.ZDF},
        {"Firmenname", input.security.Firmenname},
        {"Kennung", input.security.Kennung},
        {"ISIN", input.security.ISIN},
        {"Ticker", ticker},
        {"Waehrung", input.security.Waehrung},
    };
    for (const auto& [name, value] : fields) {
        if (!value.isEmpty())
            out << ", " << name << ' ' << value;
    }
    out << '\n';
}

void PrintQuoteList(QTextStream& out, const TextView& quoteList)
{
    for (int i = 0; i < quoteList.lineCount(); ++i)
        out << "Kursliste: " << quoteList.line(i) << '\n';
}

void PrintOutcome(QTextStream& out, const extract::ExtractionOutcome& outcome)
{
    out << "Status: " << outcome.status << " (" << StatusMeaning(outcome.status) << ")\n"
        << "Statussymbol: " << PictureMeaning(outcome.picture) << '\n'
        << "Sofort beendet: " << YesNo(outcome.endedAtOnce) << '\n'
        << "Seite speichern: " << YesNo(outcome.pageSaved) << '\n';
}

void PrintQuoteRecord(QTextStream& out, const extract::QuoteRecord& quote)
{
    out << "Kurs: " << extract::PriceText(quote.Kurs) << '\n'
        << "Bid: " << extract::PriceText(quote.Bid) << '\n'
        << "Ask: " << extract::PriceText(quote.Ask) << '\n'
        << "Volumen: " << quote.Volumen << '\n'
        << "ZeitTemp: " << formats::DateTimeToStr(quote.ZeitTemp) << '\n'
        << "Datum: " << formats::DateTimeToStr(quote.Datum) << '\n'
        << "Kurswert: " << quote.Kurswert << '\n'
        << "Zeit: " << quote.Zeit << '\n';
}

}  // namespace zelvon::replay
