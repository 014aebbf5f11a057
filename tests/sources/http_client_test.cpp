#include "sources/http_client.h"

#include "hostile_routes.h"
#include "loopback_server.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <string>

namespace zelvon {
namespace {

using test::LoopbackServer;
using test::SilentServer;
using test::TestCaFile;
using test::Tls;

std::string HeaderOrNone(const httplib::Request& request, const char* name)
{
    return request.has_header(name) ? request.get_header_value(name) : "(none)";
}

void AddRedirectChain(httplib::Server& routes)
{
    routes.Get(R"(/hop/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
        const int left = std::stoi(request.matches[1]);
        if (left == 0)
            response.set_content("arrived", "text/html");
        else
            response.set_redirect("/hop/" + std::to_string(left - 1));
    });
}

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto& routes = server.routes();
        routes.Get("/page", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<html><body>Kurs 12,34</body></html>", "text/html");
        });
        routes.Get("/headers", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content("UA=" + HeaderOrNone(request, "User-Agent") + "\nAccept=" + HeaderOrNone(request, "Accept")
                                     + "\nEncoding=" + HeaderOrNone(request, "Accept-Encoding"),
                                 "text/plain");
        });
        routes.Get("/missing", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
            response.set_content("gone", "text/html");
        });
        routes.Get("/broken", [](const httplib::Request&, httplib::Response& response) { response.status = 500; });
        routes.Get("/empty", [](const httplib::Request&, httplib::Response& response) { response.status = 200; });
        routes.Get("/half", [](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(1000, "text/html", [](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset > 0)
                    return false;
                sink.write(std::string(500, 'x').data(), 500);
                return true;
            });
        });
        routes.Get("/big", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string(5000, 'b'), "text/plain");
        });
        routes.Get("/set-cookie", [](const httplib::Request&, httplib::Response& response) {
            response.set_header("Set-Cookie", "sitzung=4711; Path=/");
            response.set_content("set", "text/plain");
        });
        routes.Get("/echo-cookie", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content(HeaderOrNone(request, "Cookie"), "text/plain");
        });
        routes.Get("/raw-target", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content(request.target, "text/plain");
        });
        routes.Get("/to-ftp", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("ftp://127.0.0.1/file");
        });
        AddRedirectChain(routes);
        server.start();
    }

    QByteArray get(const QString& path)
    {
        QByteArray body;
        client.get(server.url(path), body);
        return body;
    }

    LoopbackServer server;
    HttpClient client;
};

TEST_F(HttpClientTest, FetchesAPageWithItsStatus)
{
    EXPECT_EQ(get("/page"), "<html><body>Kurs 12,34</body></html>");
    EXPECT_EQ(client.responseCode(), 200);
    EXPECT_EQ(client.statusText(), "OK");
    EXPECT_EQ(client.bytesReceived(), 36);
}

TEST_F(HttpClientTest, SendsTheConfiguredHeadersAndNeverAsksForCompression)
{
    client.setUserAgent("Mozilla/12.0+(compatible)");
    client.setAccept("text/html,*/*;q=0.8");
    EXPECT_EQ(get("/headers"), "UA=Mozilla/12.0+(compatible)\nAccept=text/html,*/*;q=0.8\nEncoding=(none)");
    client.resetRequestHeaders();
    EXPECT_EQ(get("/headers"), "UA=(none)\nAccept=*/*\nEncoding=(none)");
}

TEST_F(HttpClientTest, RaisesErrorStatusesWithCodeAndStatusLine)
{
    QByteArray body;
    try {
        client.get(server.url("/missing"), body);
        FAIL() << "404 not raised";
    } catch (const HttpStatusError& error) {
        EXPECT_EQ(error.responseCode(), 404);
        EXPECT_TRUE(error.message().contains("/missing")) << error.message().toStdString();
    }
    EXPECT_EQ(client.responseCode(), 404);
    EXPECT_EQ(client.statusText(), "Not Found");

    EXPECT_THROW(client.get(server.url("/broken"), body), HttpStatusError);
    EXPECT_EQ(client.responseCode(), 500);
    EXPECT_EQ(client.statusText(), "Internal Server Error");
}

TEST_F(HttpClientTest, FollowsFifteenRedirectsButNotSixteen)
{
    EXPECT_EQ(get("/hop/15"), "arrived");
    EXPECT_EQ(client.responseCode(), 200);

    QByteArray body;
    EXPECT_THROW(client.get(server.url("/hop/16"), body), HttpTransportError);
    EXPECT_NE(body, "arrived");
}

