// Writing tables: copies of every sample through the write path, keyed
// inserts forcing block splits, updates and deletes checked after each step,
// key violations, encryption, created tables read by pxlib, deleting a table
// family, and refusals of values that do not fit.
#include <gtest/gtest.h>

extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <filesystem>
#include <random>

#include "paradox/check.h"
#include "paradox/dump.h"
#include "paradox/field_encoder.h"
#include "paradox/secondary_index.h"
#include "paradox/table_copy.h"
#include "paradox/table_create.h"
#include "paradox/table_writer.h"
#include "pxlib_writer.h"
#include "table_reading.h"

namespace {

using paradox::FieldType;
using paradox_test::DumpLines;
using paradox_test::Password;
using paradox_test::Problems;
using paradox_test::TempDir;

void ExpectClean(const std::string& path) {
    for (const auto& p : Problems(path)) ADD_FAILURE() << path << ": " << p;
}

const char* const kSamples[] = {
    "areas/STATES.DB", "db/CUSTOMER.DB", "db/DECIMAL.DB", "db/GENERAL.DB", "db/ORDERS.DB", "db/ROMAN8.db",
    "encrypt/encrypted.db", "fields/bcd.db", "fields/bytes.db", "fields/date35.db", "fields/date4.db",
    "fields/date5.db", "fields/fmemo.db", "fields/graphic240.db", "fields/logical.db", "fields/long.db",
    "fields/memo.db", "fields/ole.db", "fields/time.db", "fields/timestamp.db", "geog/County.DB", "joins/A.db",
    "joins/C.DB", "joins/fk1.db", "joins/fk4.db", "joins/primary.db", "joins/two.db",
};

TEST(CopyTest, ShuffledCopyOfEverySampleChecksCleanAndReadsEqual) {
    for (const char* sample : kSamples) {
        SCOPED_TRACE(sample);
        TempDir dir;
        std::string src = paradox_test::SamplesDir() + "/" + sample;
        std::string dst = dir.File(std::filesystem::path(sample).filename().string());
        paradox::CopyOptions options;
        options.shuffle = true;
        options.seed = 7;
        paradox::Status s = paradox::CopyTable(src, dst, Password(), options);
        ASSERT_TRUE(s.ok()) << s.ToString();
        ExpectClean(dst);
        std::vector<std::string> want = DumpLines(src), got = DumpLines(dst);
        std::unique_ptr<paradox::Table> t;
        ASSERT_TRUE(paradox::Table::Open(dst, Password(), &t).ok());
        if (!t->is_keyed()) {
            std::sort(want.begin(), want.end());
            std::sort(got.begin(), got.end());
        }
        EXPECT_EQ(want, got);
    }
}

// A keyed table with small blocks, so that a few hundred records need many.
std::string CreateKeyed(const TempDir& dir) {
    std::string path = dir.File("Kurse.DB");
    paradox::CreateOptions o;
    o.key_fields = 1;
    o.block_kib = 1;
    paradox::Status s = paradox::CreateTable(path, {{"Nr", FieldType::kLong, 0, true}, {"Name", FieldType::kAlpha, 40, false}}, o);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return path;
}

std::vector<uint8_t> Row(const paradox::Table& t, int64_t nr, const std::string& name) {
    std::vector<uint8_t> rec(t.header().record_size, 0);
    paradox::Value v;
    v.type = FieldType::kLong;
    v.is_null = false;
    v.integer = nr;
    EXPECT_TRUE(paradox::EncodeField(t.name(), t.fields()[0], v, t.text(), rec.data()).ok());
    paradox::Value text;
    text.is_null = name.empty();
    text.text = name;
    EXPECT_TRUE(paradox::EncodeField(t.name(), t.fields()[1], text, t.text(), rec.data()).ok());
    return rec;
}

std::vector<int64_t> Keys(const paradox::Table& t) {
    std::vector<int64_t> keys;
    for (uint64_t i = 0; i < t.record_count(); ++i) {
        paradox::RecordRef r;
        paradox::Value v;
        EXPECT_TRUE(t.ReadRecord(i, &r).ok());
        EXPECT_TRUE(t.ReadValue(r, 0, &v).ok());
        keys.push_back(v.integer);
    }
    return keys;
}

TEST(WriterTest, RandomKeyedInsertsSplitBlocksAndStayOrdered) {
    TempDir dir;
    std::string path = CreateKeyed(dir);
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    std::vector<int64_t> keys(600);
    std::iota(keys.begin(), keys.end(), 1);
    std::shuffle(keys.begin(), keys.end(), std::mt19937(3));
    for (size_t i = 0; i < keys.size(); ++i) {
        paradox::Status s = w->Insert(Row(w->table(), keys[i], "Aktie " + std::to_string(keys[i])), nullptr);
        ASSERT_TRUE(s.ok()) << s.ToString();
        if (i % 100 == 99) ExpectClean(path);
    }
    EXPECT_GT(w->table().chain().size(), 20u);
    std::vector<int64_t> sorted = keys;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(Keys(w->table()), sorted);
    for (int64_t k : {1, 300, 600}) {
        uint64_t n;
        std::vector<uint8_t> key = Row(w->table(), k, "");
        key.resize(4);
        ASSERT_TRUE(w->table().LowerBound(key, 1, &n).ok());
        EXPECT_EQ(n, uint64_t(k - 1));
    }
}

TEST(WriterTest, UpdatesAndDeletesKeepTheTableValid) {
    TempDir dir;
    std::string path = CreateKeyed(dir);
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    for (int64_t k = 1; k <= 200; ++k) ASSERT_TRUE(w->Insert(Row(w->table(), k * 10, "x"), nullptr).ok());
    uint64_t moved;
    ASSERT_TRUE(w->Update(0, Row(w->table(), 5000, "neu"), &moved).ok());
    EXPECT_EQ(moved, 199u);
    ASSERT_TRUE(w->Update(5, Row(w->table(), 70, "nur Name"), nullptr).ok());
    ExpectClean(path);
    for (int i = 0; i < 150; ++i) ASSERT_TRUE(w->Delete(uint64_t(i % 7) % w->table().record_count()).ok());
    ExpectClean(path);
    EXPECT_EQ(w->table().record_count(), 50u);
    while (w->table().record_count() > 0) ASSERT_TRUE(w->Delete(0).ok());
    ExpectClean(path);
    ASSERT_TRUE(w->Insert(Row(w->table(), 1, "wieder"), nullptr).ok());
    EXPECT_EQ(Keys(w->table()), std::vector<int64_t>{1});
}

TEST(WriterTest, KeyViolationLeavesTheFilesByteIdentical) {
    TempDir dir;
    std::string path = paradox_test::CopySample("db/ORDERS.DB", dir);
    std::string px = paradox_test::CopySample("db/ORDERS.PX", dir);
    std::vector<uint8_t> before = paradox_test::ReadBytes(path), px_before = paradox_test::ReadBytes(px);
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    paradox::RecordRef r;
    ASSERT_TRUE(w->table().ReadRecord(17, &r).ok());
    std::vector<uint8_t> dup(r.data, r.data + w->table().header().record_size);
    paradox::Status s = w->Insert(dup, nullptr);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("key violation"), std::string::npos) << s.message();
    EXPECT_EQ(paradox_test::ReadBytes(path), before);
    EXPECT_EQ(paradox_test::ReadBytes(px), px_before);
}

