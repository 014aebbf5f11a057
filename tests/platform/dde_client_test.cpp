// The conversation component against the real feed simulator on a real
// socket: where the socket is looked for, the answers it understands, and
// each way a feed can fail it.
#include "platform/dde_client.h"
#include "platform/feed_socket.h"
#include "tests/platform/feed_simulator.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/un.h>

namespace zelvon {
namespace {

// Sets an environment variable for one test; "unset" when value is null.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name), had_(qEnvironmentVariableIsSet(name)),
                                                           old_(qgetenv(name))
    {
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~ScopedVariable()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

TEST(FeedSocketPlace, OwnDirectoryThenRuntimeDirectoryThenTmp)
{
    {
        ScopedVariable own("ZELVON_DDE_DIR", "/srv/feeds/");
        EXPECT_EQ(feed::SocketPath("TaiPanRT"), "/srv/feeds/TaiPanRT");
    }
    ScopedVariable own("ZELVON_DDE_DIR", "");
    {
        ScopedVariable runtime("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(feed::SocketPath("WinBis"), "/run/user/1000/zelvon-dde/WinBis");
    }
    ScopedVariable runtime("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(feed::SocketPath("WinBis"), QStringLiteral("/tmp/zelvon-dde-%1/WinBis").arg(getuid()));
}

class DdeClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        place_.emplace("ZELVON_DDE_DIR", dir_.path().toUtf8().constData());
    }
    // Link and open on a topic of the WinBis service.
    bool Open(const QString& topic)
    {
        conv_.SetLink("WinBis", topic);
        return conv_.OpenLink();
    }

    QTemporaryDir dir_;
    std::optional<ScopedVariable> place_;
    DdeClientConv conv_;
};

TEST_F(DdeClientTest, OneConversationAnswersSeveralRequestsInWindows1252)
{
    // "Öl & Gas 12,50 €" in Windows-1252, and an item that is not in the file.
    test::FeedSimulator feed(dir_.path(), "WinBis",
                             "XETRA\t716460/L\t12,34 EUR\r\nXETRA\tM\xdcLLER/L\t\xd6l & Gas 12,50 \x80\n", {"--nodata"});
    ASSERT_TRUE(Open("XETRA"));
    EXPECT_EQ(conv_.RequestData("716460/L"), "12,34 EUR");
    EXPECT_EQ(conv_.RequestData(u"M\u00dcLLER/L"_qs), u"\u00d6l & Gas 12,50 \u20ac"_qs);
    EXPECT_EQ(conv_.RequestData("716460/G"), "");
    conv_.CloseLink();
    EXPECT_FALSE(conv_.linkOpen());
    EXPECT_EQ(feed.requests("CONNECT XETRA -> OK"), 1) << feed.log().toStdString();
    EXPECT_EQ(feed.requests("REQUEST 716460/G -> NODATA"), 1);

    // A changed file is served at the next request; SetLink ends the open conversation first.
    feed.setValues("FWB\t716460/L\t13,00 EUR\n");
    ASSERT_TRUE(Open("FWB"));
    EXPECT_EQ(conv_.RequestData("716460/L"), "13,00 EUR");
    EXPECT_TRUE(conv_.OpenLink());
    EXPECT_EQ(feed.requests("CONNECT FWB -> OK"), 1) << "an open conversation is reused";
    conv_.SetLink("WinBis", "FWB");
    EXPECT_FALSE(conv_.linkOpen());
}

TEST_F(DdeClientTest, OpenLinkFailsWhereNoFeedAcceptsTheTopic)
{
    EXPECT_FALSE(Open("XETRA")) << "no socket";
    {
        test::FeedSimulator feed(dir_.path(), "WinBis", "XETRA\t716460/L\t1\n");
        EXPECT_FALSE(Open("FWB")) << "unknown topic";
        EXPECT_TRUE(Open("XETRA"));
        conv_.CloseLink();
        // A topic that cannot travel in one line is not sent at all.
        EXPECT_FALSE(Open("XETRA\nREQUEST 716460/L"));
        EXPECT_FALSE(Open(u"XETRA\u4e00"_qs));
        EXPECT_EQ(feed.log().count("CONNECT"), 2) << feed.log().toStdString();
    }
    {
        test::FeedSimulator refusing(dir_.path(), "WinBis", "XETRA\t716460/L\t1\n", {"--refuse"});
        EXPECT_FALSE(Open("XETRA"));
        EXPECT_FALSE(conv_.linkOpen());
    }
}

TEST_F(DdeClientTest, AFeedThatDoesNotAnswerConnectCountsAsNotOpenAfterTwoSeconds)
{
    // A socket that takes connections into its queue and never reads them.
    const QByteArray path = QFile::encodeName(dir_.filePath("WinBis"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Open("XETRA"));
    EXPECT_GE(clock.elapsed(), DdeClientConv::kConnectTimeoutMs - 50);
    EXPECT_LT(clock.elapsed(), DdeClientConv::kConnectTimeoutMs + 1500);
    ::close(fd);
    // The socket file is left behind as by a crashed feed: still not open.
    EXPECT_FALSE(Open("XETRA"));
}

TEST_F(DdeClientTest, AFeedHangingUpInTheMiddleIsAnErrorAndEndsTheConversation)
{
    test::FeedSimulator feed(dir_.path(), "WinBis", "XETRA\t716460/L\t12,34\nXETRA\t716460/G\t1500\n",
                             {"--hang-up-on", "716460/G"});
    ASSERT_TRUE(Open("XETRA"));
    EXPECT_EQ(conv_.RequestData("716460/L"), "12,34");
    try {
        conv_.RequestData("716460/G");
        FAIL() << "no error";
    } catch (const DdeError& e) {
        EXPECT_TRUE(e.message().contains("WinBis|XETRA")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("716460/G"));
        EXPECT_TRUE(e.message().contains("beendet"));
    }
    EXPECT_FALSE(conv_.linkOpen());
    EXPECT_THROW(conv_.RequestData("716460/L"), DdeError);
    // The next conversation starts afresh.
    ASSERT_TRUE(Open("XETRA"));
    EXPECT_EQ(conv_.RequestData("716460/L"), "12,34");
}

TEST_F(DdeClientTest, AnAnswerLineOverTheLimitIsAnErrorOneAtTheLimitIsAValue)
{
    // "DATA " and the value: 4096 bytes exactly, and one more.
    const QByteArray longest(feed::kMaxLineBytes - 5, '7');
    test::FeedSimulator feed(dir_.path(), "WinBis",
                             "XETRA\tlongest\t" + longest + "\nXETRA\ttoo long\t" + longest + "7\n"
                             "XETRA\tafter\tstill there\n");
    ASSERT_TRUE(Open("XETRA"));
    EXPECT_EQ(conv_.RequestData("longest").toLatin1(), longest);
    EXPECT_THROW(conv_.RequestData("too long"), DdeError);
    EXPECT_FALSE(conv_.linkOpen());
    // An item that would smuggle a second command in is refused before sending.
    ASSERT_TRUE(Open("XETRA"));
    EXPECT_THROW(conv_.RequestData("after\nREQUEST after"), DdeError);
    EXPECT_EQ(feed.requests("REQUEST after"), 0) << feed.log().toStdString();
}

}  // namespace
}  // namespace zelvon
