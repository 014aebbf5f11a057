#include "extract/taipan.h"

#include "extract/conversions.h"
#include "extract/dde_feed.h"

#include <array>

namespace zelvon::extract::taipan {

namespace {

const QString kService = QStringLiteral("TaiPanRT");
const QString kLoading = QStringLiteral("Lade Daten über TaiPanRT...");
const QString kUnreachable = QStringLiteral("Kann nicht auf TaiPanRT zugreifen!");
const QString kNotRead = QStringLiteral("Konnte Wert nicht einlesen!");

// ZDF, price, time, volume, then the two empty fields where a WinBis line has
// bid and ask, and the feed's name: a reader of the quote file finds every
// field in the same column for both feeds and no invented bid or ask.
void Report(Extraction& run)
{
    const QuoteRecord& q = run.quote;
    if (!run.input.windowVisible || q.Kurs == 0)
        return;
    run.appendLine(run.quoteLineStart() + u'\t' + QString::number(q.Volumen) + QStringLiteral("\t\t\t") + kService);
}

void Read(Extraction& run, const QString& code)
{
    QuoteRecord& q = run.quote;
    feed::FeedConversation dde(run, kService);
    const QString topic = run.input.security.Kennung + u'.' + code;
    dde.item().Clear();
    dde.conv().SetDdeTopic(code);
    dde.item().SetDdeItem(QStringLiteral("last"));
    // A feed that cannot be reached is asked nothing more: the price text
    // still holds the previous security's price.
    if (!dde.link(topic)) {
        dde.setLade(false);
        run.showStatus(kUnreachable);
        return;
    }
    run.showStatus(kLoading);
    q.Kurswert = feed::PriceValueText(dde.request(dde.item().DdeItem()));
    dde.close();

    if (!dde.link(topic))
        return;
    q.Kurs = feed::PriceValue(q.Kurswert);
    if (q.Kurs > 0) {
        q.Volumen = feed::SizeValue(dde.request(QStringLiteral("volumen")));
        dde.close();
    } else {
        run.showStatus(kUnreachable);
    }
    dde.readToday();

    if (!dde.link(topic)) {
        run.showStatus(kNotRead);
        return;
    }
    q.Kurs = feed::PriceValue(q.Kurswert);
    if (q.Kurs > 0) {
        q.Zeit = feed::ValueText(dde.request(QStringLiteral("lasttime")));
        dde.close();
    } else {
        run.showStatus(kUnreachable);
    }
    Report(run);
}

}  // namespace

QString ExchangeCode(int entry)
{
    static const std::array<const char*, 16> kCodes = {
        "BLN", "DDF", "FWB", "HBG", "HNV", "MCH", "STG", "ETR", "STX", "AMEX", "NYSE", "NASDAQ", "OTC", "EUS", "EEU", "EUWAX",
    };
    if (entry < 0 || entry >= int(kCodes.size()))
        return QStringLiteral("ETR");
    return QString::fromLatin1(kCodes[size_t(entry)]);
}

SourceEnd Extract(Extraction& run)
{
    QuoteRecord& q = run.quote;
    run.fetchButtonsBusy();
    q.Kurs = 0;
    // Not read from this feed: nothing of an earlier quote may pass for them.
    q.Bid = 0;
    q.Ask = 0;
    q.BVol = 0;
    q.AVol = 0;
    q.Zeit = TimeText(run.timeOfDay());
    const QString code = ExchangeCode(run.input.entry);
    feed::GuardedRead(run, [&] { Read(run, code); });
    // The storage step enables the fetch buttons again.
    return SourceEnd::ToStorage;
}

}  // namespace zelvon::extract::taipan
