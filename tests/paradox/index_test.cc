// Primary and secondary index order and lookups on the sample tables.
#include <gtest/gtest.h>

#include "paradox/check.h"
#include "paradox/dump.h"
#include "paradox/field_codec.h"
#include "paradox/secondary_index.h"
#include "pxlib_writer.h"

namespace {

using paradox_test::SamplesDir;

std::unique_ptr<paradox::Table> OpenSample(const std::string& rel) {
    std::unique_ptr<paradox::Table> t;
    paradox::Status s = paradox::Table::Open(SamplesDir() + "/" + rel, {}, &t);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return t;
}

std::string FieldText(const paradox::Table& t, uint64_t record_number, size_t field) {
    paradox::RecordRef rec;
    EXPECT_TRUE(t.ReadRecord(record_number, &rec).ok());
    paradox::Value v;
    EXPECT_TRUE(t.ReadValue(rec, field, &v).ok());
    return paradox::FormatValue(v);
}

TEST(Index, SecondaryOrderFromTheIndexFileEqualsSortedOrder) {
    auto t = OpenSample("db/CUSTOMER.DB");
    if (!t) GTEST_SKIP();
    std::unique_ptr<paradox::IndexOrder> order;
    ASSERT_TRUE(paradox::IndexOrder::Open(*t, "city", &order).ok());
    EXPECT_EQ(order->name(), "City");
    EXPECT_TRUE(order->read_from_file());
    ASSERT_EQ(order->size(), t->record_count());
    for (uint64_t i = 1; i < order->size(); ++i)
        EXPECT_LE(FieldText(*t, order->RecordAt(i - 1), 5), FieldText(*t, order->RecordAt(i), 5));
    std::unique_ptr<paradox::IndexOrder> missing;
    paradox::Status s = paradox::IndexOrder::Open(*t, "IFirma", &missing);
    EXPECT_TRUE(s.IsNotFound());
    EXPECT_NE(s.message().find("CUSTOMER.DB"), std::string::npos);
}

TEST(Index, CompositeIndexByNameAndPrimaryLookupThroughPx) {
    auto fk4 = OpenSample("joins/fk4.db");
    if (!fk4) GTEST_SKIP();
    std::unique_ptr<paradox::IndexOrder> order;
    ASSERT_TRUE(paradox::IndexOrder::Open(*fk4, "reference", &order).ok());
    EXPECT_EQ(order->key().field(0).name, "FK1");

    auto county = OpenSample("geog/County.DB");
    ASSERT_NE(county->primary_index(), nullptr);
    for (uint64_t r : {uint64_t(0), uint64_t(1000), county->record_count() - 1}) {
        paradox::RecordRef rec;
        ASSERT_TRUE(county->ReadRecord(r, &rec).ok());
        std::vector<uint8_t> key(rec.data, rec.data + county->primary_key().width());
        uint64_t found;
        ASSERT_TRUE(county->LowerBound(key, county->primary_key().field_count(), &found).ok());
        EXPECT_EQ(found, r);
    }
}

TEST(Index, CheckPassesOnSamplesAndFindsAStaleIndex) {
    if (!OpenSample("joins/C.DB")) GTEST_SKIP();
    std::vector<std::string> problems;
    for (const char* rel : {"db/CUSTOMER.DB", "db/ORDERS.DB", "geog/County.DB", "joins/C.DB", "joins/fk4.db"}) {
        ASSERT_TRUE(paradox::CheckTable(SamplesDir() + "/" + rel, {}, &problems).ok());
        EXPECT_TRUE(problems.empty()) << rel << ": " << problems[0];
    }
    paradox_test::TempDir dir;
    std::string db = paradox_test::CopySample("joins/C.DB", dir);
    paradox_test::CopySample("joins/C.PX", dir);
    // Another table's index beside it: right name, wrong content.
    std::vector<uint8_t> x = paradox_test::ReadBytes(SamplesDir() + "/joins/C.X03");
    paradox_test::WriteBytes(dir.File("C.X02"), x);
    ASSERT_TRUE(paradox::CheckTable(db, {}, &problems).ok());
    EXPECT_FALSE(problems.empty());
}

}  // namespace