TEST(WriterTest, EncryptedTableIsWrittenEncrypted) {
    TempDir dir;
    std::string path = paradox_test::CopySample("encrypt/encrypted.db", dir);
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, Password(), &w).ok());
    std::vector<uint8_t> rec(w->table().header().record_size, 0);
    paradox::Value v;
    v.is_null = false;
    v.integer = 99;
    ASSERT_TRUE(paradox::EncodeField("t", w->table().fields()[0], v, w->table().text(), rec.data()).ok());
    v.text = "Geheimtext";
    ASSERT_TRUE(paradox::EncodeField("t", w->table().fields()[1], v, w->table().text(), rec.data()).ok());
    ASSERT_TRUE(w->Insert(rec, nullptr).ok());
    std::vector<uint8_t> bytes = paradox_test::ReadBytes(path);
    EXPECT_EQ(std::search(bytes.begin(), bytes.end(), v.text.begin(), v.text.end()), bytes.end());
    std::vector<std::string> lines = DumpLines(path);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines.back().find("Geheimtext"), std::string::npos);
    ExpectClean(path);
}

TEST(CreateTest, InternetTableOpensInPxlib) {
    TempDir dir;
    std::string path = dir.File("Internet.db");
    std::vector<paradox::FieldSpec> fields = {{"GruppenIndex", FieldType::kLong, 0, true},
                                              {"QuelleIndex", FieldType::kLong, 0, true},
                                              {"BoerseIndex", FieldType::kLong, 0, true}};
    ASSERT_TRUE(paradox::CreateTable(path, fields, {}).ok());
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    for (int i = 0; i < 3; ++i) {
        std::vector<uint8_t> rec(12, 0);
        for (int f = 0; f < 3; ++f) {
            paradox::Value v;
            v.is_null = false;
            v.integer = i * 10 + f;
            ASSERT_TRUE(paradox::EncodeField("Internet.db", w->table().fields()[size_t(f)], v, w->table().text(), rec.data()).ok());
        }
        ASSERT_TRUE(w->Insert(rec, nullptr).ok());
    }
    ExpectClean(path);
    pxdoc_t* doc = PX_new();
    ASSERT_EQ(PX_open_file(doc, path.c_str()), 0);
    EXPECT_EQ(PX_get_num_records(doc), 3);
    EXPECT_EQ(PX_get_num_fields(doc), 3);
    pxval_t** values = PX_retrieve_record(doc, 2);
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values[1]->value.lval, 21);
    for (int f = 0; f < 3; ++f) FREE_PXVAL(doc, values[f]);
    doc->free(doc, values);
    PX_close(doc);
    PX_delete(doc);
}