TEST_F(HttpClientTest, KeepsCookiesAcrossRequests)
{
    EXPECT_EQ(get("/echo-cookie"), "(none)");
    get("/set-cookie");
    EXPECT_EQ(get("/echo-cookie"), "sitzung=4711");
}

TEST_F(HttpClientTest, FetchesOnlyHttpAndHttps)
{
    QByteArray body;
    EXPECT_THROW(client.get("ftp://127.0.0.1/file", body), HttpTransportError);
    EXPECT_THROW(client.get("file:///etc/passwd", body), HttpTransportError);
    EXPECT_TRUE(body.isEmpty());
    EXPECT_THROW(client.get(server.url("/to-ftp"), body), HttpTransportError);
}

TEST_F(HttpClientTest, EncodesBlanksAndControlCharactersOnlyOnTheWire)
{
    const QString url = server.url("/raw-target?isin= DE0007164600&x=a\tb");
    QByteArray body;
    client.get(url, body);
    EXPECT_EQ(body, "/raw-target?isin=%20DE0007164600&x=a%09b");
    EXPECT_EQ(TransportAddress(QString::fromUtf8("/s?q=Müller%20")), "/s?q=M%C3%BCller%20");
}

TEST_F(HttpClientTest, EmptyBodyHalfBodyAndOversizedBody)
{
    EXPECT_TRUE(get("/empty").isEmpty());
    EXPECT_EQ(client.responseCode(), 200);

    QByteArray body;
    EXPECT_THROW(client.get(server.url("/half"), body), HttpTransportError);
    EXPECT_EQ(client.responseCode(), 200);
    EXPECT_EQ(body.size(), 500);

    client.setBodyLimit(4096);
    try {
        client.get(server.url("/big"), body);
        FAIL() << "oversized body accepted";
    } catch (const HttpTransportError& error) {
        EXPECT_TRUE(error.message().contains("4096")) << error.message().toStdString();
    }
    EXPECT_EQ(get("/page").size(), 36);
}

TEST_F(HttpClientTest, IgnoresProxiesFromTheEnvironment)
{
    qputenv("http_proxy", "http://127.0.0.1:9");
    qputenv("HTTPS_PROXY", "http://127.0.0.1:9");
    qputenv("ALL_PROXY", "http://127.0.0.1:9");
    EXPECT_EQ(get("/page").size(), 36);
    qunsetenv("http_proxy");
    qunsetenv("HTTPS_PROXY");
    qunsetenv("ALL_PROXY");
}

TEST(HttpClientAuthentication, SendsCredentialsOnlyWhenAskedAndOnlyToTheSameHost)
{
    LoopbackServer server;
    std::atomic<int> unauthenticated{0};
    std::atomic<int> authenticated{0};
    server.routes().Get("/secret", [&](const httplib::Request& request, httplib::Response& response) {
        // "kunde:geheim" in Base64.
        if (request.get_header_value("Authorization") == "Basic a3VuZGU6Z2VoZWlt") {
            ++authenticated;
            response.set_content("vertraulich", "text/plain");
            return;
        }
        ++unauthenticated;
        response.status = 401;
        response.set_header("WWW-Authenticate", "Basic realm=\"Kurse\"");
    });
    server.routes().Get("/elsewhere", [&](const httplib::Request&, httplib::Response& response) {
        response.set_redirect(server.url("/secret", "localhost").toStdString());
    });
    server.start();

    HttpClient client;
    client.setCredentials("kunde", "geheim");
    QByteArray body;
    client.get(server.url("/secret"), body);
    EXPECT_EQ(body, "vertraulich");
    EXPECT_EQ(unauthenticated.load(), 1);
    EXPECT_EQ(authenticated.load(), 1);

    EXPECT_THROW(client.get(server.url("/elsewhere"), body), HttpStatusError);
    EXPECT_EQ(client.responseCode(), 401);
    EXPECT_EQ(authenticated.load(), 1);

    HttpClient anonymous;
    EXPECT_THROW(anonymous.get(server.url("/secret"), body), HttpStatusError);
    EXPECT_EQ(anonymous.statusText(), "Unauthorized");
}

TEST(HttpClientInactivity, EndsARequestThatGetsNoAnswerAfterTheLimit)
{
    SilentServer silent;
    HttpClient client;
    client.setInactivityLimit(HttpClient::kPageInactivitySeconds);
    QByteArray body;
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(client.get(QStringLiteral("http://127.0.0.1:%1/").arg(silent.port()), body), HttpTransportError);
    EXPECT_GE(clock.elapsed(), 4500);
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_EQ(client.responseCode(), -1);
    EXPECT_TRUE(client.statusText().isEmpty());
}

