// The news run end to end: a news service on 127.0.0.1, the demo kit's
// Firma.db and Nachrichten.db, the kept files; repeated runs; hostile
// overviews and detail pages; the stop request.
#include "news/news_run.h"

#include "platform/codec.h"
#include "platform/error.h"
#include "platform/formats.h"
#include "tests/news/news_rig.h"

#include <QFile>

#include <gtest/gtest.h>

namespace zelvon::news {
namespace {

using test::DetailPage;
using test::NewsLink;
using test::NewsRig;
using test::OverviewPage;
using test::RecordingProgress;

DateTime At(int year, int month, int day, int hour, int minute) {
    return *formats::EncodeDate(year, month, day) + *formats::EncodeTime(hour, minute, 0);
}

QString KeptText(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return codec::DecodeWindows1252(file.readAll());
}

// Seven items: matched by WKN (active), by "ISIN: " (inactive), by "(ISIN "
// (active), unmatched with a time that does not convert and an HTML page, in
// English, one already stored and one whose detail page is missing.
void ServeRegularNews(test::NewsService& service) {
    service.SetOverview(OverviewPage({
        {NewsLink("2001"), "24.01.24 22:05", "SAP SE: Geschäftszahlen 2023"},
        {NewsLink("2002"), "20.02.24 18:45", "Deutsche Bank AG: Vorstand"},
        {NewsLink("1001"), "24.01.24 22:05", "SAP SE: schon gespeichert"},
        {NewsLink("2003"), "01.03.24 07:30", "Bayer AG: Studie"},
        {NewsLink("2004"), "kein Datum!!!", "Unbekannt GmbH: Insolvenz"},
        {NewsLink("2005"), "02.03.24 09:00", "SAP SE: Preliminary results (engl.)"},
        {NewsLink("2006"), "02.03.24 10:00", "Fehlt AG: Seite fehlt"},
    }));
    service.SetDetail("2001", DetailPage("SAP SE (WKN: 716460) &amp; Partner", "Gesch&auml;ftszahlen für 2023 sind gut."));
    service.SetDetail("2002", DetailPage("Deutsche Bank AG, ISIN: DE0005140008, Frankfurt", "Änderung im Vorstand."));
    service.SetDetail("2003", DetailPage("Bayer AG (ISIN DE000BAY0017) Leverkusen", "Studie erfolgreich."));
    service.SetDetail("2004", "<!DOCTYPE html>\n" + DetailPage("Unbekannt GmbH", "Insolvenzantrag gestellt."));
    service.SetDetail("2005", DetailPage("SAP SE (WKN: 716460)", "Preliminary results."));
}

TEST(NewsRun, StoresNewItemsWithSecurityTimeAndStateAndKeepsTheirTexts) {
    NewsRig rig;
    ServeRegularNews(rig.service);
    RecordingProgress progress;
    const NewsRunResult result = rig.Run(progress);

    EXPECT_TRUE(result.overviewRead);
    EXPECT_EQ(result.items, 7);
    EXPECT_EQ(result.stored, 5);
    const auto rows = rig.Rows();
    ASSERT_EQ(rows.size(), 3u + 5u);
    EXPECT_EQ(rows.at(2001).firma, 1);
    EXPECT_EQ(rows.at(2001).nachricht, "SAP SE: Geschäftszahlen 2023");
    EXPECT_EQ(rows.at(2001).zeit, At(2024, 1, 24, 22, 5));
    EXPECT_TRUE(rows.at(2001).aktiv);
    EXPECT_EQ(rows.at(2002).firma, 5) << "the ISIN of a security whose Kennung is its WKN";
    EXPECT_EQ(rows.at(2003).firma, 7);
    EXPECT_EQ(rows.at(2004).firma, 0);
    EXPECT_EQ(rows.at(2004).zeit, formats::Today());
    EXPECT_EQ(rows.at(2005).firma, 1);
    EXPECT_FALSE(rows.at(2005).aktiv) << "English with Sprache 0";
    EXPECT_EQ(rows.at(1001).nachricht, "SAP SE: Vorläufige Zahlen zum Geschäftsjahr 2023") << "kept as it was";
    EXPECT_EQ(rig.service.Requests("1001"), 0) << "a stored item is never fetched";
    // SAP (twice) and Bayer are active: two beeps each.
    EXPECT_EQ(progress.beeps, 6);

    const QString sap = KeptText(rig.Kept() + "2001.txt");
    EXPECT_TRUE(sap.contains("SAP SE (WKN: 716460) & Partner\r\nGeschäftszahlen für 2023 sind gut.\r\n")) << sap.toStdString();
    EXPECT_FALSE(sap.contains("<script") || sap.contains("<h6>") || sap.contains("charset")) << sap.toStdString();
    EXPECT_TRUE(KeptText(rig.Kept() + "2002.txt").startsWith("Deutsche Bank AG, ISIN: DE0005140008, Frankfurt\r\n"));
    EXPECT_TRUE(KeptText(rig.Kept() + "2004.htm").contains("Insolvenzantrag gestellt."));
    EXPECT_EQ(rig.FilesOutsideData(), QStringList({"Kept/2001.txt", "Kept/2002.txt", "Kept/2003.txt", "Kept/2004.htm",
                                                   "Kept/2005.txt"}))
        << "the overview and the detail pages are gone from Temp";
    EXPECT_TRUE(progress.lines.join("\n").contains("SAP SE: Geschäftszahlen 2023 | SAP SE (716460) vom 24.01.2024 22:05 -> "
                                                   + rig.Kept() + "2001.txt"))
        << progress.lines.join("\n").toStdString();
    EXPECT_TRUE(progress.lines.join("\n").contains("Unbekannt GmbH: Insolvenz | Ad-hoc - Meldung nicht zugeordnet"));

    const int requests = rig.service.DetailRequests();
    RecordingProgress again;
    EXPECT_EQ(rig.Run(again).stored, 0);
    EXPECT_EQ(rig.Rows().size(), rows.size());
    EXPECT_EQ(rig.service.DetailRequests(), requests + 1) << "only the missing page is asked for again";
}

struct HostileCase {
    const char* what;
    QByteArray overview;
    bool raises;
    std::vector<int32_t> stored;
};

TEST(NewsRun, HostileOverviewsStoreNothingBadAndWriteNothingElsewhere) {
    const QString padded(300, u'7');
    QByteArray noStart = OverviewPage({{NewsLink("3001"), "01.03.24 07:30", "A"}});
    noStart.replace("Realtime News", "Weitere Meldungen");
    const HostileCase cases[] = {
        {"a number climbing out of Temp", OverviewPage({{NewsLink("../../3001"), "01.03.24 07:30", "A"}}), true, {}},
        {"a number with a slash", OverviewPage({{NewsLink("3001/2"), "01.03.24 07:30", "A"}}), true, {}},
        {"a 300-digit number", OverviewPage({{NewsLink(padded), "01.03.24 07:30", "A"}}), true, {}},
        {"a number past 32 bits", OverviewPage({{NewsLink("4294967296"), "01.03.24 07:30", "A"}}), true, {}},
        {"no end marker", OverviewPage({{NewsLink("3001"), "01.03.24 07:30", "A"}}, false), false, {}},
        {"no start marker", noStart, false, {}},
        {"an empty number", OverviewPage({{NewsLink(""), "01.03.24 07:30", "A"}, {NewsLink("3001"), "01.03.24 07:30", "A"}}),
         false, {3001}},
        {"a link to another host",
         OverviewPage({{"@127.0.0.2" + NewsLink("3001"), "01.03.24 07:30", "A"}, {NewsLink("3003"), "01.03.24 07:30", "C"}}),
         false, {3003}},
        {"a missing detail page, then a good one",
         OverviewPage({{NewsLink("3404"), "01.03.24 07:30", "A"}, {NewsLink("3001"), "01.03.24 07:30", "B"}}), false, {3001}},
        {"a good item, then a page that never ends",
         OverviewPage({{NewsLink("3001"), "01.03.24 07:30", "A"}, {NewsLink("3999"), "01.03.24 07:30", "B"},
                       {NewsLink("3003"), "01.03.24 07:30", "C"}}),
         true, {3001}},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.what);
        NewsRig rig;
        rig.service.SetOverview(c.overview);
        rig.service.SetDetail("3001", DetailPage("Erste AG", "Text."));
        rig.service.SetDetail("3003", DetailPage("Dritte AG", "Text."));
        rig.service.SetEndless("3999");
        RecordingProgress progress;
        bool raised = false;
        try {
            rig.Run(progress);
        } catch (const Error& e) {
            raised = true;
            EXPECT_FALSE(e.message().isEmpty());
        }
        EXPECT_EQ(raised, c.raises);
        std::vector<int32_t> stored;
        for (const auto& [nummer, row] : rig.Rows()) {
            if (nummer > 2000) stored.push_back(nummer);
        }
        EXPECT_EQ(stored, c.stored);
        QStringList kept;
        for (int32_t n : c.stored) kept << QStringLiteral("Kept/%1.txt").arg(n);
        EXPECT_EQ(rig.FilesOutsideData(), kept);
        EXPECT_EQ(rig.service.Requests("../../3001") + rig.service.Requests("3001/2"), 0) << "checked before any download";
    }
}

TEST(NewsRun, TheStopRequestEndsTheScanAfterTheCurrentItem) {
    NewsRig rig;
    ServeRegularNews(rig.service);
    RecordingProgress progress;
    progress.stopAfter = 2;
    const NewsRunResult result = rig.Run(progress);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.items, 2);
    EXPECT_EQ(result.stored, 2);
    EXPECT_EQ(rig.service.Requests("2003"), 0);
    EXPECT_EQ(rig.Rows().size(), 3u + 2u);
}

}  // namespace
}  // namespace zelvon::news