TEST(CreateTest, DeleteTableRemovesTheWholeFamilyInAnyLetterCase) {
    TempDir dir;
    for (const char* name : {"Firma.DB", "firma.px", "FIRMA.MB", "Firma.VAL", "Firma.X02", "Firma.Y02", "firma.XG0",
                             "Firma.YG0", "Firmen.DB", "Firma.txt"})
        paradox_test::WriteBytes(dir.File(name), {1});
    ASSERT_TRUE(paradox::DeleteTable(dir.File("FIRMA.db")).ok());
    std::vector<std::string> left = paradox::ListDirectory(dir.path());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Firma.txt", "Firmen.DB"}));
}

TEST(EncoderTest, RefusesValuesThatDoNotFitNamingTableAndField) {
    paradox::TextDecoder text("CP1252");
    paradox::FieldInfo alpha{"FirmenName", FieldType::kAlpha, 5, 5, 0};
    std::vector<uint8_t> rec(8, 0);
    paradox::Value v;
    v.is_null = false;
    v.text = "Müller AG";
    paradox::Status s = paradox::EncodeField("Firma.db", alpha, v, text, rec.data());
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("Firma.db"), std::string::npos);
    EXPECT_NE(s.message().find("FirmenName"), std::string::npos);
    v.text = "Müll";
    EXPECT_TRUE(paradox::EncodeField("Firma.db", alpha, v, text, rec.data()).ok());
    EXPECT_EQ(rec[1], 0xFC);
    paradox::FieldInfo shorty{"Stueck", FieldType::kShort, 2, 2, 0};
    v.integer = 40000;
    EXPECT_FALSE(paradox::EncodeField("Depot.db", shorty, v, text, rec.data()).ok());
    v.integer = -32767;
    EXPECT_TRUE(paradox::EncodeField("Depot.db", shorty, v, text, rec.data()).ok());
    paradox::FieldInfo number{"Kurs", FieldType::kNumber, 8, 8, 0};
    v.number = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(paradox::EncodeField("Intraday.db", number, v, text, rec.data()).ok());
}

