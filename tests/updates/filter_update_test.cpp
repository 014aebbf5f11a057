// The filter update end to end: the kit's page tables, the maker's page list
// and filter files on a loopback server; every table checked afterwards.
#include "table_health.h"
#include "update_rig.h"

#include "db/table.h"
#include "sources/http_error.h"
#include "tools/demodata/update_files.h"
#include "updates/update_filter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace zelvon::test {
namespace {

namespace dd = zelvon::demodata;

std::vector<std::string> Pages(db::Session& session, const QString& home, const char* table) {
    db::Table t(session);
    t.SetDatabaseName(home.toStdString());
    t.SetTableName(table);
    EXPECT_TRUE(t.Open().ok());
    std::vector<std::string> rows;
    for (t.First(); !t.Eof(); t.Next()) {
        rows.push_back(t.FindField("SeiteName")->AsString() + "|" + t.FindField("Filter")->AsString() + "|" +
                       std::to_string(t.FindField("SeitenVon")->AsInteger()) + "-" +
                       std::to_string(t.FindField("SeitenBis")->AsInteger()));
    }
    return rows;
}

class FilterUpdateTest : public ::testing::Test {
protected:
    FilterUpdateTest() {
        EXPECT_TRUE(dd::WriteUpdatePageList(rig.serverDir.path().toStdString(), "DDESeiten.db").ok());
        rig.server.routes().Get("/filter/(.*)", [this](const httplib::Request& request, httplib::Response& response) {
            const std::string name = request.matches[1];
            requested.push_back(name);
            if (name == "DDESeiten.db.txt") {
                if (garbagePageList) return response.set_content(std::string(3000, '\x55'), "application/octet-stream");
                if (pageListStatus != 200) {
                    response.status = pageListStatus;
                    return;
                }
                QFile f(rig.serverDir.path() + "/DDESeiten.db");
                f.open(QIODevice::ReadOnly);
                response.set_content(f.readAll().toStdString(), "application/octet-stream");
                return;
            }
            if (name == "NTVDAX2.txt") {
                response.status = 404;
                return;
            }
            response.set_content(dd::FilterFileText(name), "text/plain");
        });
        rig.start();
        // The filter path must fit the active lists' Filter field (30 characters).
        filterDir = QDir::tempPath() + "/zf" + QString::number(::getpid()) + "/";
        QDir().mkpath(filterDir);
    }
    ~FilterUpdateTest() override { QDir(filterDir).removeRecursively(); }

    void Run() {
        auto context = rig.context();
        context.directories.filterPath = filterDir;
        updates::UpdateFilter(context).Run();
    }

