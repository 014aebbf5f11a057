#include "app/http_get_form.h"
#include "app/image_list.h"
#include "app/information.h"
#include "app/proxy_init.h"
#include "app/status_window.h"
#include "platform/dialogs.h"
#include "tools/demodata/demo_directory.h"
#include "program_run.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QTemporaryDir>

namespace zelvon {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::EnsureApplication();
        dialogs::SetStartedBySwitches(false, false);
    }
    void SetUp() override {
        data_ = dir_.filePath("Daten/");
        QDir().mkpath(data_);
        const auto kit = demodata::CreateDemoDataDirectory(data_.toStdString(), demodata::DemoOptions{});
        ASSERT_TRUE(kit.ok()) << kit.message();
        regPath_ = dir_.filePath("Quarvinta.reg");
        // Every server points at a closed loopback port: the runs a test starts must never reach the internet.
        WriteRegistry("\"Datenpath\"=\"" + data_.toUtf8() + "\"\r\n" + kClosedServers);
    }
    static constexpr const char* kClosedServers =
        "\"Zelvon_NewsURL\"=\"http://news.localhost:9/\"\r\n"
        "\"Zelvon_UpdateURL\"=\"http://update.localhost:9/\"\r\n"
        "\"Zelvon_Host_Yahoo\"=\"yahoo.localhost:9\"\r\n"
        "\"Zelvon_Host_Comdirect\"=\"comdirect.localhost:9\"\r\n"
        "\"Zelvon_Host_Onvista\"=\"onvista.localhost:9\"\r\n"
        "\"Zelvon_Host_OnvistaZert\"=\"onvistazert.localhost:9\"\r\n"
        "\"Zelvon_Host_Wallstreet\"=\"wallstreet.localhost:9\"\r\n"
        "\"Zelvon_Host_Consors\"=\"consors.localhost:9\"\r\n"
        "\"Zelvon_Host_Teleboerse\"=\"teleboerse.localhost:9\"\r\n"
        "\"Zelvon_Host_Swiss\"=\"swiss.localhost:9\"\r\n"
        "\"Zelvon_Host_SwissUS\"=\"swiss.localhost:9\"\r\n";
    void WriteRegistry(const QByteArray& values) {
        QFile f(regPath_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n" +
                values);
    }
    QByteArray Registry() const {
        QFile f(regPath_);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    // Starts a window on the test's settings and closes it as the user or a run would.
    void StartAndClose(const RunFlags& flags) {
        THttpGetForm form;
        form.SetRunFlags(flags);
        form.SetRegistry(RegistryFile::Load(regPath_));
        form.Initial();
        form.URLEdit->setText("https://changed.example/");
        form.close();
    }
    QTemporaryDir dir_;
    QString data_;
    QString regPath_;
};

TEST_F(MainWindowTest, BuildsWithEveryCaption) {
    THttpGetForm form;
    const QStringList captions = form.Captions();
    for (const char* expected :
         {"Kurse aus dem Internet - mindestens 15Min. verzögert!", "Quelle", "Börse", "Wert", "Hole &alle", "&Holen",
          "&Abbruch", "&Beenden", "nie Speichen", "bei Nachricht", "immer Speichern", "Wertpapier-Filter",
          "nur diese Gruppe einlesen", "nur Favoriten einlesen", ">>>", "&Speichern", "&Funktionen",
          "Videotext Filter Update", "Fundamentaldaten Update", "Beispieldatenbank Update -30", "&Wertpapier",
          "&Einstellungen", "&Info"}) {
        EXPECT_TRUE(captions.contains(QString::fromUtf8(expected))) << expected;
    }
    EXPECT_FALSE(form.AbortButton->isEnabled());
    EXPECT_EQ(form.Timer1.interval(), 5000);
    EXPECT_EQ(form.Timer2.interval(), 500);
    EXPECT_FALSE(form.Timer1.isActive());
    EXPECT_TRUE(form.StatusPanel(0).isEmpty());
    EXPECT_TRUE(form.URLEdit->isHidden());

    form.show();
    form.ShowPicture(kPictureCheckMark);
    QApplication::processEvents();
    QDir().mkpath(SCREENSHOT_DIR);
    EXPECT_TRUE(form.grab().save(QStringLiteral(SCREENSHOT_DIR "/main_window.png")));
}

