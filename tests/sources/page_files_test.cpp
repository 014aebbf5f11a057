#include "sources/page_files.h"

#include "platform/error.h"
#include "platform/text_view.h"
#include "test_window.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace zelvon {
namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

class PageFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.fileNameEdit = dir.path() + "/seiten/test.html";
        QDir(dir.path()).mkdir("seiten");
        window.quoteFile = dir.path() + "/aktien.txt";
    }

    QTemporaryDir dir;
    test::TestWindow window;
    FetchState state;
    TextView pageView;
    TextView quoteList;
    std::vector<QUrl> opened;
    PageFiles files{window, state, pageView, quoteList, [this](const QUrl& url) { opened.push_back(url); }};
};

TEST_F(PageFilesTest, SavesThePageNextToTheLocalFileInWindows1252)
{
    pageView.setText(QString::fromUtf8("Kurs ä\n12,50 €"));
    files.SpeedButton4Click();
    const QString pageFile = dir.path() + "/seiten/A1B2C3.Htm";
    EXPECT_EQ(files.pageFileName(), pageFile);
    EXPECT_EQ(ReadAll(pageFile), "Kurs \xe4\r\n12,50 \x80\r\n");

    pageView.clear();
    files.SpeedButton4Click();
    EXPECT_EQ(ReadAll(pageFile), "");
}

TEST_F(PageFilesTest, AKennungThatIsNoPlainFileNameWritesNothing)
{
    pageView.setText(u"Seite");
    for (const char* kennung : {"../A1B2C3", "x/y", "x\\y", "..", "A\tB"}) {
        window.kennung = QString::fromLatin1(kennung);
        EXPECT_THROW(files.SpeedButton4Click(), Error) << kennung;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"seiten"});
    EXPECT_TRUE(QDir(dir.path() + "/seiten").isEmpty());

    window.kennung = "A1";
    state.fileNameEdit = dir.path() + "/fehlt/test.html";
    EXPECT_THROW(files.SpeedButton4Click(), Error);
}

TEST_F(PageFilesTest, WritesTheQuoteListUnlessInTheSampleRun)
{
    quoteList.appendLine("DAX\t15000,5");
    quoteList.appendLine("ZDF\t1,25");
    files.BitBtn1Click();
    EXPECT_EQ(ReadAll(window.quoteFile), "DAX\t15000,5\r\nZDF\t1,25\r\n");
    EXPECT_EQ(window.status[1], window.quoteFile + " gespeichert");

    window.sampleRun = true;
    window.quoteFile = dir.path() + "/beispiel.txt";
    files.BitBtn1Click();
    EXPECT_FALSE(QFile::exists(window.quoteFile));
    EXPECT_EQ(window.status[1], window.quoteFile + " gespeichert");
}

TEST_F(PageFilesTest, QuoteListErrorsAreSilent)
{
    window.status[1] = "Name";
    window.quoteFile = dir.path() + "/gibt/es/nicht.txt";
    EXPECT_NO_THROW(files.BitBtn1Click());
    EXPECT_EQ(window.status[1], "Name");
}

TEST_F(PageFilesTest, HandsOnlyWebAddressesAndFilesToTheDesktop)
{
    state.urlEdit = "https://finance.yahoo.com/quote/SIE.DE";
    files.SpeedButton1Click();
    state.urlEdit = "file:///etc/passwd";
    files.SpeedButton1Click();
    state.urlEdit = "javascript:alert(1)";
    files.SpeedButton1Click();
    files.SpeedButton2Click();
    files.SpeedButton6Click();
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], QUrl("https://finance.yahoo.com/quote/SIE.DE"));
    EXPECT_EQ(opened[1], QUrl::fromLocalFile(state.fileNameEdit));
    EXPECT_EQ(opened[2], QUrl::fromLocalFile(window.quoteFile));
}

}  // namespace
}  // namespace zelvon
