// Fetch-all runs on the browser path (Yahoo over HTTPS) in which single
// securities in the middle of the selection get no usable page: a server
// that never answers, one that answers after the 5 s wait, a 404, a redirect
// to another page, and an abort. With either browser engine each security
// gets its own price or nothing, and both engines store the same.
#include "app/http_get_form.h"
#include "app/table_access.h"
#include "loopback_server.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "sources/webengine_browser_engine.h"
#include "tools/demodata/demo_directory.h"
#include "program_run.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace zelvon {
namespace {

enum class Answer { Quote, Late, Silent, Missing, Redirect, Abort };

// By the order the run asks for the securities, from 1. The late answer
// comes two seconds into the silent security's wait, where it would land if
// it could; the German shares number eleven, so three are never asked for.
constexpr Answer kPlan[] = {Answer::Quote,   Answer::Late,     Answer::Silent, Answer::Quote,
                            Answer::Missing, Answer::Redirect, Answer::Quote,  Answer::Abort};
constexpr int kAsked = int(std::size(kPlan));
constexpr auto kLateAnswer = std::chrono::seconds(7);

// Yahoo quote pages at /quote/<ticker>, each showing a price and volume of
// its own; the redirect leads to /kurs/<ticker>.
class YahooServer {
public:
    explicit YahooServer(std::function<void()> abort) : abort_(std::move(abort)) {
        server_.routes().Get(R"(/quote/([^/]+))", [this](const httplib::Request& rq, httplib::Response& rs) {
            AnswerFor(rq.matches[1], rs);
        });
        server_.routes().Get(R"(/kurs/([^/]+))", [this](const httplib::Request& rq, httplib::Response& rs) {
            rs.set_content(Page(PositionOf(rq.matches[1])), "text/html");
        });
        server_.start();
    }
    // Ends the pauses before the server waits for its handlers.
    ~YahooServer() { stopping_ = true; }

    QString host() const { return server_.hostWithPort(QStringLiteral("yahoo.localhost")); }
    QString address(const char* route, int position) const {
        return server_.url(QStringLiteral("/%1/%2").arg(route, QString::fromStdString(order().at(position - 1))),
                           QStringLiteral("yahoo.localhost"));
    }
    std::vector<std::string> order() const {
        std::lock_guard lock(mutex_);
        return order_;
    }

