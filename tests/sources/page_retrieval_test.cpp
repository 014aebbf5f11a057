#include "retrieval_rig.h"

#include "hostile_routes.h"
#include "loopback_server.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <atomic>
#include <string>

namespace zelvon {
namespace {

using test::Engine;
using test::HostileRoutes;
using test::LoopbackServer;
using test::RetrievalRig;
using test::SilentServer;

QString Onvista(const LoopbackServer& server, const QString& path)
{
    return server.url(path, QStringLiteral("onvista.localhost"));
}

class PageFetchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto& routes = server.routes();
        routes.Get(R"(/len/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content(std::string(std::stoul(request.matches[1]), 'k'), "text/html");
        });
        routes.Get("/short", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("  \r\nabcd\r\n \t", "text/html");
        });
        routes.Get("/quote", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("Kurs\xe4 12,34 EUR Zeit 17:35 Datum 01.02.2026", "text/html");
        });
        routes.Get("/missing", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
            response.set_content("gone", "text/html");
        });
        routes.Get("/error", [](const httplib::Request&, httplib::Response& response) { response.status = 500; });
        routes.Get("/half", [](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(1000, "text/html", [](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset > 0)
                    return false;
                sink.write(std::string(500, 'x').data(), 500);
                return true;
            });
        });
        routes.Get("/empty", [](const httplib::Request&, httplib::Response& response) { response.status = 200; });
        server.start();
    }

    LoopbackServer server;
    RetrievalRig rig;
};

TEST_F(PageFetchTest, HttpPathShowsTheDecodedPageAndHandsItToExtraction)
{
    rig.fetch(Onvista(server, "/quote"));
    EXPECT_EQ(rig.pageView.text(), QString::fromUtf8("Kursä 12,34 EUR Zeit 17:35 Datum 01.02.2026"));
    EXPECT_EQ(rig.extractions, 1);
    EXPECT_EQ(rig.state.sizeTemp, 43);
    // Only the browser path and the failure branch set Lade.
    EXPECT_FALSE(rig.state.lade);
    EXPECT_EQ(rig.window.status[0], "Loading");
    EXPECT_EQ(rig.window.icons.front(), StatusIcon::Hourglass);
    EXPECT_EQ(rig.window.buttons, FetchButtons::Idle);
    EXPECT_EQ(rig.window.buttonHistory.front(), FetchButtons::Fetching);
    EXPECT_EQ(rig.client.userAgent(), "Mozilla/12.0+(compatible)");
}

TEST_F(PageFetchTest, HttpPathLeavesTheTimerRunningWhichThenResetsTheHeaders)
{
    rig.client.setAccept("text/html");
    rig.fetch(Onvista(server, "/quote"));
    ASSERT_TRUE(rig.retrieval->getTimer().isActive());
    rig.retrieval->Warten(PageRetrieval::kBrowserTimeoutMs + 300);
    EXPECT_FALSE(rig.retrieval->getTimer().isActive());
    EXPECT_TRUE(rig.client.userAgent().isEmpty());
    EXPECT_TRUE(rig.client.accept().isEmpty());
}

TEST_F(PageFetchTest, ErrorStatusesShowCodeAndStatusLine)
{
    rig.state.lade = true;
    rig.state.sizeTemp = 77;
    rig.fetch(Onvista(server, "/missing"));
    EXPECT_EQ(rig.window.status[0], "Failed : 404 Not Found");
    EXPECT_EQ(rig.window.icon, StatusIcon::Prohibited);
    EXPECT_EQ(rig.pageView.lineCount(), 0);
    EXPECT_EQ(rig.extractions, 0);
    EXPECT_TRUE(rig.state.lade);
    EXPECT_EQ(rig.state.sizeTemp, 77);

    rig.fetch(Onvista(server, "/error"));
    EXPECT_EQ(rig.window.status[0], "Failed : 500 Internal Server Error");
    EXPECT_EQ(rig.window.buttons, FetchButtons::Idle);
}

TEST_F(PageFetchTest, ABodyThatBreaksOffCountsAsReceivedButIsNotExtracted)
{
    rig.fetch(Onvista(server, "/half"));
    EXPECT_EQ(rig.window.status[0], "Received 500 bytes");
    EXPECT_TRUE(rig.state.lade);
    EXPECT_FALSE(rig.retrieval->getTimer().isActive());
    EXPECT_EQ(rig.pageView.lineCount(), 0);
    EXPECT_EQ(rig.extractions, 0);

    rig.fetch(Onvista(server, "/empty"));
    EXPECT_EQ(rig.window.status[0], "Loading");
    EXPECT_EQ(rig.extractions, 0);
}

