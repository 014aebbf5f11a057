// The master update end to end: kit tables, the maker's files on a loopback
// server, the run as the main window starts it; every table checked after.
#include "table_health.h"
#include "update_rig.h"

#include "db/table.h"
#include "sources/http_error.h"
#include "tools/demodata/update_files.h"
#include "updates/firma_matcher.h"
#include "updates/update_firma.h"

#include <gtest/gtest.h>

#include <QFile>

#include <map>
#include <random>

namespace zelvon::test {
namespace {

namespace dd = zelvon::demodata;

struct FirmaValues {
    std::string name, kennung, zdf, ntv;
    int32_t branche = 0;
    double dividende = 0, gewinn = 0;
};

std::map<int32_t, FirmaValues> ReadFirma(db::Session& session, const QString& home) {
    db::Table t(session);
    t.SetDatabaseName(home.toStdString());
    t.SetTableName("Firma.db");
    EXPECT_TRUE(t.Open().ok());
    std::map<int32_t, FirmaValues> rows;
    for (t.First(); !t.Eof(); t.Next()) {
        auto text = [&](const char* f) { return t.FindField(f)->AsString(); };
        rows[t.FindField("Firma")->AsInteger()] = {text("FirmenName"), text("Kennung"), text("ZDF"), text("N-TV"),
                                                   t.FindField("Branche")->AsInteger(),
                                                   t.FindField("Dividende")->AsFloat(), t.FindField("Gewinn")->AsFloat()};
    }
    return rows;
}

std::vector<std::string> ReadSectorNames(db::Session& session, const QString& home) {
    db::Table t(session);
    t.SetDatabaseName(home.toStdString());
    t.SetTableName("Branchen.db");
    EXPECT_TRUE(t.Open().ok());
    std::vector<std::string> names;
    for (t.First(); !t.Eof(); t.Next()) names.push_back(t.FindField("GruppenName")->AsString());
    return names;
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class MasterUpdateTest : public ::testing::Test {
protected:
    void SetUp() override { WriteServerTables(rig.serverDir.path()); }
    void Serve() {
        rig.serveDirectory("/Update/", rig.serverDir.path());
        rig.start();
    }
    void Run(updates::MasterAnswers answers = {}) {
        auto context = rig.context();
        updates::UpdateFirma(context, answers).Run();
    }
    void ExpectTablesSound() { EXPECT_EQ(TableFaults(rig.home()), std::vector<std::string>{}); }

    UpdateRig rig;
};

TEST_F(MasterUpdateTest, AnsweringNoUpdatesIdentifiersAndCodesOfMatchingRowsOnly) {
    Serve();
    const auto before = ReadFirma(rig.session, rig.home());
    const QByteArray sectorsBefore = FileBytes(rig.path("Branchen.db"));
    Run();
    const auto after = ReadFirma(rig.session, rig.home());
    ASSERT_EQ(after.size(), before.size());  // nothing appended, the unknown security included
    const auto maker = dd::UpdateSecurities();
    for (size_t n = 0; n < dd::KitSecurities().size(); ++n) {
        const dd::Security& kit = dd::KitSecurities()[n];
        const FirmaValues& row = after.at(kit.firma);
        // The maker left the second one's Kennung empty: the suite's stays.
        EXPECT_EQ(row.kennung, maker[n].kennung.empty() ? kit.kennung : maker[n].kennung) << kit.name;
        EXPECT_EQ(row.zdf, maker[n].zdf) << kit.name;
        EXPECT_EQ(row.ntv, maker[n].ntv) << kit.name;
        EXPECT_EQ(row.branche, before.at(kit.firma).branche) << kit.name;
        EXPECT_EQ(row.gewinn, before.at(kit.firma).gewinn) << kit.name;
        EXPECT_EQ(row.name, kit.name);
    }
    EXPECT_EQ(FileBytes(rig.path("Branchen.db")), sectorsBefore);
    EXPECT_EQ(rig.host.questions, QStringList({"Branchen aktualisieren", "Fundamentaldaten aktualisieren"}));
    EXPECT_TRUE(rig.host.messages.last().startsWith("Übertragung beendet!"));
    for (const char* leftover : {"TmpFirma.Db", "TmpFirma.PX", "TmpFirma.MB", "TmpBranchen.db"})
        EXPECT_FALSE(QFile::exists(rig.path(leftover))) << leftover;
    ExpectTablesSound();
}

TEST_F(MasterUpdateTest, SectorsAndFundamentalsOnYesKeepValuesTheMakerLeftAtZero) {
    Serve();
    const auto before = ReadFirma(rig.session, rig.home());
    Run({true, true});
    const auto after = ReadFirma(rig.session, rig.home());
    const auto maker = dd::UpdateSecurities();
    for (size_t n = 0; n < dd::KitSecurities().size(); ++n) {
        const int32_t firma = dd::KitSecurities()[n].firma;
        EXPECT_EQ(after.at(firma).branche, maker[n].branche);
        EXPECT_DOUBLE_EQ(after.at(firma).gewinn, maker[n].gewinn);
        EXPECT_DOUBLE_EQ(after.at(firma).dividende, maker[n].dividende == 0 ? before.at(firma).dividende : maker[n].dividende);
    }
    std::vector<std::string> expected;
    for (const auto& s : dd::UpdateSectors()) expected.push_back(s.name);
    EXPECT_EQ(ReadSectorNames(rig.session, rig.home()), expected);
    EXPECT_TRUE(rig.host.questions.isEmpty());
    ExpectTablesSound();
}

// A .PX left by an earlier run must never pair with a new .DB, nor may a
// .PX of another table: the suite's tables stay as they were.
TEST_F(MasterUpdateTest, MissingOrForeignIndexRefusesTheMergeAndChangesNothing) {
    const QString foreign = rig.serverDir.path() + "/foreign";
    QDir().mkpath(foreign);
    WriteServerTables(foreign, 3000);
    QFile::copy(foreign + "/Firma.PX", rig.path("TmpFirma.PX"));  // an earlier run's
    bool serveForeignIndex = false;
    rig.server.routes().Get("/Update/Firma.PX", [&](const httplib::Request&, httplib::Response& response) {
        if (!serveForeignIndex) {
            response.status = 503;
            return;
        }
        response.set_content(FileBytes(foreign + "/Firma.PX").toStdString(), "application/octet-stream");
    });
    Serve();
    const QByteArray firmaBefore = FileBytes(rig.path("Firma.db"));
    for (bool foreignIndex : {false, true}) {
        serveForeignIndex = foreignIndex;
        rig.host.messages.clear();
        EXPECT_THROW(Run({true, true}), Error) << foreignIndex;
        EXPECT_EQ(FileBytes(rig.path("Firma.db")), firmaBefore);
        EXPECT_FALSE(rig.host.messages.last().startsWith("Übertragung beendet!"));
        EXPECT_TRUE(QFile::exists(rig.path("TmpFirma.Db")));
        ExpectTablesSound();
    }
}

TEST_F(MasterUpdateTest, StopDuringTheMergeKeepsRowsDoneAndTheSectorDownload) {
    Serve();
    const auto before = ReadFirma(rig.session, rig.home());
    // The maker's number of the security the suite lacks sorts first, so
    // the stop comes after it and three of the kit's.
    rig.host.onPump = [&](int pumps) {
        if (pumps == 4) rig.progress.RequestStop();
    };
    Run({true, false});
    const auto after = ReadFirma(rig.session, rig.home());
    const auto maker = dd::UpdateSecurities();
    const auto& kit = dd::KitSecurities();
    for (size_t n = 0; n < kit.size(); ++n) EXPECT_EQ(after.at(kit[n].firma).zdf, n < 3 ? maker[n].zdf : before.at(kit[n].firma).zdf);
    EXPECT_FALSE(QFile::exists(rig.path("TmpFirma.Db")));
    EXPECT_TRUE(QFile::exists(rig.path("TmpBranchen.db")));
    ExpectTablesSound();
}

TEST_F(MasterUpdateTest, UnreadableSectorDownloadLeavesSectorsAndBrancheAlone) {
    rig.server.routes().Get("/Update/Branchen.db", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(4096, '\x7f'), "application/octet-stream");
    });
    Serve();
    const auto before = ReadFirma(rig.session, rig.home());
    const QByteArray sectorsBefore = FileBytes(rig.path("Branchen.db"));
    Run({true, false});
    const auto after = ReadFirma(rig.session, rig.home());
    const auto maker = dd::UpdateSecurities();
    for (size_t n = 0; n < dd::KitSecurities().size(); ++n) {
        const int32_t firma = dd::KitSecurities()[n].firma;
        EXPECT_EQ(after.at(firma).branche, before.at(firma).branche);
        EXPECT_EQ(after.at(firma).zdf, maker[n].zdf);
    }
    EXPECT_EQ(FileBytes(rig.path("Branchen.db")), sectorsBefore);
    EXPECT_FALSE(QFile::exists(rig.path("TmpBranchen.db")));
    ExpectTablesSound();
}

TEST_F(MasterUpdateTest, TransportFailureEndsTheRunBeforeTheQuestions) {
    SilentServer closed;
    auto context = rig.context();
    context.updateUrl = QStringLiteral("http://127.0.0.1:1");
    const QByteArray firmaBefore = FileBytes(rig.path("Firma.db"));
    EXPECT_THROW(updates::UpdateFirma(context, {}).Run(), HttpTransportError);
    EXPECT_TRUE(rig.host.questions.isEmpty());
    EXPECT_EQ(FileBytes(rig.path("Firma.db")), firmaBefore);
    EXPECT_EQ(rig.fetch.fileNameEdit, rig.path("seite.htm"));
}

// The indexed match gives what a scan from the first row gives, on rows
// with shared names, codes and empty values, while identifiers change.
TEST(FirmaMatcherTest, AgreesWithTheScanFromTheFirstRow) {
    std::mt19937 random(7);
    auto pick = [&](const char* prefix, int range) {
        const int v = int(random() % range);
        return v == 0 ? QString() : QString::fromLatin1(prefix) + QString::number(v);
    };
    std::vector<updates::SuiteRow> rows;
    for (int i = 0; i < 400; ++i) rows.push_back({i + 1, {pick("N", 120), pick("K", 150), pick("Z", 150)}});
    updates::FirmaMatcher matcher(rows);
    for (int step = 0; step < 3000; ++step) {
        const updates::MatchKeys u{pick("N", 120), pick("K", 150), pick("Z", 150)};
        const int nearest = int(random() % (rows.size() + 1)) - 1;
        auto matches = [&](const updates::MatchKeys& r) {
            return r.name == u.name || (!u.kennung.isEmpty() && r.kennung == u.kennung) ||
                   (!u.zdf.isEmpty() && r.zdf == u.zdf);
        };
        int expected = -1;
        if (nearest >= 0 && matches(rows[nearest].keys)) {
            expected = nearest;
        } else {
            for (size_t i = 0; i < rows.size() && expected < 0; ++i)
                if (matches(rows[i].keys)) expected = int(i);
        }
        ASSERT_EQ(matcher.Match(u, nearest), expected) << step;
        if (expected >= 0) {
            const QString kennung = u.kennung.isEmpty() ? rows[expected].keys.kennung : u.kennung;
            rows[expected].keys.kennung = kennung;
            rows[expected].keys.zdf = u.zdf;
            matcher.SetIdentifiers(expected, kennung, u.zdf);
        }
    }
}

}  // namespace
}  // namespace zelvon::test