    static QString Price(int position) { return QStringLiteral("%1,25").arg(100 + position); }
    static int Volume(int position) { return position * 1000 + 7; }

private:
    int PositionOf(const std::string& ticker) {
        std::lock_guard lock(mutex_);
        const auto it = std::find(order_.begin(), order_.end(), ticker);
        if (it != order_.end()) return int(it - order_.begin()) + 1;
        order_.push_back(ticker);
        return int(order_.size());
    }
    void AnswerFor(const std::string& ticker, httplib::Response& rs) {
        const int position = PositionOf(ticker);
        switch (position <= kAsked ? kPlan[position - 1] : Answer::Quote) {
        case Answer::Quote: rs.set_content(Page(position), "text/html"); break;
        case Answer::Late:
            Pause(kLateAnswer);
            rs.set_content(Page(position), "text/html");
            break;
        case Answer::Silent: Pause(std::chrono::seconds(60)); break;
        case Answer::Missing:
            rs.status = 404;
            rs.set_content("<html><body><h1>Seite nicht gefunden</h1>\n<p>Das Wertpapier gibt es hier nicht.</p>\n"
                           "</body></html>\n",
                           "text/html");
            break;
        case Answer::Redirect: rs.set_redirect("/kurs/" + ticker); break;
        case Answer::Abort:
            abort_();
            Pause(std::chrono::seconds(60));
            break;
        }
    }
    // The shape of the demo server's Yahoo page: price, time and volume on
    // the first line, where the extraction reads them.
    static std::string Page(int position) {
        const std::string volume = QStringLiteral("%1.%2").arg(position).arg(7, 3, 10, QChar(u'0')).toStdString();
        return "<!DOCTYPE html><html><head><title>Aktienkurs - Yahoo Finanzen</title></head><body>"
               "<div id=\"quote-header-info\"><h1 class=\"D(ib) Fz(18px)\">Kurs</h1>"
               "<span class=\"Trsdu(0.3s) Fw(b) Fz(36px) Mb(-4px) D(ib)\" data-reactid=\"32\">" +
               Price(position).toStdString() +
               "</span><span class=\"Trsdu(0.3s) Fw(500) Pstart(10px) Fz(24px)\" data-reactid=\"33\">+0,25</span>"
               "<div id=\"quote-market-notice\"><span class=\"time\">00:01</span> MEZ. Boerse Xetra</div>"
               "<table><tbody><tr><td>Volumen</td><td class=\"Ta(end) Fw(600) Lh(14px)\">" +
               volume +
               "</td></tr></tbody></table></div>\n<section id=\"quote-summary\">Vortag 100,00</section>\n"
               "<footer>Kursdaten - Yahoo Finanzen, Angaben ohne Gewaehr</footer>\n</body></html>\n";
    }
    void Pause(std::chrono::seconds length) {
        const auto end = std::chrono::steady_clock::now() + length;
        while (!stopping_ && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    std::function<void()> abort_;
    std::atomic<bool> stopping_{false};
    test::LoopbackServer server_{test::Tls::TestCa};
    mutable std::mutex mutex_;
    std::vector<std::string> order_;
};

struct IntradayRow {
    double kurs;
    int32_t volumen;
};

std::map<int32_t, std::vector<IntradayRow>> IntradayRows(const QString& dataDirectory) {
    db::Session session;
    db::Table table(session);
    table.SetDatabaseName(dataDirectory.toStdString());
    table.SetTableName("Intraday.db");
    Check(table.Open());
    std::map<int32_t, std::vector<IntradayRow>> rows;
    for (Check(table.First()); !table.Eof(); Check(table.Next()))
        rows[FieldInteger(table, "Firma")].push_back({FieldFloat(table, "Kurs"), FieldInteger(table, "Volumen")});
    return rows;
}

const demodata::Security& ByTicker(const std::string& ticker) {
    for (const auto& s : demodata::KitSecurities())
        if (s.ticker == ticker) return s;
    throw std::runtime_error("no demo security with ticker " + ticker);
}

void DefaultEnvironment(const char* name, const QByteArray& value) {
    if (qEnvironmentVariableIsEmpty(name)) qputenv(name, value);
}

class BrowserFetchAllTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // Qt WebEngine keeps its profile under the data and cache homes.
        qputenv("XDG_DATA_HOME", dir_.filePath("share").toUtf8());
        qputenv("XDG_CACHE_HOME", dir_.filePath("cache").toUtf8());
        DefaultEnvironment("QTWEBENGINE_DISABLE_SANDBOX", "1");
        DefaultEnvironment("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu --disable-dev-shm-usage");
        test::EnsureApplication();
        data_ = dir_.filePath("Daten/");
        const auto kit = demodata::CreateDemoDataDirectory(data_.toStdString(), demodata::DemoOptions{});
        ASSERT_TRUE(kit.ok()) << kit.message();
    }
    // Qt WebEngine writes its profile for a while after the window is gone.
    void TearDown() override {
        for (int i = 0; i < 10 && !dir_.remove(); ++i) {
            QEventLoop settle;
            QTimer::singleShot(100, &settle, &QEventLoop::quit);
            settle.exec();
        }
    }

