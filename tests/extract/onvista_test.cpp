#include "extraction_harness.h"

#include <gtest/gtest.h>

#include <optional>

using namespace zelvon;
using namespace zelvon::extract;
using namespace zelvon::extract::testing;

namespace {

constexpr int kAktien = 0;
constexpr int kOptionsscheineEuwax = 3;
constexpr int kZertifikatEmittent = 7;
constexpr int kIndex = 9;
constexpr int kAktienRealtime = 15;

// The harness with the follow-up fetch: the page view gets the follow-up
// page, or is left empty as after a failed fetch.
struct OnvistaHarness : Harness {
    std::optional<QStringList> followupPage;
    QStringList followups;

    OnvistaHarness()
    {
        input.security.Kennung = "716460";
        input.security.ISIN = "DE0007164600";
        input.security.Waehrung = "EUR";
    }

    ExtractionOutcome read(const QStringList& lines, int entry = kAktien)
    {
        page.setText(lines.join("\r\n"));
        input.source = kSourceOnvista;
        input.entry = entry;
        ExtractionHooks hooks;
        hooks.savePage = [this] { ++pagesSaved; };
        hooks.store = [this](const IntradayRow& row) { rows.push_back(row); };
        hooks.followup = [this](const QString& address) {
            followups << address;
            page.clear();
            if (followupPage)
                page.setText(followupPage->join("\r\n"));
        };
        return extractor.SpeedButton3Click(input, hooks);
    }
};

// The current layout writes its page in one line.
QStringList CurrentPage(const QString& value = "176.42", const QString& stamp = "2024-03-15T17:35:12.000+01:00")
{
    return {"<html><head><title>SAP SE Aktie</title></head><body><h1>SAP SE</h1><time datetime=\"" + stamp
                + "\">17:35</time><data value=\"" + value + "\">176,42 EUR</data></body></html>"};
}

QStringList JsonPage(const QString& last, const QString& stamp)
{
    return {"<html><body><script type=\"application/json\">{\"isin\":\"DE0007164600\",\"datetimeLast\":\"" + stamp
            + "\",\"last\":" + last + ",\"currency\":\"EUR\"}</script></body></html>"};
}

// An older page: price attribute in the quote box, time in the item below Frankfurt.
QStringList OlderPageA(const QString& priceCell = "<span class=\"currentAsk\" data-unit=\"EUR\" price=\"12.50\">12,50</span>",
                       const QString& timeBlock = "<div>B\u00F6rse Frankfurt</div><span class=\"item\">14.03.2024 17:35:12 Uhr</span>")
{
    return {"<html><head><title>Kurs</title></head><body>", priceCell, timeBlock, "</body></html>"};
}

QStringList SearchPage(const QString& address)
{
    return {"<html><body><h1>Suchergebnis (Treffer: 2)</h1><table><tr><th>Name</th><th>Datum</th></tr><tr><td>"
            "<a href=\"" + address + "\" class=\"hit\">SAP SE</a></td><td>15.03.2024</td></tr></table></body></html>",
            "<p>Weitere Treffer</p>"};
}

}  // namespace

TEST(OnvistaCurrentLayout, ReadsTimeElementAndValueAttribute)
{
    OnvistaHarness h;
    const ExtractionOutcome out = h.read(CurrentPage(), kIndex);
    EXPECT_EQ(out.status, kQuoteRead);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 176.42);
    EXPECT_EQ(h.quote().Kurswert, "176,42");
    EXPECT_EQ(h.quote().Zeit, "17:35:12");
    EXPECT_EQ(h.quote().Datum, Day());
    EXPECT_EQ(h.listed(), QStringList{"SAP\t176,42\t17:35:12\t\t\tIndex"});
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2024, 3, 15, 17, 35, 12));
    EXPECT_TRUE(h.followups.isEmpty());

    OnvistaHarness realtime;
    realtime.read(CurrentPage(), kAktienRealtime);
    EXPECT_EQ(realtime.listed(), QStringList{"SAP\t176,42\t17:35:12\t\t\tAktien Realtime"});
}

TEST(OnvistaCurrentLayout, JsonFieldsOfAnEarlierDayAreFramedByDateLines)
{
    OnvistaHarness h;
    h.input.now = At(2021, 5, 13, 9, 0);
    h.input.savePolicy = 2;
    h.read(JsonPage("45.5", "2021-05-12T21:59:58.000+02:00"));
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 45.5);
    EXPECT_EQ(h.listed(), (QStringList{"12.05.2021", "SAP\t45,5\t21:59:58\t\t\tAktien", "13.05.2021"}));
    EXPECT_EQ(h.pagesSaved, 1);
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2021, 5, 12, 21, 59, 58));
}

