#include "tools/zelvon-extract/replay_report.h"

#include "platform/formats.h"

namespace zelvon::replay {

namespace {

void PrintField(QTextStream& out, const char* name, const QString& value)
{
    out << name << '\t' << value << '\n';
}

QString NumberText(double value)
{
    return formats::FloatToStr(value);
}

QString DateOrZero(DateTime date)
{
    return date == 0 ? QStringLiteral("0") : formats::DateToStr(date);
}

QString IconText(const std::optional<int>& picture)
{
    return picture ? QString::number(*picture) : QStringLiteral("unchanged");
}

QString YesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

}  // namespace

QString EscapeLineBreaks(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\t')
            escaped += QLatin1String("\\t");
        else if (c == u'\r')
            escaped += QLatin1String("\\r");
        else if (c == u'\n')
            escaped += QLatin1String("\\n");
        else
            escaped += c;
    }
    return escaped;
}

void PrintReplay(QTextStream& out, const extract::QuoteRecord& quote, const extract::ExtractionOutcome& outcome,
                 const TextView& quoteList, const std::optional<QString>& followupAddress)
{
    PrintField(out, "Kurs", NumberText(quote.Kurs));
    PrintField(out, "Datum", DateOrZero(quote.Datum));
    // A time cut from a hostile page may span lines; escaped, it cannot break the layout.
    PrintField(out, "Zeit", EscapeLineBreaks(quote.Zeit));
    PrintField(out, "Volumen", NumberText(quote.Volumen));
    PrintField(out, "Bid", NumberText(quote.Bid));
    PrintField(out, "Ask", NumberText(quote.Ask));
    PrintField(out, "Status", QString::number(outcome.status));
    PrintField(out, "Icon", IconText(outcome.picture));
    PrintField(out, "Stored", YesNo(outcome.stored));
    for (int i = 0; i < quoteList.lineCount(); ++i)
        PrintField(out, "Line", EscapeLineBreaks(quoteList.line(i)));
    // The address is cut from the page and may hold anything.
    if (followupAddress)
        PrintField(out, "Followup", EscapeLineBreaks(*followupAddress));
    PrintField(out, "SavePage", YesNo(outcome.pageSaved));
    if (outcome.endedAtOnce)
        PrintField(out, "Ended", QStringLiteral("at-once"));
}

}  // namespace zelvon::replay
