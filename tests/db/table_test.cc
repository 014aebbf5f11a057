// The table objects over real files: names in any letter case, null
// conversions, filters, key lookups, master links, passwords, data links.
#include <gtest/gtest.h>

extern "C" {
#include <paradox.h>
}

#include <filesystem>

#include "db/table.h"
#include "pxlib_writer.h"

namespace {

using zelvon::db::Field;
using zelvon::db::Session;
using zelvon::db::Table;
using zelvon::db::Variant;

class DbTable : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(paradox_test::SamplesDir() + "/db/CUSTOMER.DB")) GTEST_SKIP();
        // Master: Firma(key), Name. Detail: Firma, Nr (key on both), Kurs.
        ASSERT_TRUE(paradox_test::WritePxlibTable(dir_.File("Firma.db"), {{"Firma", pxfLong, 4}, {"FirmenName", pxfAlpha, 20}}, 1,
                                                  1252, 5, [](void* d, char* rec, int64_t row) {
                                                      auto* doc = static_cast<pxdoc_t*>(d);
                                                      PX_put_data_long(doc, rec, 4, int(row + 1));
                                                      char name[16];
                                                      std::snprintf(name, sizeof name, "Firma %d", int(row + 1));
                                                      PX_put_data_alpha(doc, rec + 4, 20, name);
                                                  }));
        ASSERT_TRUE(paradox_test::WritePxlibTable(dir_.File("Intraday.db"),
                                                  {{"Firma", pxfLong, 4}, {"Nr", pxfLong, 4}, {"Kurs", pxfNumber, 8}}, 2, 1252, 300,
                                                  [](void* d, char* rec, int64_t row) {
                                                      auto* doc = static_cast<pxdoc_t*>(d);
                                                      PX_put_data_long(doc, rec, 4, int(row / 100 * 2 + 1));  // firms 1, 3, 5
                                                      PX_put_data_long(doc, rec + 4, 4, int(row % 100));
                                                      PX_put_data_double(doc, rec + 8, 8, double(row) / 4);
                                                  }));
        paradox_test::CopySample("db/CUSTOMER.DB", dir_);
        paradox_test::CopySample("db/CUSTOMER.PX", dir_);
        paradox_test::CopySample("db/CUSTOMER.MB", dir_);
        paradox_test::CopySample("db/CUSTOMER.X06", dir_);
        paradox_test::CopySample("db/CUSTOMER.Y06", dir_);
        paradox_test::CopySample("encrypt/encrypted.db", dir_);
    }

    void OpenTable(Table& t, const std::string& name, const std::string& index = "") {
        t.SetDatabaseName(dir_.path());
        t.SetTableName(name);
        ASSERT_TRUE(t.SetIndexName(index).ok());
        zelvon::db::Status s = t.Open();
        ASSERT_TRUE(s.ok()) << s.ToString();
    }

    paradox_test::TempDir dir_;
    Session session_;
};