TEST(OnvistaCurrentLayout, HiddenWindowStoresAndShowsSuccessWithoutLines)
{
    OnvistaHarness h;
    h.input.windowVisible = false;
    const ExtractionOutcome out = h.read(CurrentPage());
    EXPECT_TRUE(h.listed().isEmpty());
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    EXPECT_EQ(h.rows.size(), 1u);
}

TEST(OnvistaCurrentLayout, AttributesThatAreNoPriceFallThroughToTheOlderLayout)
{
    // The value attribute holds an identifier, a negative number, no number
    // or the date does not read: each time the older layout A reads the page.
    const QStringList variants[] = {
        CurrentPage("DE0007164600"),
        CurrentPage("716460"),
        CurrentPage("-3.5"),
        CurrentPage("k.A."),
        CurrentPage("176.42", "2024-13-45T17:35:12"),
    };
    for (const QStringList& current : variants) {
        OnvistaHarness h;
        h.read(current + OlderPageA());
        EXPECT_DOUBLE_EQ(h.quote().Kurs, 12.5) << current.join("").toStdString();
        EXPECT_EQ(h.listed(), (QStringList{"14.03.2024", "SAP\t12,5\t17:35:12\t\t\tAktien", "15.03.2024"}));
        ASSERT_EQ(h.rows.size(), 1u);
        EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2024, 3, 14, 17, 35, 12));
    }
}

TEST(OnvistaSearchResult, FirstHitIsFetchedAndRead)
{
    OnvistaHarness h;
    h.followupPage = CurrentPage();
    const ExtractionOutcome out = h.read(SearchPage("https://onvista.localhost/aktien/DE0007164600"));
    EXPECT_EQ(h.followups, QStringList{"https://onvista.localhost/aktien/DE0007164600"});
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 176.42);
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    EXPECT_EQ(h.rows.size(), 1u);
}

TEST(OnvistaSearchResult, FailedFollowupStoresNothing)
{
    OnvistaHarness h;
    const ExtractionOutcome out = h.read(SearchPage("https://onvista.localhost/aktien/DE0007164600"));
    EXPECT_EQ(h.followups.size(), 1);
    EXPECT_EQ(h.page.textLength(), 0);
    EXPECT_TRUE(h.listed().isEmpty());
    EXPECT_FALSE(out.picture.has_value());
    EXPECT_TRUE(h.rows.empty());
}

TEST(OnvistaSearchResult, MarkerNearTheStartIsNoResultPage)
{
    OnvistaHarness h;
    h.read({QString(10, u'x') + "(Treffer: 1)" + CurrentPage()[0]});
    EXPECT_TRUE(h.followups.isEmpty());
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 176.42);

    // Position 11 is a result page.
    OnvistaHarness later;
    later.read({QString(11, u'x') + "(Treffer: 1) Datum <a href=\"https://onvista.localhost/aktien/X\">"});
    EXPECT_EQ(later.followups, QStringList{"https://onvista.localhost/aktien/X"});
}

TEST(OnvistaCertificateLayout, BidPriceAndLastTime)
{
    const QStringList page = {"<html><body><table><tr><td data-push=\"DE000HX12345:BidPrice3:0.852:EUR\">0,852</td>"
                              "<td class=\"LastTime\" >17:31:05</td></tr></table></body></html>"};
    OnvistaHarness h;
    const ExtractionOutcome out = h.read(page, kOnvistaDbZertifikate);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 0.852);
    EXPECT_EQ(h.quote().Zeit, "17:31:05");
    EXPECT_EQ(out.status, kMarkerMissing);
    EXPECT_EQ(h.listed(), QStringList{"SAP\t0,852\t17:31:05\t\t\tDB-OnVista"});
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2024, 3, 15, 17, 31, 5));

    OnvistaHarness none;
    const ExtractionOutcome failed = none.read({"<html><body>Keine Kurse</body></html>"}, kOnvistaDbZertifikate);
    EXPECT_EQ(failed.picture, kPictureFailure);
    EXPECT_TRUE(none.listed().isEmpty());
    EXPECT_TRUE(none.rows.empty());
}

TEST(OnvistaOlderLayoutA, PriceCuts)
{
    const struct {
        QString cell;
        QString text;
        double kurs;
    } cases[] = {
        {"<span class=\"currentAsk\" data-unit=\"EUR\" price=\"12.50\">12,50</span>", "12,50", 12.5},
        {"<td class=\"price\">1.234,50&nbsp;EUR</td>", "1234,50", 1234.5},
        {"<td class=\"price\">&nbsp;7,25</td>", "7,25", 7.25},
        {"<i id=\":last:1:1:\" data: '98,10'>", "98,10", 98.1},
    };
    for (const auto& c : cases) {
        OnvistaHarness h;
        h.read(OlderPageA(c.cell));
        EXPECT_EQ(h.quote().Kurswert, c.text) << c.cell.toStdString();
        EXPECT_DOUBLE_EQ(h.quote().Kurs, c.kurs) << c.cell.toStdString();
    }
}

