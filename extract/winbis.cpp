#include "extract/winbis.h"

#include "extract/conversions.h"
#include "extract/dde_feed.h"

#include <array>

namespace zelvon::extract::winbis {

namespace {

const QString kService = QStringLiteral("WinBis");
const QString kLoading = QStringLiteral("Lade Daten über WinBis...");
const QString kUnreachable = QStringLiteral("Kann nicht auf WinBis zugreifen!");
const QString kNotRead = QStringLiteral("Konnte Wert nicht einlesen!");

// Ask, ask size, bid, bid size: each read in its own conversation.
void ReadQuoteSides(Extraction& run, feed::FeedConversation& dde, const QString& topic)
{
    QuoteRecord& q = run.quote;
    const QString& kennung = run.input.security.Kennung;
    const auto price = [&](double& member, const char* suffix) {
        if (!dde.link(topic)) {
            run.showStatus(kUnreachable);
            return;
        }
        member = feed::PriceValue(feed::PriceValueText(dde.request(kennung + QLatin1String(suffix))));
        dde.close();
    };
    const auto size = [&](int32_t& member, const char* suffix) {
        if (!dde.link(topic)) {
            run.showStatus(kUnreachable);
            return;
        }
        member = feed::SizeValue(dde.request(kennung + QLatin1String(suffix)));
        dde.close();
    };
    price(q.Ask, "/A");
    size(q.AVol, "/AV");
    price(q.Bid, "/B");
    size(q.BVol, "/NV");
}

void Report(Extraction& run)
{
    const QuoteRecord& q = run.quote;
    if (!run.input.windowVisible || q.Kurs == 0)
        return;
    run.appendLine(QStringLiteral("%1\t%2\t%3(%4)\t%5(%6)\t%7")
                       .arg(run.quoteLineStart(), QString::number(q.Volumen), PriceText(q.Bid), QString::number(q.BVol),
                            PriceText(q.Ask), QString::number(q.AVol), kService));
}

void Read(Extraction& run, const QString& topic)
{
    QuoteRecord& q = run.quote;
    feed::FeedConversation dde(run, kService);
    const QString& kennung = run.input.security.Kennung;
    dde.item().Clear();
    dde.conv().SetDdeTopic(topic);
    dde.item().SetDdeItem(kennung + QLatin1String("/L"));
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

    if (!dde.link(topic)) {
        run.showStatus(kNotRead);
        return;
    }
    q.Kurs = feed::PriceValue(q.Kurswert);
    if (q.Kurs > 0) {
        q.Volumen = feed::SizeValue(dde.request(kennung + QLatin1String("/G")));
        dde.close();
    } else {
        // This conversation stays open until the next SetLink.
        run.showStatus(kUnreachable);
    }
    dde.readToday();
    ReadQuoteSides(run, dde, topic);
    Report(run);
}

}  // namespace

QString Topic(int entry)
{
    static const std::array<const char*, 22> kTopics = {
        "XETRA", "FWB",  "STU", "MUN",  "DUS",   "BER",   "HAM", "BRE",  "HAN",  "EUREX", "INVE",
        "DVSN",  "NDX", "MTLL", "LIFFE", "EBS", "WIEN", "OTOB", "NYMEX", "NASDA", "NYSE", "AMEX",
    };
    if (entry < 0 || entry >= int(kTopics.size()))
        return QStringLiteral("FWB");
    return QString::fromLatin1(kTopics[size_t(entry)]);
}

SourceEnd Extract(Extraction& run)
{
    QuoteRecord& q = run.quote;
    run.fetchButtonsBusy();
    q.Kurs = 0;
    q.Zeit = TimeText(run.timeOfDay());
    const QString topic = Topic(run.input.entry);
    feed::GuardedRead(run, [&] { Read(run, topic); });
    // The storage step enables the fetch buttons again.
    return SourceEnd::ToStorage;
}

}  // namespace zelvon::extract::winbis