TEST_F(DbTable, NamesInAnyLetterCaseAndNullConversions) {
    Table t(session_);
    OpenTable(t, "customer.db");
    EXPECT_EQ(t.FieldCount(), 10);
    EXPECT_EQ(t.RecordCount(), 20u);
    Field* f = t.FindField("CUSTNO");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->FieldName(), "CustNo");
    Field missing(nullptr, 0);
    zelvon::db::Status s = t.FieldByName("Kennung", &missing);
    EXPECT_TRUE(s.IsNotFound());
    EXPECT_EQ(s.message(), "Feld 'Kennung' nicht gefunden in CUSTOMER.DB");

    // Past the end the fields keep the last record's values.
    while (!t.Eof()) ASSERT_TRUE(t.Next().ok());
    int last = f->AsInteger();
    EXPECT_GT(last, 0);
    EXPECT_EQ(t.FindField("custno")->AsInteger(), last);

    ASSERT_TRUE(paradox_test::WritePxlibTable(dir_.File("Internet.db"), {{"GruppenIndex", pxfLong, 4}}, 0, 1252, 0,
                                              [](void*, char*, int64_t) {}));
    Table empty(session_);
    OpenTable(empty, "INTERNET.DB");
    EXPECT_TRUE(empty.Eof());
    Field* g = empty.FindField("gruppenindex");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->AsInteger(), 0);
    EXPECT_EQ(g->AsString(), "");
    EXPECT_EQ(g->AsFloat(), 0.0);
    EXPECT_FALSE(g->AsBoolean());
    // Editing an empty table inserts a record.
    ASSERT_TRUE(empty.Edit().ok());
    EXPECT_EQ(empty.GetState(), Table::State::kInsert);
    ASSERT_TRUE(g->SetInteger(7).ok());
    ASSERT_TRUE(empty.Post().ok());
    EXPECT_EQ(empty.RecordCount(), 1u);
    EXPECT_EQ(g->AsInteger(), 7);

    Table none(session_);
    none.SetDatabaseName(dir_.path());
    none.SetTableName("Gruppen.db");
    EXPECT_TRUE(none.Open().IsNotFound());
}

TEST_F(DbTable, FilterHidesRecordsFromMovesAndLookups) {
    Table t(session_);
    OpenTable(t, "Intraday.db");
    t.SetOnFilterRecord([](Table& table) { return table.FindField("Nr")->AsInteger() % 2 == 1; });
    ASSERT_TRUE(t.SetFiltered(true).ok());
    EXPECT_EQ(t.FindField("Nr")->AsInteger(), 1);
    bool found;
    ASSERT_TRUE(t.FindKey({int64_t(3), int64_t(4)}, &found).ok());
    EXPECT_FALSE(found);
    EXPECT_EQ(t.FindField("Nr")->AsInteger(), 1);  // not moved
    ASSERT_TRUE(t.FindKey({int64_t(3)}, &found).ok());  // fewer values than key fields
    EXPECT_TRUE(found);
    EXPECT_EQ(t.FindField("Firma")->AsInteger(), 3);
    EXPECT_EQ(t.FindField("Nr")->AsInteger(), 1);
    ASSERT_TRUE(t.FindNearest({int64_t(2)}).ok());
    EXPECT_EQ(t.FindField("Firma")->AsInteger(), 3);
    ASSERT_TRUE(t.Last().ok());
    EXPECT_EQ(t.FindField("Nr")->AsInteger(), 99);
    ASSERT_TRUE(t.Prior().ok());
    EXPECT_EQ(t.FindField("Nr")->AsInteger(), 97);
    ASSERT_TRUE(t.SetFiltered(false).ok());
    ASSERT_TRUE(t.FindKey({int64_t(3), int64_t(4)}, &found).ok());
    EXPECT_TRUE(found);
}

TEST_F(DbTable, MasterLinkShowsTheMastersRowsAndFollowsIt) {
    Table master(session_);
    OpenTable(master, "firma.db");
    zelvon::db::DataLink source;
    source.SetDataSet(&master);
    int changes = 0;
    zelvon::db::DataLink watcher;
    watcher.SetDataSet(&master);
    watcher.SetOnDataChange([&] { ++changes; });

    Table detail(session_);
    ASSERT_TRUE(detail.SetMasterSource(&source).ok());
    ASSERT_TRUE(detail.SetMasterFields("firma").ok());
    OpenTable(detail, "intraday.db");
    EXPECT_EQ(detail.RecordCount(), 100u);
    EXPECT_EQ(detail.FindField("Firma")->AsInteger(), 1);
    int rows = 0;
    for (; !detail.Eof(); detail.Next()) ++rows;
    EXPECT_EQ(rows, 100);

    ASSERT_TRUE(master.Next().ok());  // firm 2 has no rows
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(detail.Eof());
    EXPECT_EQ(detail.RecordCount(), 0u);
    ASSERT_TRUE(master.Next().ok());
    EXPECT_EQ(detail.RecordCount(), 100u);
    EXPECT_EQ(detail.FindField("Firma")->AsInteger(), 3);
    ASSERT_TRUE(detail.Last().ok());
    EXPECT_EQ(detail.FindField("Nr")->AsInteger(), 99);
    EXPECT_DOUBLE_EQ(detail.FindField("Kurs")->AsFloat(), 199 / 4.0);
}

