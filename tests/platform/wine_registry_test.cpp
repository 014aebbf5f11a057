#include "platform/registry.h"
#include "platform/wine_registry.h"
#include "wine_prefix_kit.h"

#include <gtest/gtest.h>

namespace zelvon {
namespace {

const QString kSuite = QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta");

const QByteArray kSuiteValues =
    "\"Datenpath\"=\"C:\\\\Quarvinta\\\\Daten\\\\\"\n"
    "\"Sprache\"=dword:00000001\n"
    "\"Watch1\"=\"B\\xf6rse M\\xfcnchen\"\n"
    "\"Watch2\"=\"\\x20ac-Werte \\\"Top\\\"\"\n"
    "\"Watch3\"=\"Aktien \\x00dcbersee\\tneu\"\n"
    "\"Sender1\"=hex(7):41,00,52,00,44,00,00,00,00,00\n"
    "\"Fenster\"=hex:2c,00,00,00,00,00,00,00,01,00,00,00,ff,ff,ff,ff,ff,ff,ff,ff,ff,\\\n"
    "  ff,ff,ff,16,00,00,00,16,00,00,00\n"
    "@=\"Standard\"\n"
    "\"Zelvon_Boerse\"=dword:00000003\n";

class WineRegistryTest : public ::testing::Test {
protected:
    RegistryFile Load(const QByteArray& bytes) {
        prefix_.WriteUserReg(bytes);
        return RegistryFile::Load(prefix_.UserReg());
    }
    test::WinePrefix prefix_;
};

TEST_F(WineRegistryTest, ReadsWineSyntax) {
    RegistryFile file = Load(test::WineUserReg(kSuiteValues));
    EXPECT_EQ(file.winePrefix(), prefix_.Path());
    const RegistryKey* key = file.OpenKey(kSuite, false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadString("Datenpath"), "C:\\Quarvinta\\Daten\\");
    EXPECT_EQ(key->ReadInteger("Sprache"), 1);
    EXPECT_EQ(key->ReadString("Watch1"), QString::fromUtf8("Börse München"));
    EXPECT_EQ(key->ReadString("Watch2"), QString::fromUtf8("€-Werte \"Top\""));
    EXPECT_EQ(key->ReadString("watch3"), QString::fromUtf8("Aktien Übersee\tneu"));
    EXPECT_EQ(key->ReadString(""), "Standard");
    EXPECT_THROW(key->ReadString("Sender1"), RegistryError);
    EXPECT_THROW(key->ReadInteger("Fenster"), RegistryError);
    EXPECT_EQ(key->ReadInteger("Zelvon_Boerse"), 3);
    const RegistryKey* internet =
        file.OpenKey("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", false);
    ASSERT_NE(internet, nullptr);
    EXPECT_EQ(internet->ReadString("ProxyServer"), "proxy.firma.example:3128");
}

TEST_F(WineRegistryTest, WritesOnlyTheLinesOfChangedValues) {
    const QByteArray original = test::WineUserReg(kSuiteValues);
    RegistryFile file = Load(original);
    file.Save();
    EXPECT_EQ(prefix_.ReadUserReg(), original) << "an unchanged file is not rewritten";

    const auto wineMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(prefix_.UserReg(), wineMode));
    RegistryKey* key = file.OpenKey(kSuite, true);
    key->WriteInteger("Zelvon_Boerse", 3);                         // same value: line stays
    key->WriteInteger("fenster", 7);                               // wrapped binary becomes one line
    key->WriteString("Zelvon_URL", QString::fromUtf8("https://ex.example/Ärger\\a\"b"));
    key->WriteString("Watch1", QString::fromUtf8("Börse München"));  // same text: escapes kept
    file.OpenKey("HKEY_CURRENT_USER\\Software\\Neu\\Schl[1]", true)->WriteBool("An", true);
    file.Save();

