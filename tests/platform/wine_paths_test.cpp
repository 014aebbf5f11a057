#include "platform/wine_paths.h"
#include "wine_prefix_kit.h"

#include <gtest/gtest.h>

#include <QFileInfo>

namespace zelvon {
namespace {

class WinePathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(prefix_.Path("drive_c/Quarvinta/Daten/Filter"));
        QFile quotes(prefix_.Path("drive_c/Quarvinta/Daten/Aktien.txt"));
        ASSERT_TRUE(quotes.open(QIODevice::WriteOnly));
        drive_ = QFileInfo(prefix_.Path("drive_c")).canonicalFilePath();
    }
    MappedPath Map(const QString& path) const { return MapWindowsPath(prefix_.Path(), path); }
    test::WinePrefix prefix_;
    QString drive_;
};

TEST_F(WinePathsTest, ComponentsAreFoundWithoutRegardToLetterCase) {
    EXPECT_EQ(Map("C:\\QUARVINTA\\daten\\").path, drive_ + "/Quarvinta/Daten/");
    EXPECT_EQ(Map("c:\\quarvinta\\DATEN\\aktien.TXT").path, drive_ + "/Quarvinta/Daten/Aktien.txt");
    EXPECT_EQ(Map("C:/Quarvinta//Daten/./filter").path, drive_ + "/Quarvinta/Daten/Filter");
    EXPECT_EQ(Map("C:\\Quarvinta\\Neu\\Kurse.txt").path, drive_ + "/Quarvinta/Neu/Kurse.txt")
        << "a file still to be written keeps its place";
    EXPECT_EQ(Map("C:\\Quarvinta\\Daten\\..\\..\\Quarvinta\\daten\\").path, drive_ + "/Quarvinta/Daten/");
    EXPECT_EQ(Map("C:\\").path, drive_ + "/");
    EXPECT_EQ(Map("Z:\\tmp\\").path, "/tmp/");
    EXPECT_EQ(Map("/home/me/Quarvinta/Daten/").path, "/home/me/Quarvinta/Daten/");
    EXPECT_EQ(Map("Daten").path, "Daten");
}

TEST_F(WinePathsTest, ADriveLinkMadeByHandMayBeUpperCase) {
    QDir().mkpath(prefix_.Path("laufwerk_d/Depot"));
    ASSERT_EQ(::symlink("../laufwerk_d", QFile::encodeName(prefix_.Path("dosdevices/D:")).constData()), 0);
    EXPECT_EQ(Map("d:\\depot\\").path, QFileInfo(prefix_.Path("laufwerk_d")).canonicalFilePath() + "/Depot/");
}

TEST_F(WinePathsTest, PathsThatDoNotMapSayWhy) {
    MappedPath missing = Map("D:\\Quarvinta\\");
    EXPECT_TRUE(missing.path.isEmpty());
    EXPECT_TRUE(missing.error.contains("Laufwerk D:")) << missing.error.toStdString();
    EXPECT_TRUE(missing.error.contains("dosdevices/d:")) << missing.error.toStdString();

    ASSERT_EQ(::symlink("../drive_e", QFile::encodeName(prefix_.Path("dosdevices/e:")).constData()), 0);
    const MappedPath dangling = Map("E:\\Daten\\");
    EXPECT_TRUE(dangling.path.isEmpty());
    EXPECT_TRUE(dangling.error.contains("ins Leere")) << dangling.error.toStdString();
    EXPECT_TRUE(dangling.error.contains("/drive_e")) << dangling.error.toStdString();

    const MappedPath leaving = Map("C:\\Quarvinta\\..\\..\\..\\etc\\passwd");
    EXPECT_TRUE(leaving.path.isEmpty());
    EXPECT_TRUE(leaving.error.contains("\"..\"")) << leaving.error.toStdString();

    EXPECT_FALSE(Map("\\\\server\\share\\Daten").error.isEmpty());
    EXPECT_FALSE(Map("\\Quarvinta\\Daten").error.isEmpty());
}

}  // namespace
}  // namespace zelvon
