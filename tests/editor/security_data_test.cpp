// The window-free layer under the security entry dialog, on real tables:
// the rule for a new security number, the record buffer over the filtered
// and indexed securities table, the shortening length and the watch lists.
#include "editor/broadcaster_codes.h"
#include "editor/new_security_number.h"
#include "editor/security_record.h"
#include "editor/watch_lists.h"
#include "paradox/table_create.h"
#include "platform/error.h"
#include "tools/demodata/catalog.h"
#include "tools/demodata/demo_directory.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

namespace zelvon::editor {
namespace {

namespace dd = demodata;

class SecurityDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = dir_.path().toStdString() + "/";
        ASSERT_TRUE(dd::CreateDemoDataDirectory(home_, dd::DemoOptions{}).ok());
    }
    void Open(db::Table& table, const std::string& name, const std::string& index = "") {
        table.SetDatabaseName(home_);
        table.SetTableName(name);
        table.SetIndexName(index);
        ASSERT_TRUE(table.Open().ok()) << name;
    }
    // A table of numbers as the given field type, holding the given numbers.
    void NumberTable(const std::string& name, paradox::FieldType type, uint16_t keyFields, std::vector<int> numbers) {
        paradox::CreateOptions options;
        options.key_fields = keyFields;
        ASSERT_TRUE(paradox::CreateTable(home_ + name, {{"Firma", type, 0, false}, {"FirmenName", paradox::FieldType::kAlpha, 20, false}}, options).ok());
        db::Table table(session_);
        Open(table, name);
        for (int n : numbers) {
            ASSERT_TRUE(table.Append().ok());
            ASSERT_TRUE(table.FindField("Firma")->SetInteger(n).ok());
            ASSERT_TRUE(table.Post().ok());
        }
    }
    QTemporaryDir dir_;
    std::string home_;
    db::Session session_;
};

TEST_F(SecurityDataTest, NewSecurityNumberFollowsTheTablesOwnRuleAndElevenFieldsHaveNoInformation) {
    db::Table firma(session_);
    Open(firma, "Firma.db", "IFirma");
    // Only favourites admitted: the numbers of the hidden ones are taken all the same.
    firma.SetOnFilterRecord([](db::Table& t) { return t.FindField("Aktiv")->AsBoolean(); });
    ASSERT_TRUE(firma.SetFiltered(true).ok());
    int32_t highest = 0;
    for (const dd::Security& s : dd::KitSecurities()) highest = std::max(highest, s.firma);
    EXPECT_EQ(NextSecurityNumber(firma), highest + 1);

    EXPECT_TRUE(SecurityRecord(firma).HasInformationFields());
    dd::DemoOptions shortFirma;
    shortFirma.memo_fields = false;
    ASSERT_TRUE(dd::CreateDemoDataDirectory(home_ + "short/", shortFirma).ok());
    db::Table eleven(session_);
    Open(eleven, "short/Firma.db");
    EXPECT_FALSE(SecurityRecord(eleven).HasInformationFields());
    EXPECT_FALSE(SecurityRecord(eleven).HasField("Memo"));

    NumberTable("Auto.db", paradox::FieldType::kAutoIncrement, 1, {5, 9, 7});
    db::Table autoIncrement(session_);
    Open(autoIncrement, "Auto.db");
    EXPECT_EQ(autoIncrement.engine()->header().auto_increment, 9u);
    EXPECT_EQ(NextSecurityNumber(autoIncrement), 10);

    NumberTable("Loose.db", paradox::FieldType::kLong, 0, {3, 8, 2});
    db::Table loose(session_);
    Open(loose, "Loose.db");
    EXPECT_EQ(NextSecurityNumber(loose), 9);
}

TEST_F(SecurityDataTest, RecordBufferRefusesWhatDoesNotFitAndKeepsItsPlaceInTheIndex) {
    db::Table firma(session_);
    Open(firma, "Firma.db", "IFirma");
    firma.SetOnFilterRecord([](db::Table& t) { return !t.FindField("Kennung")->AsString().empty(); });
    ASSERT_TRUE(firma.SetFiltered(true).ok());
    SecurityRecord record(firma);
    const int32_t first = record.SecurityNumber();

    record.SetValue("kennung", std::string("1234567890123"));
    EXPECT_EQ(record.Text("Kennung"), "1234567890123");
    try {
        record.Next();
        ADD_FAILURE() << "a 13-character Kennung was posted";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains("Kennung")) << e.message().toStdString();
    }
    EXPECT_EQ(record.SecurityNumber(), first);
    EXPECT_TRUE(record.Modified());
    record.Cancel();
    EXPECT_NE(record.Text("Kennung"), "1234567890123");

    // Edit, then move on (which posts), over every admitted security once.
    size_t visited = 0;
    for (record.First(); !record.Eof() && visited < 100; ++visited) {
        record.SetValue("SF1", std::string("S") + std::to_string(record.SecurityNumber()));
        record.Next();
    }
    const size_t admitted = std::count_if(dd::KitSecurities().begin(), dd::KitSecurities().end(),
                                          [](const dd::Security& s) { return !s.kennung.empty(); });
    EXPECT_EQ(visited, admitted);

    // Deleting moves to the next security by name.
    record.First();
    ASSERT_EQ(record.SecurityNumber(), 4);  // Allianz SE
    record.Next();
    const int32_t second = record.SecurityNumber();
    record.Next();
    const int32_t third = record.SecurityNumber();
    record.Prior();
    record.Delete();
    EXPECT_EQ(record.SecurityNumber(), third);
    bool found = true;
    ASSERT_TRUE(firma.SetIndexName("").ok());
    ASSERT_TRUE(firma.FindKey({int64_t(second)}, &found).ok());
    EXPECT_FALSE(found);
    ASSERT_TRUE(firma.FindKey({int64_t(3)}, &found).ok());
    ASSERT_TRUE(found);
    EXPECT_EQ(firma.FindField("SF1")->AsString(), "S3");
}

TEST_F(SecurityDataTest, ShorteningLengthAndWatchListsThatAlreadyMatch) {
    EXPECT_EQ(ShorteningLength("9"), 9);
    EXPECT_EQ(ShorteningLength(" 20"), 20);
    EXPECT_EQ(ShorteningLength("0"), 0);
    for (const char* bad : {"", "neun", "21", "-1", "3,5"}) EXPECT_THROW(ShorteningLength(bad), Error) << bad;

    WatchLists lists(session_, QString::fromStdString(home_));
    EXPECT_EQ(lists.Membership(2), (std::array<bool, 4>{false, true, false, false}));
    const QString watch2 = QString::fromStdString(home_) + "Watch2.db";
    QFile file(watch2);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    lists.SetMember(1, 2, true);
    lists.SetMember(0, 2, false);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    file.close();
    lists.SetMember(1, 2, false);
    lists.SetMember(3, 2, true);
    EXPECT_EQ(lists.Membership(2), (std::array<bool, 4>{false, false, false, true}));
    EXPECT_THROW(WatchLists(session_, "/nonexistent/").SetMember(0, 1, true), Error);
}

}  // namespace
}  // namespace zelvon::editor
