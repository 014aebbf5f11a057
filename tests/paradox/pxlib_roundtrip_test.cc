// Tables written by pxlib, with every type it can write, nulls and code page
// 1252 umlauts, read back with the values that went in.
#include <gtest/gtest.h>

extern "C" {
#include <paradox.h>
}

#include "paradox/date_time.h"
#include "paradox/dump.h"
#include "paradox/table.h"
#include "pxlib_writer.h"

namespace {

using paradox_test::PxField;

const std::vector<PxField> kAllTypes = {
    {"Name", pxfAlpha, 20},   {"Datum", pxfDate, 4},  {"Kurz", pxfShort, 2},      {"Lang", pxfLong, 4},
    {"Preis", pxfCurrency, 8}, {"Kurs", pxfNumber, 8}, {"Aktiv", pxfLogical, 1},   {"Uhr", pxfTime, 4},
    {"Zeit", pxfTimestamp, 8}, {"Nr", pxfAutoInc, 4},  {"Roh", pxfBytes, 6},
};

void FillAllTypes(void* d, char* rec, int64_t row) {
    auto* doc = static_cast<pxdoc_t*>(d);
    if (row == 1) return;  // an all-null record
    char name[32];
    std::snprintf(name, sizeof name, row == 0 ? "M\xFCller \xC4\xD6\xDC\xDF" : "Zeile %d", int(row));
    PX_put_data_alpha(doc, rec, 20, name);
    PX_put_data_long(doc, rec + 20, 4, int(paradox::DayFromCivil(2024, 1, 31) + row));
    PX_put_data_short(doc, rec + 24, 2, short(-5 + row));
    PX_put_data_long(doc, rec + 26, 4, int(-100000 * row));
    PX_put_data_double(doc, rec + 30, 8, 134.85 * double(row));
    PX_put_data_double(doc, rec + 38, 8, -1.387 + double(row));
    PX_put_data_byte(doc, rec + 46, 1, row % 2 ? 1 : 0);
    PX_put_data_long(doc, rec + 47, 4, int(3723456 + row));
    PX_put_data_double(doc, rec + 51, 8, double(paradox::DayFromCivil(2020, 2, 1)) * 86400000.0 + 3601001.0);
    PX_put_data_long(doc, rec + 59, 4, int(row + 1));
    char raw[6] = {1, 0, 2, 0, 3, 0};
    PX_put_data_bytes(doc, rec + 63, 6, raw);
}

TEST(PxlibRoundTrip, EveryWritableTypeReadsBack) {
    paradox_test::TempDir dir;
    std::string path = dir.File("Alle.db");
    ASSERT_TRUE(paradox_test::WritePxlibTable(path, kAllTypes, 0, 1252, 3, FillAllTypes));
    std::unique_ptr<paradox::Table> t;
    paradox::Status s = paradox::Table::Open(path, {}, &t);
    ASSERT_TRUE(s.ok()) << s.ToString();
    ASSERT_EQ(t->record_count(), 3u);
    EXPECT_EQ(t->header().code_page, 1252);
    std::vector<std::string> lines;
    for (uint64_t r = 0; r < 3; ++r) {
        paradox::RecordRef rec;
        ASSERT_TRUE(t->ReadRecord(r, &rec).ok());
        std::string line;
        ASSERT_TRUE(paradox::FormatRecord(*t, rec, &line).ok());
        lines.push_back(line);
    }
    EXPECT_EQ(lines[0],
              "Müller ÄÖÜß\t2024-01-31\t-5\t0\t0\t-1.387\tfalse\t01:02:03.456\t2020-02-01 01:00:01.001\t1\t6:010002000300");
    EXPECT_EQ(lines[1], "\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N");
    EXPECT_EQ(lines[2],
              "Zeile 2\t2024-02-02\t-3\t-200000\t269.7\t0.613\tfalse\t01:02:03.458\t2020-02-01 01:00:01.001\t3\t6:010002000300");
}

TEST(PxlibRoundTrip, KeyedTableSearchesWithoutPrimaryIndexFile) {
    paradox_test::TempDir dir;
    std::string path = dir.File("Keyed.db");
    const std::vector<PxField> fields = {{"Firma", pxfLong, 4}, {"Wert", pxfLong, 4}};
    ASSERT_TRUE(paradox_test::WritePxlibTable(path, fields, 1, 1252, 5000, [](void* d, char* rec, int64_t row) {
        PX_put_data_long(static_cast<pxdoc_t*>(d), rec, 4, int(row / 10));
        PX_put_data_long(static_cast<pxdoc_t*>(d), rec + 4, 4, int(row));
    }));
    std::unique_ptr<paradox::Table> t;
    ASSERT_TRUE(paradox::Table::Open(path, {}, &t).ok());
    ASSERT_TRUE(t->is_keyed());
    EXPECT_GT(t->chain().size(), 10u);
    std::vector<uint8_t> key(4);
    paradox::EncodeInt(123, key.data(), 4);
    uint64_t lo, hi;
    ASSERT_TRUE(t->LowerBound(key, 1, &lo).ok());
    ASSERT_TRUE(t->UpperBound(key, 1, &hi).ok());
    EXPECT_EQ(lo, 1230u);
    EXPECT_EQ(hi, 1240u);
    paradox::EncodeInt(999999, key.data(), 4);
    ASSERT_TRUE(t->LowerBound(key, 1, &lo).ok());
    EXPECT_EQ(lo, t->record_count());
}

}  // namespace
