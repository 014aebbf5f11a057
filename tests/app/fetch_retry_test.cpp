// The fetch-all run's retries, caused by Onvista's follow-up fetch: the real
// program (and, for the abort, the real window) on demo data against a
// loopback server whose search result pages lead to quote pages that fail
// as each test plans.
#include "app/http_get_form.h"
#include "app/table_access.h"
#include "loopback_server.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "tools/demodata/demo_directory.h"
#include "intraday_rows.h"
#include "program_run.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <functional>
#include <map>
#include <mutex>
#include <set>

namespace zelvon {
namespace {

// Which security (by the order the run asks for them, from 1) fails how.
struct FailurePlan {
    int position = 0;
    int followupFailures = 0;      // answered with 503 this often, then the page
    bool followupUnanswered = false;  // the hit points where nothing listens
    std::function<void()> onRetry;    // called when its page is asked for again
};

class OnvistaRig {
public:
    explicit OnvistaRig(FailurePlan plan) : plan_(std::move(plan)) {
        server_.routes().Get(R"(/kurs/([A-Z0-9]+))", [this](const httplib::Request& rq, httplib::Response& rs) {
            AnswerFollowup(rq.matches[1], rs);
        });
        server_.routes().Get(R"(/([A-Z0-9]+))", [this](const httplib::Request& rq, httplib::Response& rs) {
            AnswerSearch(rq.matches[1], rs);
        });
        server_.start();
    }

    QString host() const { return server_.hostWithPort(QStringLiteral("127.0.0.1")); }
    std::vector<std::string> order() const {
        std::lock_guard lock(mutex_);
        return order_;
    }
    int pages(const std::string& isin) const { return Count(pages_, isin); }
    int followups(const std::string& isin) const { return Count(followups_, isin); }

    static std::string Price(int position) { return std::to_string(100 + position) + ".25"; }
    static std::string Time(int position) { return "10:00:" + std::string(position < 10 ? "0" : "") + std::to_string(position); }

private:
    int Count(const std::map<std::string, int>& counts, const std::string& isin) const {
        std::lock_guard lock(mutex_);
        const auto it = counts.find(isin);
        return it == counts.end() ? 0 : it->second;
    }
    int PositionOf(const std::string& isin) {
        const auto it = std::find(order_.begin(), order_.end(), isin);
        if (it != order_.end()) return int(it - order_.begin()) + 1;
        order_.push_back(isin);
        return int(order_.size());
    }
    void AnswerSearch(const std::string& isin, httplib::Response& rs) {
        std::function<void()> retried;
        std::string hitHost;
        {
            std::lock_guard lock(mutex_);
            const int position = PositionOf(isin);
            const bool planned = position == plan_.position;
            if (++pages_[isin] == 2 && planned) retried = plan_.onRetry;
            hitHost = planned && plan_.followupUnanswered ? "127.0.0.1:1" : host().toStdString();
        }
        if (retried) retried();
        rs.set_content("<html><body><h1>Suchergebnis (Treffer: 1)</h1><table><tr><th>Name</th><th>Datum</th></tr>"
                       "<tr><td><a href=\"http://" + hitHost + "/kurs/" + isin + "\">Kurs</a></td></tr></table>"
                       "</body></html>\n",
                       "text/html");
    }
    void AnswerFollowup(const std::string& isin, httplib::Response& rs) {
        int position = 0;
        {
            std::lock_guard lock(mutex_);
            position = PositionOf(isin);
            if (++followups_[isin] <= plan_.followupFailures && position == plan_.position) {
                rs.status = 503;
                return;
            }
        }
        const std::string date = QDate::currentDate().toString(Qt::ISODate).toStdString();
        rs.set_content("<html><body><h1>Kurs</h1><time datetime=\"" + date + "T" + Time(position) +
                           "\">10:00</time><data value=\"" + Price(position) + "\">Kurs</data></body></html>\n",
                       "text/html");
    }