// Every file of a sample table family copied into dir; returns the .DB.
std::string CopyFamily(const std::string& dir_name, const std::string& stem, const TempDir& dir) {
    std::string db;
    for (const std::string& f : paradox::ListDirectory(paradox_test::SamplesDir() + "/" + dir_name)) {
        if (!paradox::EqualsIgnoringCase(f.substr(0, f.rfind('.')), stem)) continue;
        std::string copy = paradox_test::CopySample(dir_name + "/" + f, dir);
        if (paradox::EqualsIgnoringCase(f.substr(f.rfind('.')), ".db")) db = copy;
    }
    return db;
}

TEST(WriterTest, SecondaryIndexesFollowAnEditAndADelete) {
    const std::pair<const char*, const char*> tables[] = {{"db", "CUSTOMER"}, {"joins", "C"}, {"joins", "fk4"}};
    for (const auto& [dir_name, stem] : tables) {
        SCOPED_TRACE(stem);
        TempDir dir;
        std::string path = CopyFamily(dir_name, stem, dir);
        std::unique_ptr<paradox::TableWriter> w;
        ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
        std::vector<paradox::SecondaryIndexInfo> indexes;
        ASSERT_TRUE(paradox::ListSecondaryIndexes(w->table(), &indexes).ok());
        ASSERT_FALSE(indexes.empty());
        const paradox::Table& t = w->table();
        size_t field = size_t(t.FindField(indexes[0].header.fields[0].name));
        paradox::RecordRef r;
        ASSERT_TRUE(t.ReadRecord(0, &r).ok());
        std::vector<uint8_t> rec(r.data, r.data + t.header().record_size);
        paradox::Value v;
        ASSERT_TRUE(t.ReadValue(r, field, &v).ok());
        if (v.type == FieldType::kAlpha) v.text = "ZZ";
        else v.integer += 1000;
        v.is_null = false;
        ASSERT_TRUE(paradox::EncodeField(t.name(), t.fields()[field], v, t.text(), rec.data()).ok());
        paradox::Status s = w->Update(0, rec, nullptr);
        ASSERT_TRUE(s.ok()) << s.ToString();
        ExpectClean(path);
        ASSERT_TRUE(w->Delete(w->table().record_count() - 1).ok());
        ExpectClean(path);
        for (const auto& info : indexes) {
            std::unique_ptr<paradox::IndexOrder> order;
            ASSERT_TRUE(paradox::IndexOrder::Build(w->table(), info, &order).ok());
            EXPECT_TRUE(order->read_from_file()) << info.name;
        }
    }
}

TEST(WriterTest, CorruptTableIsAnErrorNotACrash) {
    TempDir dir;
    std::string path = paradox_test::CopySample("db/ORDERS.DB", dir);
    std::vector<uint8_t> bytes = paradox_test::ReadBytes(path);
    bytes[0x0C] = 0xFF;  // more blocks than the file holds
    paradox_test::WriteBytes(path, bytes);
    std::unique_ptr<paradox::TableWriter> w;
    EXPECT_FALSE(paradox::TableWriter::Open(path, {}, &w).ok());
}

}  // namespace

TEST(EncodeTest, TextTheCodePageCannotHoldIsRefusedNotReplaced) {
    TempDir dir;
    std::unique_ptr<paradox::Table> t;
    ASSERT_TRUE(paradox::Table::Open(CreateKeyed(dir), {}, &t).ok());
    std::vector<uint8_t> rec(t->header().record_size, 0);
    paradox::Value text;
    text.is_null = false;
    text.text = "Müller Größe €";
    EXPECT_TRUE(paradox::EncodeField(t->name(), t->fields()[1], text, t->text(), rec.data()).ok());

    text.text = "Győr Kft.";
    paradox::Status s = paradox::EncodeField(t->name(), t->fields()[1], text, t->text(), rec.data());
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("Name"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("code page"), std::string::npos) << s.message();
}