TEST(OnvistaOlderLayoutA, FailuresAndMissingMarkers)
{
    OnvistaHarness zero;
    ExtractionOutcome out = zero.read(OlderPageA("<td class=\"price\">0,00</td>"));
    EXPECT_EQ(out.status, kPriceNotPositive);
    EXPECT_EQ(out.picture, kPictureFailure);
    EXPECT_TRUE(zero.rows.empty());

    OnvistaHarness text;
    out = text.read(OlderPageA("<td class=\"price\">n.v.</td>"));
    EXPECT_EQ(out.status, kPriceNotANumber);
    EXPECT_EQ(out.picture, kPictureFailure);

    OnvistaHarness none;
    out = none.read({"<html><body>Wartungsarbeiten</body></html>"});
    EXPECT_FALSE(out.picture.has_value());
    EXPECT_TRUE(none.listed().isEmpty());
    EXPECT_TRUE(none.rows.empty());
}

TEST(OnvistaOlderLayoutA, TimeMarkersByEntryAndDatetimeFallback)
{
    // Entry 7 finds the issuer's quote, entry 3 the realtime title 15 on.
    OnvistaHarness issuer;
    issuer.read(OlderPageA(OlderPageA()[1], "(Emittentenkurs)<span class=\"item\">13.03.2024 16:00:01</span>"),
                kZertifikatEmittent);
    EXPECT_EQ(issuer.listed(),
              (QStringList{"13.03.2024", "SAP\t12,5\t16:00:01\t\t\tZertifikat Emittent", "15.03.2024"}));

    OnvistaHarness euwax;
    euwax.read(OlderPageA(OlderPageA()[1], "<b title=\"Realtime\">RT</b><span class=\"item\">15.03.2024 17:59:00</span>"),
               kOptionsscheineEuwax);
    EXPECT_EQ(euwax.listed(), QStringList{"SAP\t12,5\t17:59:00\t\t\tOptionsscheine(Euwax)"});

    // No time marker: the datetime element; neither: today and the current time.
    OnvistaHarness element;
    element.read(OlderPageA(OlderPageA()[1], "<div class=\"datetime\">12.03.2024 10:15:00</div>"), kAktienRealtime);
    EXPECT_EQ(element.listed(), (QStringList{"12.03.2024", "SAP\t12,5\t10:15:00\t\t\tAktien", "15.03.2024"}));

    OnvistaHarness bare;
    bare.read(OlderPageA(OlderPageA()[1], "<div>ohne Zeit</div>"));
    EXPECT_EQ(bare.listed(), QStringList{"SAP\t12,5\t18:00:00\t\t\tAktien"});

    OnvistaHarness broken;
    broken.read(OlderPageA(OlderPageA()[1], "<div>B\u00F6rse Frankfurt</div><span class=\"item\">gestern</span>"));
    EXPECT_EQ(broken.listed(), QStringList{"SAP\t12,5\t18:00:00\t\t\tAktien"});
}

TEST(OnvistaOlderLayoutB, PriceNextToTheCurrency)
{
    const QStringList page = {"<html><body><img src=\"/img/pfeil_gruen.gif\" alt=\"\"><td class=kurs><span class=\"x\">"
                              "1.045,67&nbsp;EUR</span></td></body></html>"};
    OnvistaHarness h;
    const ExtractionOutcome out = h.read(page, kNoEntry);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 1045.67);
    EXPECT_EQ(h.quote().Kurswert, "1045.67");
    EXPECT_EQ(h.listed(), QStringList{"SAP\t1045,67\t18:00:00\t\t\tKurs"});
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    EXPECT_EQ(h.rows.size(), 1u);

    // A price that does not read shows failure, not success.
    OnvistaHarness bad;
    const QStringList badPage = {"<html><body><img src=\"/img/pfeil_rot.gif\" alt=\"\">" "<td class=kurs><span class=\"x\">"
                                 "k.A.&nbsp;EUR</span></td></body></html>"};
    const ExtractionOutcome failed = bad.read(badPage, kNoEntry);
    EXPECT_EQ(failed.status, kPriceNotPositive);
    EXPECT_EQ(failed.picture, kPictureFailure);
    EXPECT_TRUE(bad.listed().isEmpty());

    OnvistaHarness none;
    EXPECT_EQ(none.read({"<html><body>leer</body></html>"}, kNoEntry).picture, kPictureFailure);
    EXPECT_TRUE(none.rows.empty());
}