TEST_F(PageFetchTest, PageLengthsDecideExtractionEnvelopeAndSave)
{
    rig.window.policy = kSaveOnMessage;
    const QString pageFile = rig.workDir.path() + "/A1B2C3.Htm";

    rig.state.sizeTemp = 1;
    rig.fetch(Onvista(server, "/short"));
    EXPECT_EQ(rig.state.sizeTemp, 1) << "a page of 4 characters after trimming counts as not fetched";
    EXPECT_EQ(rig.extractions, 0);

    rig.fetch(Onvista(server, "/len/30"));
    EXPECT_EQ(rig.state.sizeTemp, 30);
    EXPECT_EQ(rig.extractions, 0);

    rig.fetch(Onvista(server, "/len/31"));
    EXPECT_EQ(rig.extractions, 1);

    rig.fetch(Onvista(server, "/len/6500"));
    EXPECT_EQ(rig.extractions, 2);
    EXPECT_NE(rig.window.icon, StatusIcon::Envelope);
    EXPECT_FALSE(QFile::exists(pageFile));

    rig.fetch(Onvista(server, "/len/6501"));
    EXPECT_EQ(rig.extractions, 3);
    EXPECT_EQ(rig.window.icon, StatusIcon::Envelope);
    QFile saved(pageFile);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray(6501, 'k') + "\r\n");
}

TEST_F(PageFetchTest, PolicyAlwaysLeavesSavingToTheExtraction)
{
    rig.window.policy = kSaveAlways;
    rig.fetch(Onvista(server, "/len/6501"));
    EXPECT_EQ(rig.window.icon, StatusIcon::Envelope);
    EXPECT_FALSE(QFile::exists(rig.workDir.path() + "/A1B2C3.Htm"));
}

TEST_F(PageFetchTest, NoAnswerEndsAfterTheInactivityLimit)
{
    SilentServer silent;
    QElapsedTimer clock;
    clock.start();
    rig.fetch(QStringLiteral("http://onvista.localhost:%1/kurs").arg(silent.port()));
    EXPECT_GE(clock.elapsed(), 4500);
    EXPECT_EQ(rig.window.status[0], "Failed : -1 ");
    EXPECT_EQ(rig.window.icon, StatusIcon::Prohibited);
    EXPECT_EQ(rig.window.buttons, FetchButtons::Idle);
}

TEST_F(PageFetchTest, WinBisGoesStraightToExtraction)
{
    rig.window.source = kSourceWinBis;
    rig.window.status[0] = "vorher";
    rig.fetch(Onvista(server, "/quote"));
    EXPECT_EQ(rig.extractions, 1);
    EXPECT_EQ(rig.window.status[0], "vorher");
    EXPECT_TRUE(rig.window.icons.empty());
}

TEST(PageFetchTls, ACertificateNoTrustedCaIssuedFailsTheFetch)
{
    LoopbackServer rogue(test::Tls::Rogue);
    rogue.routes().Get("/kurs", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(100, 'x'), "text/html");
    });
    rogue.start();
    LoopbackServer trusted(test::Tls::TestCa);
    trusted.routes().Get("/kurs", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(100, 'y'), "text/html");
    });
    trusted.start();

    RetrievalRig rig;
    rig.fetch(rogue.url("/kurs", "onvista.localhost"));
    EXPECT_EQ(rig.window.status[0], "Failed : -1 ");
    EXPECT_EQ(rig.extractions, 0);

    rig.fetch(trusted.url("/kurs", "onvista.localhost"));
    EXPECT_EQ(rig.extractions, 1);
}

TEST(SwissDisclaimer, FollowsTheDisclaimerLinkUnderCrossborder)
{
    LoopbackServer server;
    std::atomic<int> followed{0};
    std::string followedTarget;
    server.routes().Get("/kurs", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<p>Hinweis</p><a href=\"/accept_disclaimer.jsp?next=x\">Akzeptieren</a> " + std::string(40, '.'),
                             "text/html");
    });
    server.routes().Get("/start", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("accept_disclaimer.jsp?next=x\" steht am Anfang" + std::string(40, '.'), "text/html");
    });
    server.routes().Get("/crossborder/accept_disclaimer.jsp", [&](const httplib::Request& request, httplib::Response& response) {
        ++followed;
        followedTarget = request.target;
        response.set_content("Valor 123 Kurs 45,60 " + std::string(40, '-'), "text/html");
    });
    server.start();

    RetrievalRig rig(Engine::Http, {server.hostWithPort("swiss.localhost"), "teleboerse"});
    rig.window.source = kSourceSwiss;
    rig.fetch(server.url("/kurs", "swiss.localhost"));
    EXPECT_EQ(followed.load(), 1);
    EXPECT_EQ(followedTarget, "/crossborder/accept_disclaimer.jsp?next=x");
    EXPECT_EQ(rig.state.urlEdit, server.url("/crossborder/accept_disclaimer.jsp?next=x", "swiss.localhost"));
    EXPECT_TRUE(rig.extractedText.startsWith("Valor 123"));
    EXPECT_EQ(rig.window.status[0], "Received 61 bytes");

    rig.fetch(server.url("/start", "swiss.localhost"));
    EXPECT_EQ(followed.load(), 1);
    EXPECT_EQ(rig.extractions, 2);
}

