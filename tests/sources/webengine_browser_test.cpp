#include "retrieval_rig.h"

#include "loopback_server.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace zelvon {
namespace {

using test::Engine;
using test::LoopbackServer;
using test::RetrievalRig;
using test::Tls;

const char kScriptedQuote[] = R"(<html><head><title>Kurs</title></head><body><div id="kurs">wird geladen</div>
<script>document.getElementById('kurs').textContent = 'Kurs 42,17 EUR ' + 'geschrieben von JavaScript';</script>
</body></html>)";

void ServeScriptedQuote(LoopbackServer& server)
{
    server.routes().Get("/quote", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(kScriptedQuote, "text/html");
    });
}

class WebEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WebEngineBrowserEngine::CanStart())
            GTEST_SKIP() << "Qt WebEngine cannot start here";
    }
};

TEST_F(WebEngineTest, AJavaScriptWrittenPageArrivesWithItsContent)
{
    LoopbackServer server;
    ServeScriptedQuote(server);
    server.start();

    RetrievalRig rig(Engine::WebEngine);
    rig.fetch(server.url("/quote", "yahoo.localhost"));
    EXPECT_TRUE(rig.pageView.text().contains("Kurs 42,17 EUR geschrieben von JavaScript")) << rig.pageView.text().toStdString();
    EXPECT_FALSE(rig.pageView.text().contains("<title>"));
    EXPECT_EQ(rig.extractions, 1);
    EXPECT_TRUE(rig.state.lade);
    EXPECT_FALSE(rig.browser->visible());
}

TEST_F(WebEngineTest, TrustsOnlyCertificatesOfTheExtraCa)
{
    LoopbackServer trusted(Tls::TestCa);
    ServeScriptedQuote(trusted);
    trusted.start();
    LoopbackServer rogue(Tls::Rogue);
    ServeScriptedQuote(rogue);
    rogue.start();

    RetrievalRig rig(Engine::WebEngine);
    rig.fetch(trusted.url("/quote", "yahoo.localhost"));
    EXPECT_TRUE(rig.pageView.text().contains("Kurs 42,17 EUR")) << rig.pageView.text().toStdString();

    rig.fetch(rogue.url("/quote", "yahoo.localhost"));
    EXPECT_FALSE(rig.pageView.text().contains("Kurs 42,17 EUR"));
    EXPECT_EQ(rig.extractions, 1);
}

TEST_F(WebEngineTest, TheAbortButtonEndsTheBrowserWait)
{
    LoopbackServer server;
    server.routes().Get("/slow", [](const httplib::Request&, httplib::Response& response) {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        response.set_content(std::string(100, 'x'), "text/html");
    });
    server.start();

    RetrievalRig rig(Engine::WebEngine);
    rig.state.lade = true;
    QTimer::singleShot(500, [&rig] { rig.retrieval->AbortButtonClick(); });
    QElapsedTimer clock;
    clock.start();
    rig.fetch(server.url("/slow", "www.wallstreet.localhost"));
    EXPECT_LT(clock.elapsed(), PageRetrieval::kBrowserTimeoutMs);
    EXPECT_TRUE(rig.state.aborted);
    EXPECT_FALSE(rig.state.lade);
    EXPECT_TRUE(rig.window.movedToLast);
    EXPECT_EQ(rig.extractions, 0);
    EXPECT_EQ(rig.window.status[0], "Loading");
    EXPECT_EQ(rig.window.buttons, FetchButtons::Idle);
    EXPECT_FALSE(rig.browser->visible());
}

// A reload whose navigation has not committed leaves the page of the load
// before it on show; that page was taken once and is never taken again, so
// the fetch gets nothing rather than an earlier document.
TEST_F(WebEngineTest, ADocumentTakenOnceIsNotTakenForTheNextNavigation)
{
    std::atomic<bool> answering{true};
    std::atomic<bool> stopping{false};
    LoopbackServer server;
    server.routes().Get("/suche", [&](const httplib::Request&, httplib::Response& response) {
        while (!answering && !stopping)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        response.set_content("<html><body>Suche: 1 Treffer</body></html>", "text/html");
    });
    server.routes().Get("/weiter", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/suche");
    });
    server.start();

    WebEngineOptions options;
    options.profileName = QStringLiteral("ZelvonTakenOnce");
    QTemporaryDir profile;
    options.storagePath = profile.path();
    WebEngineBrowserEngine engine(options);
    const auto load = [&engine](const QString& url) {
        QEventLoop loop;
        QObject::connect(&engine, &BrowserEngine::documentComplete, &loop, &QEventLoop::quit);
        QTimer::singleShot(PageRetrieval::kBrowserTimeoutMs, &loop, &QEventLoop::quit);
        engine.navigate(url);
        loop.exec();
    };

    const QString search = server.url("/suche", "teleboerse.localhost");
    load(server.url("/weiter", "teleboerse.localhost"));
    EXPECT_EQ(engine.bodyInnerHtml(), "Suche: 1 Treffer");
    EXPECT_EQ(engine.documentAddress(), search);

    answering = false;
    engine.navigate(search);
    EXPECT_EQ(engine.bodyInnerHtml(), "");
    EXPECT_EQ(engine.documentAddress(), "");
    engine.stop();
    engine.clearDocument();
    EXPECT_EQ(engine.bodyInnerHtml(), "");
    stopping = true;
}

}  // namespace
}  // namespace zelvon