TEST_F(DbTable, SecondaryIndexByNameGivesItsOrder) {
    Table t(session_);
    OpenTable(t, "Customer.db", "CITY");
    std::string previous;
    for (; !t.Eof(); t.Next()) {
        std::string city = t.FindField("City")->AsString();
        EXPECT_LE(previous, city);
        previous = city;
    }
    bool found;
    ASSERT_TRUE(t.FindKey({std::string("Aptos")}, &found).ok());
    EXPECT_TRUE(found);
    EXPECT_EQ(t.FindField("city")->AsString(), "Aptos");
    Table bad(session_);
    bad.SetDatabaseName(dir_.path());
    bad.SetTableName("CUSTOMER.DB");
    ASSERT_TRUE(bad.SetIndexName("IFirma").ok());
    zelvon::db::Status s = bad.Open();
    EXPECT_EQ(s.message(), "Index 'IFirma' nicht gefunden in CUSTOMER.DB");
}

TEST_F(DbTable, PasswordEventMayAddOneAndRetry) {
    EXPECT_EQ(session_.passwords(), std::vector<std::string>{"SilverMoose"});
    std::vector<std::string> answers = {"falsch", "123"};
    int asked = 0;
    session_.SetPasswordHandler([&](Session& s, bool& retry) {
        std::string answer = asked < int(answers.size()) ? answers[size_t(asked)] : "";
        ++asked;
        s.AddPassword(answer);
        retry = !answer.empty();
    });
    Table t(session_);
    OpenTable(t, "ENCRYPTED.DB");
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(t.FindField("Text")->AsString(), "Value 1");

    Session other;
    other.SetPasswordHandler([](Session&, bool& retry) { retry = false; });
    Table refused(other);
    refused.SetDatabaseName(dir_.path());
    refused.SetTableName("encrypted.db");
    EXPECT_TRUE(refused.Open().IsPermissionDenied());
}

TEST_F(DbTable, EditPostAppendCancelAndDeleteThroughTheTableObject) {
    Table t(session_);
    OpenTable(t, "customer.db");
    uint64_t count = t.RecordCount();
    Field* name = t.FindField("LastName");
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(t.Edit().ok());
    ASSERT_TRUE(name->SetString("Zelvon Testkunde").ok());
    ASSERT_TRUE(t.Post().ok());
    EXPECT_EQ(name->AsString(), "Zelvon Testkunde");
    EXPECT_EQ(t.RecordCount(), count);

    EXPECT_FALSE(name->SetString("nicht im Bearbeitungsmodus").ok());
    EXPECT_TRUE(t.Edit().ok());
    zelvon::db::Status too_long = name->SetString(std::string(200, 'x'));
    EXPECT_FALSE(too_long.ok());
    EXPECT_NE(too_long.message().find("LastName"), std::string::npos);
    ASSERT_TRUE(t.Cancel().ok());
    EXPECT_EQ(name->AsString(), "Zelvon Testkunde");

    ASSERT_TRUE(t.Append().ok());
    ASSERT_TRUE(t.FindField("CustNo")->SetInteger(9999).ok());
    ASSERT_TRUE(name->SetString("Neu").ok());
    ASSERT_TRUE(t.FindField("Comments")->SetString(std::string(3000, 'm')).ok());
    ASSERT_TRUE(t.Post().ok());
    EXPECT_EQ(t.RecordCount(), count + 1);
    EXPECT_EQ(t.FindField("Comments")->AsString(), std::string(3000, 'm'));
    ASSERT_TRUE(t.Last().ok());
    EXPECT_EQ(t.FindField("CustNo")->AsInteger(), 9999);

    ASSERT_TRUE(t.Append().ok());
    ASSERT_TRUE(t.FindField("CustNo")->SetInteger(9999).ok());
    EXPECT_FALSE(t.Post().ok());
    ASSERT_TRUE(t.Cancel().ok());

    ASSERT_TRUE(t.Delete().ok());
    EXPECT_EQ(t.RecordCount(), count);
}