// A trickle that an average-rate limit would let through, a stall after the
// headers and a body past the limit: each ends soon after its limit, as a
// transport failure of its own kind.
TEST(HttpClientInactivity, DripStallAndOversizedBodyEndAsTransportFailures)
{
    LoopbackServer server;
    test::HostileRoutes hostile(server.routes());
    server.start();
    HttpClient client;
    constexpr int kLimitSeconds = 2;
    client.setInactivityLimit(kLimitSeconds);
    QByteArray body;
    for (const char* path : {"/drip", "/stall"}) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_THROW(client.get(server.url(path), body), HttpTransportError) << path;
        EXPECT_GE(clock.elapsed(), kLimitSeconds * 1000 - 100) << path;
        EXPECT_LT(clock.elapsed(), kLimitSeconds * 1000 + 1500) << path;
        EXPECT_EQ(client.lastFailure(), TransferFailure::Inactivity) << path;
        EXPECT_EQ(client.responseCode(), 200) << path;
    }
    try {
        client.get(server.url("/huge"), body);
        FAIL() << "a body over the limit was taken";
    } catch (const HttpTransportError& error) {
        EXPECT_TRUE(error.message().contains(QString::number(HttpClient::kDefaultBodyLimit)));
    }
    EXPECT_EQ(client.lastFailure(), TransferFailure::BodyTooLarge);
    EXPECT_LE(body.size(), HttpClient::kDefaultBodyLimit);
    hostile.Stop();
}

TEST(HttpClientStepwise, RunsARequestInStepsAndStopsItKeepingWhatArrived)
{
    LoopbackServer server;
    test::HostileRoutes hostile(server.routes());
    server.routes().Get("/page", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><body>Kurs</body></html>", "text/html");
    });
    server.start();
    HttpClient client;
    QByteArray body;
    client.startGet(server.url("/page"), body);
    QElapsedTimer clock;
    clock.start();
    while (!client.pollGet(0) && clock.elapsed() < 5000)
        QThread::msleep(1);
    EXPECT_FALSE(client.getRunning());
    EXPECT_EQ(client.lastFailure(), TransferFailure::None);
    EXPECT_EQ(body, "<html><body>Kurs</body></html>");

    client.startGet(server.url("/drip"), body);
    while (body.isEmpty() && clock.elapsed() < 10000)
        client.pollGet(10);
    client.stopGet();
    EXPECT_EQ(client.lastFailure(), TransferFailure::Stopped);
    EXPECT_EQ(body.size(), test::HostileRoutes::kDripBytes);
    // The client serves the next request at once.
    EXPECT_EQ(client.requestCount(), 2);
    client.get(server.url("/page"), body);
    EXPECT_EQ(body.size(), 30);
    hostile.Stop();
}

TEST(HttpClientTls, VerifiesAgainstTheExtraCaFile)
{
    LoopbackServer server(Tls::TestCa);
    server.routes().Get("/page", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("sicher", "text/plain");
    });
    server.start();

    HttpClient client;
    QByteArray body;
    EXPECT_THROW(client.get(server.url("/page", "localhost"), body), HttpTransportError);
    EXPECT_EQ(client.responseCode(), -1);

    client.setExtraCaFile(TestCaFile());
    client.get(server.url("/page", "yahoo.localhost"), body);
    EXPECT_EQ(body, "sicher");

    // The certificate does not name this host.
    EXPECT_THROW(client.get(server.url("/page", "other.localhost"), body), HttpTransportError);

    client.setExtraCaFile("/nonexistent/ca.pem");
    try {
        client.get(server.url("/page", "localhost"), body);
        FAIL() << "missing CA file not reported";
    } catch (const HttpTransportError& error) {
        EXPECT_TRUE(error.message().contains("/nonexistent/ca.pem")) << error.message().toStdString();
    }
}

TEST(HttpClientTls, RejectsACertificateNoTrustedCaIssued)
{
    LoopbackServer server(Tls::Rogue);
    server.routes().Get("/page", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("untergeschoben", "text/plain");
    });
    server.start();

    HttpClient client;
    client.setExtraCaFile(TestCaFile());
    QByteArray body;
    EXPECT_THROW(client.get(server.url("/page", "localhost"), body), HttpTransportError);
    EXPECT_TRUE(body.isEmpty());
}

}  // namespace
}  // namespace zelvon