TEST(SwissDisclaimer, AFailedDisclaimerFetchIsNotExtracted)
{
    LoopbackServer server;
    server.routes().Get("/kurs", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<a href=\"/accept_disclaimer.jsp?next=weg\">weiter</a>" + std::string(40, '.'), "text/html");
    });
    server.start();

    RetrievalRig rig(Engine::Http, {server.hostWithPort("swiss.localhost"), "teleboerse"});
    rig.window.source = kSourceSwiss;
    rig.fetch(server.url("/kurs", "swiss.localhost"));
    EXPECT_EQ(rig.window.status[0], "Failed : 404 Not Found");
    EXPECT_EQ(rig.window.icon, StatusIcon::Prohibited);
    EXPECT_EQ(rig.extractions, 0);
}

class TeleboerseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.routes().Get("/suche", [this](const httplib::Request&, httplib::Response& response) {
            const int load = ++loads;
            response.set_content("<html><body>" + pages.at(std::min<size_t>(load, pages.size()) - 1) + "</body></html>",
                                 "text/html");
        });
        server.start();
    }

    void fetchSearch()
    {
        RetrievalRig rig(Engine::Http, {"swiss.localhost", "teleboerse"});
        rig.fetch(server.url("/suche", "www.teleboerse.localhost"));
        lade = rig.state.lade;
        text = rig.pageView.text();
    }

    LoopbackServer server;
    std::vector<std::string> pages;
    std::atomic<int> loads{0};
    bool lade = false;
    QString text;
};

TEST_F(TeleboerseTest, ASearchWithoutAHitIsLoadedThreeTimes)
{
    pages = {"Keine Treffer", "Keine Treffer", "Keine Treffer"};
    fetchSearch();
    EXPECT_EQ(loads.load(), 3);
    EXPECT_TRUE(lade);
}

TEST_F(TeleboerseTest, AHitForAnotherSecurityGetsOneMoreLoad)
{
    pages = {"Suche: 1 Treffer DE0005140008", "Suche: 1 Treffer DE0007164600", "unerwartet"};
    fetchSearch();
    EXPECT_EQ(loads.load(), 2);
    EXPECT_EQ(text, "Suche: 1 Treffer DE0007164600");
}

TEST_F(TeleboerseTest, TheRightHitNeedsNoReload)
{
    pages = {"Suche: 1 Treffer DE0007164600", "unerwartet"};
    fetchSearch();
    EXPECT_EQ(loads.load(), 1);
}

TEST(BrowserPath, TakesTheBodyOfPagesOfTheBrowserSources)
{
    LoopbackServer server;
    server.routes().Get("/quote", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><head><title>t</title></head><body class=\"q\">\r\nKurs 42,17 EUR\r\n" + std::string(40, '.')
                                 + "</body></html>",
                             "text/html");
    });
    server.start();

    RetrievalRig rig;
    rig.fetch(server.url("/quote", "yahoo.localhost"));
    EXPECT_EQ(rig.pageView.line(1), "Kurs 42,17 EUR");
    EXPECT_EQ(rig.extractions, 1);
    EXPECT_TRUE(rig.state.lade);
    EXPECT_FALSE(rig.browser->visible());
    EXPECT_FALSE(rig.retrieval->getTimer().isActive());
}

