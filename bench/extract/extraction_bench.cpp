// Extraction of 1 MB pages: realistic Yahoo, comdirect, Onvista,
// wallstreet-online, Consors and Teleboerse pages padded with markup, the
// quote near the end or missing. Each iteration extracts from a
// freshly shown page, as after a fetch, so the view's search text is built anew.
#include "extract/extraction.h"

#include <benchmark/benchmark.h>

#include <QString>

namespace {

using namespace zelvon;

constexpr qsizetype kPageSize = 1024 * 1024;

const char* const kYahooHead =
    "<!DOCTYPE html><html id=\"atomic\" lang=\"de-DE\"><head><meta charset=\"utf-8\">"
    "<title>SAP SE (SAP.DE) Aktienkurs, News, Kurs und Chart | Yahoo Finanzen</title></head><body>\n";
const char* const kYahooQuote =
    "<div id=\"quote-header-info\"><h1 class=\"D(ib) Fz(18px)\">SAP SE (SAP.DE)</h1>"
    "<span class=\"Trsdu(0.3s) Fw(b) Fz(36px) Mb(-4px) D(ib)\" data-reactid=\"32\">1.234,56</span>"
    "<span class=\"Trsdu(0.3s) Fw(500) Pstart(10px) Fz(24px) C($positiveColor)\" data-reactid=\"33\">"
    "+12,34 (+1,01 %)</span><div id=\"quote-market-notice\"><span class=\"time\">17:35</span> MEZ. "
    "Marktzeiten. B\xf6rse Xetra</div><table><tr><td>Volumen</td>"
    "<td class=\"Ta(end) Fw(600) Lh(14px)\" data-test=\"TD_VOLUME-value\">1.234.567</td></tr></table></div>\n";
const char* const kYahooFoot =
    "<section id=\"quote-summary\"><table><tr><td>Vortag</td><td>1.222,22</td></tr></table></section>\n"
    "<footer>Kursdaten f\xfcr SAP.DE, Angaben ohne Gew\xe4hr</footer></body></html>\n";

const char* const kComdirectHead =
    "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"windows-1252\">"
    "<title>SAP SE Aktie | Kurs\xfc" "bersicht | comdirect</title></head>\n<body>\n";
const char* const kComdirectQuote =
    "<nav class=\"tabs\"><a href=\"#\" data-label=\"Aktuell\">Aktuell</a><a href=\"#\">Chart</a></nav>\n"
    "<table class=\"simple-table\"><tr>\n"
    "<td data-label=\"Aktuell\" class=\"table__column--right\">1.234,56 EUR</td>\n"
    "<td>\n+1,20 %</td>\n<td>\nB\xf6rse Xetra</td>\n<td>\n31.12.20 17:35</td>\n</tr></table>\n"
    "<table><tr><th>Umsatz</th>\n<td data-label=\"Tages-Vol.\">1,5&nbsp;Mio</td></tr></table>\n";
const char* const kComdirectFoot =
    "<p class=\"footnote\">Kurse verz\xf6gert um mindestens 15 Minuten</p>\n</body></html>\n";

const char* const kOnvistaHead =
    "<!DOCTYPE html><html lang=\"de\"><head><meta charset=\"windows-1252\">"
    "<title>SAP Aktie | onvista</title></head><body>";
const char* const kOnvistaQuote =
    "<div class=\"quote\"><time datetime=\"2024-03-15T17:35:12.000+01:00\">17:35</time>"
    "<data value=\"176.42\">176,42 EUR</data></div>";
const char* const kOnvistaOlderQuote =
    "<div class=\"box\"><span class=\"currentAsk\" data-unit=\"EUR\" price=\"176.42\">176,42</span></div>"
    "<div>B\xf6rse Frankfurt</div><span class=\"item\">15.03.2024 17:35:12 Uhr</span>";
const char* const kOnvistaFoot = "<footer>Kurse verz\xf6gert, Angaben ohne Gew\xe4hr</footer></body></html>\n";
QString Blanks(int n)
{
    return QString(n, u' ');
}

// The informer's quote block: price, time and volume at their distances from
// the second "Letzter Kurs".
QString WallstreetQuote()
{
    return QStringLiteral("<nav><a href=\"#kurs\">Letzter Kurs</a></nav><h2>Letzter Kurs</h2>") + Blanks(580) +
           "<div class=\"Kurs\"><span class=\"tradeBox\"><span class=\"trade\">123,45</span> EUR</span></div>" +
           Blanks(900) + "<span class=\"tradeTime\">17:35:12</span>" + Blanks(470) +
           "<table><tr><td>Volumen</td><td>1,234567 Mio St\u00fcck</td></tr></table>\n";
}

// The date element's title holds the point 198 characters after the price marker.
QString ConsorsQuote()
{
    return QStringLiteral("<div class=\"snapshot\"><span class=\"price price-up\">1.234,56</span> EUR"
                          "<span class=\"datetime\" title=\"Kurszeit") + Blanks(160) +
           "\" data-field=\"price.DATETIME_PRICE\" data-format=\"dd.MM.yyyy\">15.03.2024</span> "
           "<span data-format=\"HH:mm\">17:35</span></div><div class=\"details\"><span class=\"price price-up\">"
           "1.234,56</span> EUR</div><table><tr><td><span>Tagesumsatz</span>1.234.567&nbsp;</td></tr></table>\n";
}

// The result row 3 600 characters after the ISIN in the search head.
QString TeleboerseQuote()
{
    return QStringLiteral("<div class=\"suche\">1 Treffer f\u00fcr <b>DE0007164600</b></div>") + Blanks(3580) +
           "<table><tr><td class=\"isin\">DE0007164600</td><td class=\"name\">SAP SE</td><td>Xetra</td>"
           "<td class=\"zeit\">17:35</td><td class=\"kurs\"><span class=\"wert\">123,45</span> EUR</td></tr></table>\n";
}

// Served without line breaks above the quote: each one would move the fixed-distance cuts.
const char* const kOneLineHead =
    "<!DOCTYPE html><html lang=\"de\"><head><meta charset=\"windows-1252\"><title>SAP SE | Kurs</title></head><body>";
const char* const kShortFoot = "<footer>Angaben ohne Gew\xe4hr</footer></body></html>\n";

// News teasers and related securities, none of them holding a source's markers.
// Served minified, without line breaks: each break before the quote shifts the
// extraction's cuts by one character, and the sources' pages do not have them.
QString PaddingRow(int n)
{
    const QString number = QString::number(n);
    if (n % 2 == 0)
        return QStringLiteral("<li class=\"js-stream-content Pos(r)\"><a href=\"/nachrichten/meldung-%1.html\" "
                              "class=\"Fw(b) Fz(18px) Lh(23px)\">Meldung %1 zum Handelstag</a></li>").arg(number);
    return QStringLiteral("<tr><td class=\"table__column--left\"><a href=\"/inf/aktien/DE%1\">Wertpapier %1</a>"
                          "</td><td class=\"table__column--right\">%1,25</td></tr>").arg(number);
}

QString Page(const char* head, const QString& quote, const char* foot);

QString Page(const char* head, const char* quote, const char* foot)
{
    return Page(head, QString::fromLatin1(quote), foot);
}

QString Page(const char* head, const QString& quote, const char* foot)
{
    QString page = QString::fromLatin1(head);
    const QString tail = quote + QString::fromLatin1(foot);
    for (int n = 0; page.size() + tail.size() < kPageSize; ++n)
        page += PaddingRow(n);
    return page + tail;
}

void ExtractPage(benchmark::State& state, int source, int entry, const QString& text, bool quoteExpected)
{
    TextView page;
    TextView quoteList;
    extract::ExtractionInput input;
    input.page = &page;
    input.quoteList = &quoteList;
    input.security.ZDF = QStringLiteral("SAP");
    input.security.ISIN = QStringLiteral("DE0007164600");
    input.source = source;
    input.entry = entry;
    input.now = *formats::EncodeDate(2024, 3, 15) + *formats::EncodeTime(18, 0, 0);
    for (auto _ : state) {
        state.PauseTiming();
        page.setText(text);
        quoteList.clear();
        input.SizeTemp = double(page.textLength());
        extract::QuoteExtractor extractor;
        state.ResumeTiming();
        const extract::ExtractionOutcome outcome = extractor.SpeedButton3Click(input);
        benchmark::DoNotOptimize(outcome);
        if (outcome.stored != quoteExpected) {
            state.SkipWithError(quoteExpected ? "no quote read from the quote page" : "a quote read from a page without one");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

void ExtractPage(benchmark::State& state, int source, const QString& text, bool quoteExpected)
{
    ExtractPage(state, source, 0, text, quoteExpected);
}

void BM_YahooQuoteNearEnd(benchmark::State& state)
{
    ExtractPage(state, kSourceYahoo, Page(kYahooHead, kYahooQuote, kYahooFoot), true);
}

void BM_YahooNoQuote(benchmark::State& state)
{
    ExtractPage(state, kSourceYahoo, Page(kYahooHead, "", kYahooFoot), false);
}

void BM_ComdirectQuoteNearEnd(benchmark::State& state)
{
    ExtractPage(state, kSourceComdirectAktien, Page(kComdirectHead, kComdirectQuote, kComdirectFoot), true);
}

void BM_ComdirectNoQuote(benchmark::State& state)
{
    ExtractPage(state, kSourceComdirectAktien, Page(kComdirectHead, "", kComdirectFoot), false);
}

void BM_OnvistaQuoteNearEnd(benchmark::State& state)
{
    ExtractPage(state, kSourceOnvista, Page(kOnvistaHead, kOnvistaQuote, kOnvistaFoot), true);
}

// The current layout searched in vain first, then the older layout reads it.
void BM_OnvistaOlderLayoutNearEnd(benchmark::State& state)
{
    ExtractPage(state, kSourceOnvista, Page(kOnvistaHead, kOnvistaOlderQuote, kOnvistaFoot), true);
}

// Every layout searched in vain.
void BM_OnvistaNoQuote(benchmark::State& state)
{
    ExtractPage(state, kSourceOnvista, Page(kOnvistaHead, "", kOnvistaFoot), false);
}

void BM_WallstreetQuoteNearEnd(benchmark::State& state)
{
    ExtractPage(state, kSourceWallstreet, kWallstreetIsin, Page(kOneLineHead, WallstreetQuote(), kShortFoot), true);
}

void BM_ConsorsQuoteNearEnd(benchmark::State& state)
{
    ExtractPage(state, kSourceConsors, kEntryWkn, Page(kOneLineHead, ConsorsQuote(), kShortFoot), true);
}

void BM_TeleboerseQuoteNearEnd(benchmark::State& state)
{
    ExtractPage(state, kSourceTeleboerse, kTeleboerseIsin, Page(kOneLineHead, TeleboerseQuote(), kShortFoot), true);
}

}  // namespace

BENCHMARK(BM_YahooQuoteNearEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_YahooNoQuote)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComdirectQuoteNearEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComdirectNoQuote)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnvistaQuoteNearEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnvistaOlderLayoutNearEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnvistaNoQuote)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WallstreetQuoteNearEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConsorsQuoteNearEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TeleboerseQuoteNearEnd)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