TEST_F(DbTable, CreateAndDeleteTable) {
    Table t(session_);
    t.SetDatabaseName(dir_.path());
    t.SetTableName("Internet.db");
    ASSERT_TRUE(t.CreateTable({{"GruppenIndex", paradox::FieldType::kLong, 0, true},
                               {"QuelleIndex", paradox::FieldType::kLong, 0, true},
                               {"BoerseIndex", paradox::FieldType::kLong, 0, true}}).ok());
    ASSERT_TRUE(t.Open().ok());
    ASSERT_TRUE(t.Append().ok());
    ASSERT_TRUE(t.FindField("BoerseIndex")->SetInteger(3).ok());
    ASSERT_TRUE(t.Post().ok());
    EXPECT_EQ(t.RecordCount(), 1u);
    ASSERT_TRUE(t.DeleteTable().ok());
    EXPECT_TRUE(paradox::FindIgnoringCase(dir_.path(), "Internet.db").empty());
}

}  // namespace

// A batch of posts on a detail: each post is in the file at once for another
// table object, a refused post in the middle leaves the rows before it, and
// a row another object posts meanwhile is seen by the next post.
TEST_F(DbTable, PostsOfABatchAreSeenAtOnceAndStayAfterARefusedOne) {
    Table firma(session_), intraday(session_);
    OpenTable(firma, "Firma.db");
    bool found = false;
    ASSERT_TRUE(firma.FindKey({int64_t(3)}, &found).ok() && found);
    zelvon::db::DataLink master;
    master.SetDataSet(&firma);
    ASSERT_TRUE(intraday.SetMasterSource(&master).ok());
    ASSERT_TRUE(intraday.SetMasterFields("Firma").ok());
    OpenTable(intraday, "Intraday.db");
    intraday.StartBatch();
    auto post = [&](Table& t, int64_t nr) {
        EXPECT_TRUE(t.Append().ok());
        EXPECT_TRUE(t.FindField("Firma")->SetInteger(3).ok());
        EXPECT_TRUE(t.FindField("Nr")->SetInteger(nr).ok());
        EXPECT_TRUE(t.FindField("Kurs")->SetFloat(double(nr)).ok());
        return t.Post();
    };
    for (int64_t nr = 100; nr < 110; ++nr) ASSERT_TRUE(post(intraday, nr).ok()) << nr;
    EXPECT_EQ(intraday.RecordCount(), 110u);
    EXPECT_FALSE(post(intraday, 105).ok());
    ASSERT_TRUE(intraday.Cancel().ok());
    EXPECT_EQ(intraday.RecordCount(), 110u);
    ASSERT_TRUE(intraday.Last().ok());
    EXPECT_EQ(intraday.FindField("Nr")->AsInteger(), 109);

    Table other(session_);
    OpenTable(other, "Intraday.db");
    EXPECT_EQ(other.RecordCount(), 310u);
    ASSERT_TRUE(post(other, 200).ok());
    ASSERT_TRUE(post(intraday, 110).ok());
    EXPECT_EQ(intraday.RecordCount(), 112u);
    ASSERT_TRUE(intraday.FinishBatch().ok());
    ASSERT_TRUE(intraday.Last().ok());
    EXPECT_EQ(intraday.FindField("Nr")->AsInteger(), 200);
    intraday.Close();
    other.Close();
    Table again(session_);
    OpenTable(again, "Intraday.db");
    EXPECT_EQ(again.RecordCount(), 312u);
}