// The browser engine on the HTTP client behaves as a browser: the wait ends
// at the time-out with what has arrived, a page past the size limit is no
// page.
TEST(BrowserPath, TimeOutTakesWhatArrivedAndAnOversizedPageIsNoPage)
{
    LoopbackServer server;
    HostileRoutes hostile(server.routes());
    server.start();
    RetrievalRig rig;

    QElapsedTimer clock;
    clock.start();
    rig.fetch(server.url("/drip", "yahoo.localhost"));
    // A coarse timer may fire up to 5 % early.
    EXPECT_GE(clock.elapsed(), PageRetrieval::kBrowserTimeoutMs * 95 / 100 - 50);
    EXPECT_LT(clock.elapsed(), PageRetrieval::kBrowserTimeoutMs + 1500);
    EXPECT_EQ(rig.extractions, 1);
    EXPECT_EQ(rig.extractedText, QString(HostileRoutes::kDripBytes - 12, u'd'));

    // A lower limit, so that it is passed well before the time-out.
    rig.client.setBodyLimit(4 * 1024 * 1024);
    rig.fetch(server.url("/huge", "yahoo.localhost"));
    EXPECT_EQ(rig.extractions, 1);
    EXPECT_TRUE(rig.pageView.text().isEmpty());
    EXPECT_EQ(rig.client.lastFailure(), TransferFailure::BodyTooLarge);
    hostile.Stop();
}

class FollowUpAndDownloadTest : public PageFetchTest {};

TEST_F(FollowUpAndDownloadTest, FollowUpFetchShowsThePageOrTheFailure)
{
    rig.state.urlEdit = Onvista(server, "/len/40");
    rig.retrieval->NeuGetButtonClick(nullptr);
    EXPECT_EQ(rig.pageView.text().size(), 40);
    EXPECT_EQ(rig.state.sizeTemp, 40);
    EXPECT_EQ(rig.window.status[0], "Received 40 bytes");

    rig.state.lade = true;
    rig.state.urlEdit = Onvista(server, "/missing");
    rig.retrieval->NeuGetButtonClick(nullptr);
    EXPECT_EQ(rig.window.status[0], "Failed : 404 Not Found");
    EXPECT_EQ(rig.window.icon, StatusIcon::Prohibited);
    EXPECT_FALSE(rig.state.lade);
    EXPECT_EQ(rig.pageView.lineCount(), 0);

    SilentServer silent;
    rig.state.urlEdit = QStringLiteral("http://127.0.0.1:%1/").arg(silent.port());
    EXPECT_THROW(rig.retrieval->NeuGetButtonClick(nullptr), HttpTransportError);
    EXPECT_EQ(rig.window.status[0], "Loading");
    EXPECT_EQ(rig.window.buttons, FetchButtons::Idle);
}

TEST_F(FollowUpAndDownloadTest, DownloadCreatesOneMissingFolderLevel)
{
    rig.state.urlEdit = Onvista(server, "/len/12");
    rig.state.fileNameEdit = rig.workDir.path() + "/neu/datei.txt";
    EXPECT_TRUE(rig.retrieval->DateiHolen());
    QFile file(rig.state.fileNameEdit);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(12, 'k'));
    EXPECT_EQ(rig.window.status[0], "Received 12 bytes");
    EXPECT_EQ(rig.state.sizeTemp, 12);

    rig.state.fileNameEdit = rig.workDir.path() + "/eins/zwei/datei.txt";
    EXPECT_THROW(rig.retrieval->DateiHolen(), Error);
    EXPECT_FALSE(QDir(rig.workDir.path() + "/eins/zwei").exists());
    EXPECT_EQ(rig.window.buttons, FetchButtons::Idle);
}

TEST_F(FollowUpAndDownloadTest, ARefusedDownloadKeepsTheEarlierFile)
{
    const QString target = rig.workDir.path() + "/liste.txt";
    QFile earlier(target);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("alt");
    earlier.close();

    rig.state.lade = true;
    rig.state.fileNameEdit = target;
    rig.state.urlEdit = Onvista(server, "/missing");
    EXPECT_TRUE(rig.retrieval->DateiHolen());
    EXPECT_EQ(rig.window.status[0], "Failed : 404 Not Found");
    EXPECT_FALSE(rig.state.lade);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "alt");
    earlier.close();

    rig.state.urlEdit = Onvista(server, "/empty");
    EXPECT_TRUE(rig.retrieval->DateiHolen());
    EXPECT_EQ(rig.window.status[0], "Received 0 bytes");
    EXPECT_EQ(QFileInfo(target).size(), 0);
}

TEST_F(FollowUpAndDownloadTest, ADownloadWithoutAnswerRaisesAfterRestoringTheButtons)
{
    rig.state.urlEdit = QStringLiteral("http://127.0.0.1:1/datei");
    rig.state.fileNameEdit = rig.workDir.path() + "/nie.txt";
    EXPECT_THROW(rig.retrieval->DateiHolen(), HttpTransportError);
    EXPECT_EQ(rig.window.status[0], "Loading");
    EXPECT_EQ(rig.window.buttons, FetchButtons::Idle);
    EXPECT_FALSE(QFile::exists(rig.state.fileNameEdit));
}

}  // namespace
}  // namespace zelvon
