#include "platform/registry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace zelvon {
namespace {

const char kSuiteKey[] = "HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta";

class RegistryTest : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath("sub/Quarvinta.reg"); }
    void WriteRaw(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray ReadRaw() const {
        QFile f(path());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QTemporaryDir dir_;
};

TEST_F(RegistryTest, MissingFileIsAnEmptyRegistry) {
    RegistryFile file = RegistryFile::Load(path());
    EXPECT_EQ(file.OpenKey(kSuiteKey, false), nullptr);
    EXPECT_NE(file.OpenKey(kSuiteKey, true), nullptr);
}

TEST_F(RegistryTest, TypesEscapesAndUnknownEntriesSurviveARewrite) {
    WriteRaw("Windows Registry Editor Version 5.00\r\n\r\n"
             "[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
             "\"Datenpath\"=\"C:\\\\Quarvinta\\\\Daten\\\\\"\r\n"
             "\"Quote\"=\"say \\\"hi\\\"\"\r\n"
             "\"Sprache\"=dword:0000000a\r\n"
             "\"Blob\"=hex:01,02,\\\r\n  03,04\r\n"
             "@=\"default\"\r\n\r\n"
             "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
             "\"Keep\"=hex(2):41,00,00,00\r\n");
    RegistryFile file = RegistryFile::Load(path());
    RegistryKey* key = file.OpenKey("hkey_current_user\\software\\selvaran\\quarvinta", false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(*key->ReadString("datenpath"), "C:\\Quarvinta\\Daten\\");
    EXPECT_EQ(*key->ReadString("Quote"), "say \"hi\"");
    EXPECT_EQ(*key->ReadInteger("Sprache"), 10);
    EXPECT_FALSE(key->ReadString("Missing"));
    key->WriteInteger("Zelvon_Gruppe", -1);
    key->WriteBool("Zelvon_Favoriten", true);
    key->WriteString("Sprache", "now a text");
    file.Save();

    const QString text = QString::fromUtf8(ReadRaw());
    EXPECT_TRUE(text.startsWith("Windows Registry Editor Version 5.00\r\n"));
    EXPECT_TRUE(text.contains("\"Keep\"=hex(2):41,00,00,00\r\n"));
    EXPECT_TRUE(text.contains("\"Blob\"=hex:01,02,03,04\r\n"));
    EXPECT_TRUE(text.contains("\"Zelvon_Gruppe\"=dword:ffffffff\r\n"));
    EXPECT_TRUE(text.contains("\"Zelvon_Favoriten\"=dword:00000001\r\n"));

    RegistryFile again = RegistryFile::Load(path());
    const RegistryKey* reread = again.OpenKey(kSuiteKey, false);
    EXPECT_EQ(*reread->ReadInteger("Zelvon_Gruppe"), -1);
    EXPECT_EQ(*reread->ReadString("Sprache"), "now a text");
    EXPECT_EQ(*reread->ReadString("Datenpath"), "C:\\Quarvinta\\Daten\\");
    EXPECT_EQ(*reread->ReadString(""), "default");
}

TEST_F(RegistryTest, WrongTypeIsAReadErrorNamingTheValue) {
    WriteRaw("Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
             "\"Zelvon_Quelle\"=\"3\"\r\n\"Datenpath\"=dword:00000001\r\n");
    RegistryFile file = RegistryFile::Load(path());
    const RegistryKey* key = file.OpenKey(kSuiteKey, false);
    EXPECT_THROW(key->ReadInteger("Zelvon_Quelle"), RegistryError);
    try {
        key->ReadString("Datenpath");
        FAIL();
    } catch (const RegistryError& e) {
        EXPECT_TRUE(e.message().contains("Datenpath"));
    }
}

TEST_F(RegistryTest, MalformedFileReportsPathAndLineAndStaysUntouched) {
    const QByteArray bad = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\X]\r\nnonsense\r\n";
    WriteRaw(bad);
    try {
        RegistryFile::Load(path());
        FAIL();
    } catch (const RegistryError& e) {
        EXPECT_TRUE(e.message().contains(path()));
        EXPECT_TRUE(e.message().contains("Zeile 4"));
    }
    EXPECT_EQ(ReadRaw(), bad);
    WriteRaw("just text\r\n");
    EXPECT_THROW(RegistryFile::Load(path()), RegistryError);
}

TEST_F(RegistryTest, SavedFileIsPrivateAndUtf16StaysUtf16) {
    RegistryFile file = RegistryFile::Load(path());
    file.OpenKey(kSuiteKey, true)->WriteString("Datenpath", "/data/Müller/");
    file.Save();
    struct stat info {};
    ASSERT_EQ(stat(path().toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const QString text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                         "\"Watch1\"=\"Börse\"\r\n";
    WriteRaw(QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
    RegistryFile utf16 = RegistryFile::Load(path());
    EXPECT_EQ(*utf16.OpenKey(kSuiteKey, false)->ReadString("Watch1"), "Börse");
    utf16.Save();
    EXPECT_TRUE(ReadRaw().startsWith("\xFF\xFE"));
}

}  // namespace
}  // namespace zelvon