    FailurePlan plan_;
    test::LoopbackServer server_;
    mutable std::mutex mutex_;
    std::vector<std::string> order_;
    std::map<std::string, int> pages_, followups_;
};

// Ten securities (the demo's German shares without the last one), all
// fetched from Onvista's DB-Zertifikate entry, whose address is plain HTTP.
class FetchRetryTest : public ::testing::Test {
protected:
    static constexpr int kSecurities = 10;

    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        data_ = dir_.filePath("Daten/");
        const auto kit = demodata::CreateDemoDataDirectory(data_.toStdString(), demodata::DemoOptions{});
        ASSERT_TRUE(kit.ok()) << kit.message();
        DeleteSecurities({21});
        quoteFile_ = dir_.filePath("aktien.txt");
        report_ = dir_.filePath("bericht.json");
    }
    void DeleteSecurities(const std::set<int32_t>& firmen) {
        db::Session session;
        db::Table table(session);
        table.SetDatabaseName(data_.toStdString());
        table.SetTableName("Firma.db");
        Check(table.Open());
        Check(table.First());
        while (!table.Eof()) {
            if (firmen.count(FieldInteger(table, "Firma"))) Check(table.Delete());
            else Check(table.Next());
        }
    }
    void WriteSettings(const OnvistaRig& rig) {
        QFile reg(dir_.filePath("Quarvinta.reg"));
        ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
        reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                  "\"Datenpath\"=\"" + data_.toUtf8() + "\"\r\n"
                  "\"Depotpath\"=\"" + data_.toUtf8() + "Depot/\"\r\n"
                  "\"Temppath\"=\"" + dir_.path().toUtf8() + "/\"\r\n"
                  "\"VTDATEI\"=\"" + quoteFile_.toUtf8() + "\"\r\n"
                  "\"Zelvon_Favoriten\"=dword:00000000\r\n"
                  "\"Zelvon_Gruppe\"=dword:00000006\r\n"
                  "\"Zelvon_Quelle\"=dword:0000000b\r\n"
                  "\"Zelvon_Boerse\"=dword:00000006\r\n"
                  "\"Zelvon_Host_OnvistaZert\"=\"" + rig.host().toUtf8() + "\"\r\n"
                  "\"Zelvon_Browser\"=\"http\"\r\n");
    }
    test::ProgramOutcome RunAutomatic() {
        return test::RunProgram(dir_.filePath("Quarvinta.reg"), dir_.path(), {"/A", "--report", report_});
    }
    QStringList QuoteFileLines() const {
        QFile f(quoteFile_);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList lines = codec::DecodeWindows1252(f.readAll()).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    QJsonObject Report() const {
        QFile f(report_);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(f.readAll()).object();
    }
    std::map<int32_t, int> IntradayRows() const {
        return test::IntradayRowsPerSecurity(data_);
    }
    static const demodata::Security& ByIsin(const std::string& isin) {
        for (const auto& s : demodata::KitSecurities())
            if (s.isin == isin) return s;
        throw std::runtime_error("no demo security with ISIN " + isin);
    }
    // The quote line of the security asked for at position (from 1).
    static QString LineOf(const std::vector<std::string>& order, int position) {
        const QString price = QString::fromStdString(OnvistaRig::Price(position)).replace('.', ',');
        return QString::fromStdString(ByIsin(order[position - 1]).zdf) + '\t' + price + '\t' +
               QString::fromStdString(OnvistaRig::Time(position)) + "\t\t\tDB-Zertifikate";
    }

    QTemporaryDir dir_;
    QString data_, quoteFile_, report_;
};

TEST_F(FetchRetryTest, AFollowupFailingOnceIsRetriedAndStoredOnce) {
    OnvistaRig rig({2, 1, false, {}});
    WriteSettings(rig);
    const std::map<int32_t, int> before = IntradayRows();
    const test::ProgramOutcome o = RunAutomatic();
    EXPECT_EQ(o.exitCode, 0) << o.stderrText.toStdString();

    const std::vector<std::string> order = rig.order();
    ASSERT_EQ(order.size(), size_t(kSecurities));
    EXPECT_EQ(rig.pages(order[1]), 2);
    EXPECT_EQ(rig.followups(order[1]), 2);
    QStringList expected;
    for (int k = 1; k <= kSecurities; ++k) expected << LineOf(order, k);
    EXPECT_EQ(QuoteFileLines(), expected);

    const std::map<int32_t, int> after = IntradayRows();
    for (const std::string& isin : order) {
        const int32_t firma = ByIsin(isin).firma;
        EXPECT_EQ(after.at(firma) - (before.count(firma) ? before.at(firma) : 0), 1) << isin;
    }
    const QJsonObject report = Report();
    const QJsonObject retried = report["securities"].toArray()[1].toObject();
    ASSERT_EQ(retried["attempts"].toArray().size(), 2);
    EXPECT_EQ(retried["attempts"].toArray()[0].toObject()["http"].toInt(), 503);
    EXPECT_EQ(retried["reason"].toString(), "quote read");
    EXPECT_EQ(report["ended"].toString(), "end of selection");
}

TEST_F(FetchRetryTest, FourFailuresOnTheThirdOfTenEndTheRunThere) {
    OnvistaRig rig({3, 1000, false, {}});
    WriteSettings(rig);
    const test::ProgramOutcome o = RunAutomatic();
    EXPECT_EQ(o.exitCode, 1) << o.stderrText.toStdString();

    const std::vector<std::string> order = rig.order();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(rig.pages(order[2]), 4);
    EXPECT_EQ(rig.followups(order[2]), 4);
    EXPECT_EQ(QuoteFileLines(), (QStringList{LineOf(order, 1), LineOf(order, 2)}));

    const QJsonObject report = Report();
    const QJsonArray securities = report["securities"].toArray();
    ASSERT_EQ(securities.size(), 3);
    const QJsonArray attempts = securities[2].toObject()["attempts"].toArray();
    ASSERT_EQ(attempts.size(), 4);
    for (const QJsonValue& a : attempts) EXPECT_EQ(a.toObject()["http"].toInt(), 503);
    const QString zdf = QString::fromStdString(ByIsin(order[2]).zdf);
    EXPECT_EQ(report["ended"].toString(), "4 failed attempts on " + zdf);
    EXPECT_TRUE(o.stderrText.contains("2 von 3 Kursen gespeichert")) << o.stderrText.toStdString();
    EXPECT_TRUE(o.stderrText.contains("Lauf vorzeitig beendet: 4 Fehlversuche bei " + zdf))
        << o.stderrText.toStdString();
}

TEST_F(FetchRetryTest, AFollowupWithoutAnyAnswerEndsTheRunAtOnce) {
    OnvistaRig rig({2, 0, true, {}});
    WriteSettings(rig);
    const test::ProgramOutcome o = RunAutomatic();
    EXPECT_EQ(o.exitCode, 1) << o.stderrText.toStdString();

    const std::vector<std::string> order = rig.order();
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(rig.pages(order[1]), 1);
    EXPECT_EQ(QuoteFileLines(), QStringList{LineOf(order, 1)});
    const QJsonArray securities = Report()["securities"].toArray();
    ASSERT_EQ(securities.size(), 2);
    EXPECT_EQ(securities[1].toObject()["stored"], QJsonValue(QJsonValue::Null));
}

TEST_F(FetchRetryTest, AnAbortDuringARetryMakesNoFurtherAttempt) {
    test::EnsureApplication();
    dialogs::SetStartedBySwitches(false, false);
    THttpGetForm form;
    OnvistaRig rig({1, 1000, false, [&form] {
                        QMetaObject::invokeMethod(&form, [&form] { form.AbortButtonClick(); }, Qt::QueuedConnection);
                    }});
    WriteSettings(rig);
    form.SetRegistry(RegistryFile::Load(dir_.filePath("Quarvinta.reg")));
    form.Initial();
    form.Button1Click();

    const std::vector<std::string> order = rig.order();
    ASSERT_EQ(order.size(), 1u);
    EXPECT_EQ(rig.pages(order[0]), 2);
    EXPECT_EQ(rig.followups(order[0]), 2);
    EXPECT_TRUE(QuoteFileLines().isEmpty());
    form.close();
}

}  // namespace
}  // namespace zelvon
