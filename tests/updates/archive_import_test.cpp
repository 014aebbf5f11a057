// The price archive import end to end: day files from a loopback server, the
// calendar walked with a fixed clock, the quote import file read back.
#include "table_health.h"
#include "update_rig.h"

#include "sources/http_error.h"
#include "tools/demodata/update_files.h"
#include "updates/kursdatenlesen.h"

#include <gtest/gtest.h>

#include <QFile>

#include <set>

namespace zelvon::test {
namespace {

namespace dd = zelvon::demodata;

DateTime Day(int year, int month, int day) { return *formats::EncodeDate(year, month, day); }

std::string DayName(DateTime day) {
    const auto d = formats::DecodeDate(day);
    char name[16];
    std::snprintf(name, sizeof name, "%02d%02d%04d", d.day, d.month, d.year);
    return name;
}

std::string DayFile(DateTime day, size_t lines = 3) {
    const auto d = formats::DecodeDate(day);
    return dd::ArchiveDayFile(d.year, d.month, d.day, lines);
}

class ArchiveImportTest : public ::testing::Test {
protected:
    ArchiveImportTest() {
        rig.server.routes().Get("/archiv/(.*)", [this](const httplib::Request& request, httplib::Response& response) {
            const std::string name = request.matches[1];
            requested.push_back(name.substr(0, 8));
            const auto special = answers.find(name.substr(0, 8));
            if (special != answers.end()) return special->second(response);
            for (DateTime d = Day(2026, 1, 1); d < Day(2027, 1, 1); d += 1)
                if (DayName(d) + ".txt" == name) return response.set_content(DayFile(d), "text/plain");
            response.status = 404;
        });
        rig.start();
    }

    // Runs from first with the clock standing at now.
    void Run(DateTime first, DateTime now) {
        leseDatum = first;
        auto context = rig.context();
        updates::Kursdatenlesen(context, quoteFile, [now] { return now; }).Run(leseDatum);
    }
    QByteArray Imported() const {
        QFile f(quoteFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
    }

    UpdateRig rig;
    QString quoteFile = rig.path("aktien.txt");
    DateTime leseDatum = 0;
    std::vector<std::string> requested;
    std::map<std::string, std::function<void(httplib::Response&)>> answers;
};

// 2026-12-02 is a Wednesday; the run starts on Tuesday 2026-12-08 at noon.
TEST_F(ArchiveImportTest, AWeekReadsFridayTwiceSkipsSundayAndLeavesTodayForTheEvening) {
    const DateTime wednesday = Day(2026, 12, 2), tuesday = Day(2026, 12, 8);
    answers["03122026"] = [](httplib::Response& r) { r.set_content(DayFile(Day(2026, 12, 1)), "text/plain"); };
    Run(wednesday, tuesday + 0.5);
    EXPECT_EQ(requested, (std::vector<std::string>{"02122026", "03122026", "04122026", "04122026", "07122026"}));
    const std::string expected = DayFile(wednesday) + "\r\n" + DayFile(Day(2026, 12, 4)) + "\r\n" +
                                 DayFile(Day(2026, 12, 4)) + "\r\n" + DayFile(Day(2026, 12, 7)) + "\r\n";
    EXPECT_EQ(Imported().toStdString(), expected);
    EXPECT_GT(leseDatum, tuesday);
    EXPECT_FALSE(QFile::exists(rig.fetch.fileNameEdit));
    EXPECT_EQ(rig.client.userAgent(), updates::Kursdatenlesen::kUserAgent);

    // Late in the evening today's file is there; a start on a Sunday reads the Friday before.
    requested.clear();
    Run(tuesday, tuesday + 0.96);
    EXPECT_EQ(requested, std::vector<std::string>{"08122026"});
    requested.clear();
    Run(Day(2026, 12, 6), Day(2026, 12, 6) + 0.3);
    EXPECT_EQ(requested, std::vector<std::string>{"04122026"});
}

// Only a whole answer below 400 is examined; a transport failure ends the
// run after the day's clean-up with the days read so far kept.
TEST_F(ArchiveImportTest, ErrorStatusesAddNothingAndATransportFailureEndsTheRun) {
    const DateTime monday = Day(2026, 12, 7);
    answers["07122026"] = [](httplib::Response& r) {
        r.status = 500;
        r.set_content(DayFile(Day(2026, 12, 7)), "text/plain");
    };
    // The connection breaks off after the first part of the promised body.
    answers["09122026"] = [](httplib::Response& r) {
        r.set_content_provider(999999, "text/plain", [](size_t, size_t, httplib::DataSink& sink) {
            const std::string part = DayFile(Day(2026, 12, 9), 200);
            sink.write(part.data(), part.size());
            return false;
        });
    };
    EXPECT_THROW(Run(monday, Day(2026, 12, 11) + 0.5), HttpTransportError);
    EXPECT_EQ(Imported().toStdString(), DayFile(Day(2026, 12, 8)) + "\r\n");
    EXPECT_EQ(requested, (std::vector<std::string>{"07122026", "08122026", "09122026"}));
    EXPECT_FALSE(QFile::exists(rig.fetch.fileNameEdit));
    ASSERT_EQ(rig.host.messages.size(), 1);
    EXPECT_TRUE(rig.host.messages[0].endsWith(" bytes"));
}

TEST_F(ArchiveImportTest, DateShapedFirstLineThatIsNoDateEndsTheRunAndStopComesAfterTheDay) {
    answers["08122026"] = [](httplib::Response& r) { r.set_content("99.99.2026\r\nSAP\t1\r\n", "text/plain"); };
    EXPECT_THROW(Run(Day(2026, 12, 7), Day(2026, 12, 10) + 0.5), Error);
    EXPECT_EQ(Imported().toStdString(), DayFile(Day(2026, 12, 7)) + "\r\n");

    answers.clear();
    requested.clear();
    rig.host.onPump = [this](int) { rig.progress.RequestStop(); };
    Run(Day(2026, 11, 2), Day(2026, 12, 10) + 0.5);
    EXPECT_EQ(requested, std::vector<std::string>{"02112026"});
    EXPECT_GT(leseDatum, Day(2026, 12, 10));
}

TEST_F(ArchiveImportTest, QuoteFileIsEmptiedEvenWhenNoDayCanBeRead) {
    QFile old(quoteFile);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("alt\r\n");
    old.close();
    Run(Day(2027, 1, 4), Day(2027, 1, 4) + 0.2);  // the server has no file of 2027
    EXPECT_EQ(Imported(), QByteArray());
    EXPECT_EQ(TableFaults(rig.home()), std::vector<std::string>{});
}

}  // namespace
}  // namespace zelvon::test