    QByteArray expected = original;
    expected.replace("\"Fenster\"=hex:2c,00,00,00,00,00,00,00,01,00,00,00,ff,ff,ff,ff,ff,ff,ff,ff,ff,\\\n"
                     "  ff,ff,ff,16,00,00,00,16,00,00,00\n",
                     "\"Fenster\"=dword:00000007\n");
    expected.replace("\"Zelvon_Boerse\"=dword:00000003\n",
                     "\"Zelvon_Boerse\"=dword:00000003\n"
                     "\"Zelvon_URL\"=\"https://ex.example/\\xc4rger\\\\a\\\"b\"\n");
    const QByteArray written = prefix_.ReadUserReg();
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
    EXPECT_EQ(QFile::permissions(prefix_.UserReg()) & others, wineMode & others) << "Wine's file keeps its mode";
    ASSERT_TRUE(written.startsWith(expected)) << written.constData();
    const QByteArray added = written.mid(expected.size());
    EXPECT_TRUE(added.startsWith("\n[Software\\\\Neu\\\\Schl\\[1\\]] ")) << added.constData();
    EXPECT_TRUE(added.contains("\n#time=")) << added.constData();
    EXPECT_TRUE(added.endsWith("\n\"An\"=dword:00000001\n")) << added.constData();