TEST_F(MainWindowTest, StatusPicturesAreFourDistinctVisibleImages) {
    QList<QImage> images;
    for (int i = 0; i < 4; ++i) {
        const QImage image = StatusPicture(i).toImage();
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(opaque, 40) << i;
        for (const QImage& other : images) EXPECT_NE(image, other) << i;
        images << image;
    }
}

TEST_F(MainWindowTest, DialogsCarryTheirTexts) {
    TProxyInit proxy;
    EXPECT_EQ(proxy.windowTitle(), "Einstellungen der Internetoptionen");
    EXPECT_EQ(proxy.Edit2->echoMode(), QLineEdit::Password);
    EXPECT_EQ(proxy.Edit4->echoMode(), QLineEdit::Password);
    proxy.Load({"pu", "pp", "u", "p", "host", "8080", "/tmp/t.html"});
    const ConnectionFields back = proxy.Fields();
    EXPECT_EQ(back.proxyUser, "pu");
    EXPECT_EQ(back.password, "p");
    EXPECT_EQ(back.localFile, "/tmp/t.html");

    TStatusfenster status;
    EXPECT_EQ(status.windowTitle(), "Aktualisiere die Videotext - Filter und Seiten");
    EXPECT_TRUE(status.ProgressBar1->isHidden());
    EXPECT_EQ(status.ProgressBar1->maximum(), 10000);
    status.SetTempName("/tmp/news.txt");
    EXPECT_FALSE(status.SpeedButton1->isHidden());
}

TEST_F(MainWindowTest, InteractiveCloseStoresTheNineValues) {
    StartAndClose(RunFlags{});
    const QByteArray stored = Registry();
    EXPECT_TRUE(stored.contains("\"Zelvon_URL\"=\"https://changed.example/\""));
    for (const char* name : {"Zelvon_ProxyHost", "Zelvon_ProxyPort", "Zelvon_TempFile", "Zelvon_Boerse",
                             "Zelvon_Quelle", "Zelvon_Speichern", "Zelvon_Favoriten", "Zelvon_Gruppe"}) {
        EXPECT_TRUE(stored.contains(name)) << name;
    }
    EXPECT_TRUE(stored.contains("\"Datenpath\""));
}

TEST_F(MainWindowTest, RunsStartedBySwitchesStoreNothing) {
    // The fundamentals run fetches: from a port where nobody listens, its log in the test's folder.
    WriteRegistry("\"Datenpath\"=\"" + data_.toUtf8() + "\"\r\n\"Temppath\"=\"" + dir_.path().toUtf8() +
                  "/\"\r\n\"Zelvon_Host_Onvista\"=\"127.0.0.1:1\"\r\n\"Zelvon_Browser\"=\"http\"\r\n");
    const QByteArray before = Registry();
    for (int which = 0; which < 8; ++which) {
        RunFlags flags;
        bool* const switches[] = {&flags.KursInfo,   &flags.InterInfo, &flags.FirmenLesen, &flags.UpdateLesen,
                                  &flags.Beispiel,   &flags.Automat,   &flags.NewsLesen,   &flags.Fundament};
        *switches[which] = true;
        StartAndClose(flags);
        EXPECT_EQ(Registry(), before) << which;
    }
}

TEST_F(MainWindowTest, UnansweredPasswordPromptEndsTheRetriesWithTheEngineError) {
    const QString sample = QStringLiteral(SAMPLES_DIR "/encrypt/encrypted.db");
    if (!QFile::exists(sample)) GTEST_SKIP() << "samples not present";
    THttpGetForm form;
    std::unique_ptr<paradox::Table> table;
    const db::Status status = form.Session.OpenTable(sample.toStdString(), &table);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(table, nullptr);

    form.Session.AddPassword("123");
    EXPECT_TRUE(form.Session.OpenTable(sample.toStdString(), &table).ok());
}

TEST_F(MainWindowTest, MissingTableEndsTheStartWithItsName) {
    QFile::remove(data_ + "Firma.db");
    THttpGetForm form;
    form.SetRegistry(RegistryFile::Load(regPath_));
    try {
        form.Initial();
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains("Firma.db"));
    }
}

}  // namespace
}  // namespace zelvon