    // The German shares from Yahoo; browser "" is the default, Qt WebEngine.
    void Run(const QByteArray& browser) {
        dialogs::SetStartedBySwitches(false, false);
        THttpGetForm form;
        YahooServer server([&form] {
            QMetaObject::invokeMethod(&form, [&form] { form.AbortButtonClick(); }, Qt::QueuedConnection);
        });
        QFile reg(dir_.filePath("Quarvinta.reg"));
        ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
        reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                  "\"Datenpath\"=\"" + data_.toUtf8() + "\"\r\n"
                  "\"Depotpath\"=\"" + data_.toUtf8() + "Depot/\"\r\n"
                  "\"Temppath\"=\"" + dir_.path().toUtf8() + "/\"\r\n"
                  "\"VTDATEI\"=\"" + dir_.filePath("aktien.txt").toUtf8() + "\"\r\n"
                  "\"Zelvon_Favoriten\"=dword:00000000\r\n"
                  "\"Zelvon_Gruppe\"=dword:00000006\r\n\"Zelvon_Quelle\"=dword:00000000\r\n"
                  "\"Zelvon_Host_Yahoo\"=\"" + server.host().toUtf8() + "\"\r\n"
                  "\"Zelvon_CAFile\"=\"" + test::TestCaFile().toUtf8() + "\"\r\n" +
                  (browser.isEmpty() ? QByteArray() : "\"Zelvon_Browser\"=\"" + browser + "\"\r\n"));
        reg.close();
        RunFlags flags;
        flags.ReportFile = dir_.filePath("bericht.json");
        form.SetRunFlags(flags);
        form.SetRegistry(RegistryFile::Load(dir_.filePath("Quarvinta.reg")));
        form.Initial();
        // A hidden window writes no quote lines.
        form.show();
        const auto before = IntradayRows(data_);
        form.Button1Click();
        form.close();
        CheckOutcome(server, before);
    }

    void CheckOutcome(const YahooServer& server, const std::map<int32_t, std::vector<IntradayRow>>& before) {
        const std::vector<std::string> order = server.order();
        ASSERT_EQ(order.size(), size_t(kAsked)) << "no security may be asked for after the abort";
        const auto after = IntradayRows(data_);
        QStringList lines;
        const QJsonObject report = Report();
        const QJsonArray securities = report["securities"].toArray();
        ASSERT_EQ(securities.size(), kAsked);
        for (int position = 1; position <= kAsked; ++position) {
            const Answer answer = kPlan[position - 1];
            const bool quoted = answer == Answer::Quote || answer == Answer::Redirect;
            const demodata::Security& security = ByTicker(order[position - 1]);
            const auto rows = [&](const std::map<int32_t, std::vector<IntradayRow>>& table) {
                const auto it = table.find(security.firma);
                return it == table.end() ? std::vector<IntradayRow>{} : it->second;
            };
            const std::vector<IntradayRow> was = rows(before), is = rows(after);
            ASSERT_EQ(is.size(), was.size() + (quoted ? 1 : 0)) << security.ticker;
            if (quoted) {
                EXPECT_DOUBLE_EQ(is.back().kurs, 100 + position + 0.25) << security.ticker;
                EXPECT_EQ(is.back().volumen, YahooServer::Volume(position)) << security.ticker;
                lines << QString::fromStdString(security.zdf) + '\t' + YahooServer::Price(position) + "\t00:01:00\t" +
                             QString::number(YahooServer::Volume(position));
            }
            const QJsonArray attempts = securities[position - 1].toObject()["attempts"].toArray();
            ASSERT_EQ(attempts.size(), 1) << security.ticker;
            const QJsonValue page = attempts[0].toObject()["page"];
            if (answer == Answer::Quote) EXPECT_EQ(page.toString(), server.address("quote", position));
            else if (answer == Answer::Redirect) EXPECT_EQ(page.toString(), server.address("kurs", position));
            else EXPECT_TRUE(page.isNull()) << security.ticker << " took " << page.toString().toStdString();
            EXPECT_EQ(attempts[0].toObject()["aborted"].toBool(), answer == Answer::Abort) << security.ticker;
        }
        EXPECT_EQ(QuoteFileLines().join(u'\n').toStdString(), lines.join(u'\n').toStdString());
        EXPECT_EQ(report["ended"].toString(), "aborted");
    }

    QStringList QuoteFileLines() const {
        QFile f(dir_.filePath("aktien.txt"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList lines = codec::DecodeWindows1252(f.readAll()).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    QJsonObject Report() const {
        QFile f(dir_.filePath("bericht.json"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(f.readAll()).object();
    }

    QTemporaryDir dir_;
    QString data_;
};

TEST_F(BrowserFetchAllTest, QtWebEngineGivesEachSecurityItsOwnPriceOrNothing) {
    if (!WebEngineBrowserEngine::CanStart()) GTEST_SKIP() << "Qt WebEngine cannot start here";
    Run("");
}

TEST_F(BrowserFetchAllTest, TheHttpClientEngineStoresTheSame) { Run("http"); }

}  // namespace
}  // namespace zelvon