    UpdateRig rig;
    QString filterDir;
    std::vector<std::string> requested;
    int pageListStatus = 200;
    bool garbagePageList = false;
};

TEST_F(FilterUpdateTest, NewPagesAppendedChangedOnesCorrectedAndEachFilterFetchedOnce) {
    Run();
    const auto standard = Pages(rig.session, rig.home(), "DDESeiten.Db");
    ASSERT_EQ(standard.size(), dd::KitTeletextPages().size() + 2);
    EXPECT_EQ(standard[0], "ZDF Aktien Inland|ZDFAKT.vtf|520-531");
    EXPECT_EQ(standard[1], "n-tv DAX|NTVDAX2.vtf|230-239");
    // A new page takes the list's filter name as it is; the side rule only corrects.
    EXPECT_EQ(standard[4], "n-tv Devisen|NTVDEVL.vtf|250-251");
    EXPECT_EQ(standard[5], "ZDF Fonds|zdffonds.vtf|560-562");
    const auto tv = Pages(rig.session, rig.home(), "TVAktiv.Db");
    EXPECT_EQ(tv[0], "ZDF Aktien Inland|" + filterDir.toStdString() + "ZDFAKT.vtf|520-531");
    EXPECT_EQ(Pages(rig.session, rig.home(), "DDEAktiv.Db")[0], "n-tv DAX|" + filterDir.toStdString() + "NTVDAX2.vtf|230-239");

    EXPECT_TRUE(QFile::exists(filterDir + "ZDFAKT.vtf"));
    EXPECT_TRUE(QFile::exists(filterDir + "NTVDEVL.vtf"));
    EXPECT_FALSE(QFile::exists(filterDir + "NTVDAX2.vtf"));  // refused by the server: not written
    EXPECT_EQ(std::count(requested.begin(), requested.end(), "ZDFAKT.txt"), 1);
    EXPECT_EQ(rig.detailView.lineCount(), int(dd::UpdatePages().size()));
    EXPECT_EQ(rig.host.messages.last(),
              "Es wurden 6 Filter neu geladen und 2 neue Seiten eingetragen. Sie können die Verbindung jetzt trennen");
    EXPECT_FALSE(QFile::exists(rig.path("tmp/TmpSeiten.Db")));
    EXPECT_EQ(rig.fetch.fileNameEdit, rig.path("seite.htm"));
    EXPECT_EQ(TableFaults(rig.home()), std::vector<std::string>{});
}

TEST_F(FilterUpdateTest, NamesLeavingTheFilterFolderAreNotFetchedAndA404ChangesNothing) {
    EXPECT_TRUE(updates::UnsafeFilterName("../../etc/passwd"));
    EXPECT_TRUE(updates::UnsafeFilterName(".."));
    EXPECT_TRUE(updates::UnsafeFilterName("a\\b.vtf"));
    EXPECT_TRUE(updates::UnsafeFilterName(QStringLiteral("a\tb")));
    EXPECT_FALSE(updates::UnsafeFilterName("MDAX.vtf"));

    pageListStatus = 404;
    const auto before = Pages(rig.session, rig.home(), "DDESeiten.Db");
    Run();
    EXPECT_EQ(Pages(rig.session, rig.home(), "DDESeiten.Db"), before);
    EXPECT_EQ(requested, std::vector<std::string>{"DDESeiten.db.txt"});
    EXPECT_TRUE(rig.progress.StillVisible());
    EXPECT_TRUE(rig.host.messages.last().startsWith("Stellen Sie sicher das Sie"));
}

TEST(SideRuleTest, FirstLeftOrRightMarkOfAnyCaseTurnsAsTheDescriptionSays) {
    auto side = [](const char* beschreibung, const char* filter) {
        QString f = QString::fromLatin1(filter);
        updates::ApplySideRule(QString::fromLatin1(beschreibung), f);
        return f.toStdString();
    };
    EXPECT_EQ(side("Kurse (re)", "dax1l.vtf"), "dax1R.vtf");
    EXPECT_EQ(side("Kurse (re)", "L.R.L.vtf"), "R.R.L.vtf");
    EXPECT_EQ(side("Kurse (li)", "DAXR.vtf"), "DAXL.vtf");
    EXPECT_EQ(side("Kurse (RE)", "DAXL.vtf"), "DAXL.vtf");
    EXPECT_EQ(side("(re) (li)", "DAXR.vtf"), "DAXL.vtf");
}

TEST_F(FilterUpdateTest, PageListThatIsNoTableIsRefusedBeforeAnyTableChanges) {
    garbagePageList = true;
    const auto before = Pages(rig.session, rig.home(), "DDESeiten.Db");
    EXPECT_THROW(Run(), Error);
    EXPECT_EQ(Pages(rig.session, rig.home(), "DDESeiten.Db"), before);
    EXPECT_EQ(requested, std::vector<std::string>{"DDESeiten.db.txt"});
    EXPECT_EQ(TableFaults(rig.home()), std::vector<std::string>{});
}

TEST_F(FilterUpdateTest, TransportFailureEndsTheRun) {
    auto context = rig.context();
    context.updateUrl = QStringLiteral("http://127.0.0.1:1");
    EXPECT_THROW(updates::UpdateFilter(context).Run(), HttpTransportError);
    EXPECT_EQ(rig.window.buttons, FetchButtons::Idle);
}

}  // namespace
}  // namespace zelvon::test