    RegistryFile again = RegistryFile::Load(prefix_.UserReg());
    EXPECT_EQ(again.OpenKey(kSuite, false)->ReadString("Zelvon_URL"), QString::fromUtf8("https://ex.example/Ärger\\a\"b"));
    EXPECT_EQ(again.OpenKey(kSuite, false)->ReadInteger("Fenster"), 7);
    EXPECT_EQ(again.OpenKey("HKEY_CURRENT_USER\\Software\\Neu\\Schl[1]", false)->ReadBool("An"), true);
}

TEST_F(WineRegistryTest, UnknownLinesAndALastLineWithoutNewlineSurvive) {
    const QByteArray original = "WINE REGISTRY Version 2\r\n"
                                "; hand-written comment\r\n"
                                "\n"
                                "[Software\\\\Selvaran\\\\Quarvinta] 1702220002\n"
                                "#class=\"Quarvinta\"\n"
                                "  \"Eingerueckt\" = \"ja\"\n"
                                "this line means nothing to Wine\n"
                                "\"Kaputt\"=\"nicht geschlossen\n"
                                "[unclosed key\n"
                                "\"Zelvon_Gruppe\"=dword:00000002";
    RegistryFile file = Load(original);
    RegistryKey* key = file.OpenKey(kSuite, false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadString("Eingerueckt"), "ja");
    EXPECT_FALSE(key->ValueExists("Kaputt"));
    EXPECT_FALSE(key->ValueExists("Zelvon_Gruppe")) << "values under an unreadable key are not the suite's";
    key->WriteInteger("Zelvon_Quelle", 11);
    file.Save();
    QByteArray expected = original;
    expected.replace("  \"Eingerueckt\" = \"ja\"\n", "  \"Eingerueckt\" = \"ja\"\n\"Zelvon_Quelle\"=dword:0000000b\n");
    EXPECT_EQ(prefix_.ReadUserReg(), expected);
}

TEST_F(WineRegistryTest, SeveralThousandKeysKeepEveryByte) {
    QByteArray big = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n";
    for (int i = 0; i < 6000; ++i) {
        if (i == 3000) big += "\n[Software\\\\Selvaran\\\\Quarvinta] 1702220002\n#time=1da2b3c4d5e6f72\n" + kSuiteValues;
        big += "\n[Software\\\\Classes\\\\CLSID\\\\{" + QByteArray::number(i).rightJustified(8, '0') +
               "-0000-0000-C000-000000000046}\\\\InprocServer32] 1702220000\n#time=1da2b3c4d5e6f70\n"
               "@=\"C:\\\\windows\\\\system32\\\\ole32.dll\"\n\"ThreadingModel\"=\"Both\"\n";
    }
    RegistryFile file = Load(big);
    RegistryKey* key = file.OpenKey(kSuite, false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadString("Watch1"), QString::fromUtf8("Börse München"));
    EXPECT_EQ(file.OpenKey("HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{00005999-0000-0000-C000-000000000046}"
                           "\\InprocServer32",
                           false)
                  ->ReadString("ThreadingModel"),
              "Both");
    key->WriteInteger("Zelvon_Boerse", 4);
    file.Save();
    QByteArray expected = big;
    expected.replace("\"Zelvon_Boerse\"=dword:00000003\n", "\"Zelvon_Boerse\"=dword:00000004\n");
    EXPECT_EQ(prefix_.ReadUserReg(), expected);
}

// Wine writes the file back whenever its server ends: our change goes onto that
// newer file, not onto the one read at start.
TEST_F(WineRegistryTest, ChangesGoOntoTheFileAsItIsWhenSaving) {
    RegistryFile file = Load(test::WineUserReg(kSuiteValues));
    const QByteArray byWine = test::WineUserReg(kSuiteValues + "\"Sender2\"=\"ARD\"\n");
    prefix_.WriteUserReg(byWine);
    file.OpenKey(kSuite, true)->WriteInteger("Zelvon_Boerse", 5);
    file.Save();
    QByteArray expected = byWine;
    expected.replace("\"Zelvon_Boerse\"=dword:00000003\n", "\"Zelvon_Boerse\"=dword:00000005\n");
    EXPECT_EQ(prefix_.ReadUserReg(), expected);
}

TEST_F(WineRegistryTest, RefusesToWriteWhileAWineServerHoldsThePrefix) {
    const QByteArray original = test::WineUserReg(kSuiteValues);
    for (const char* mode : {"both", "socket", "lock"}) {
        RegistryFile file = Load(original);
        file.OpenKey(kSuite, true)->WriteInteger("Zelvon_Boerse", 9);
        test::WineServerStandIn server(prefix_.Path(), QString::fromLatin1(mode));
        EXPECT_TRUE(WineServerRunning(prefix_.Path())) << mode;
        try {
            file.Save();
            ADD_FAILURE() << "saved while a server runs: " << mode;
        } catch (const WinePrefixBusy& e) {
            EXPECT_TRUE(e.message().contains(prefix_.Path())) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains("wineserver -k")) << e.message().toStdString();
        }
        EXPECT_EQ(prefix_.ReadUserReg(), original) << mode;
        server.Stop();
        EXPECT_FALSE(WineServerRunning(prefix_.Path())) << mode;
        file.Save();
        EXPECT_TRUE(prefix_.ReadUserReg().contains("\"Zelvon_Boerse\"=dword:00000009\n")) << mode;
    }
}

TEST_F(WineRegistryTest, LeftoverServerFilesOfAnEndedServerDoNotCount) {
    const QString dir = WineServerDirectory(prefix_.Path());
    ASSERT_TRUE(dir.startsWith("/tmp/.wine-"));
    QDir().mkpath(dir);
    QFile lock(dir + "/lock");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    EXPECT_FALSE(WineServerRunning(prefix_.Path()));
    QFile::remove(dir + "/lock");
    QDir().rmdir(dir);
}

TEST(WineEscape, FollowsWinesRules) {
    EXPECT_EQ(WineEscape(QString::fromUtf8("a\\b\"c"), "\""), "a\\\\b\\\"c");
    EXPECT_EQ(WineEscape(QString::fromUtf8("Äb Äx"), "\""), "\\x00c4b \\xc4x");
    EXPECT_EQ(WineEscape(QString::fromUtf8("t\tn\n\x01" "7\x02"), "\""), "t\\tn\\n\\0017\\2");
    EXPECT_EQ(WineEscape("[k]", "[]"), "\\[k\\]");
}

}  // namespace
}  // namespace zelvon
