// Tables of the kinds other programs leave: files that end inside their last
// block, secondary indexes of tables without a primary key, and a composite
// case-insensitive index over a text primary key. Each is read, checked,
// written and read back by pxlib.
#include <gtest/gtest.h>

extern "C" {
#include <paradox.h>
}

#include <sys/stat.h>

#include <filesystem>

#include "paradox/bytes.h"
#include "paradox/check.h"
#include "paradox/field_codec.h"
#include "paradox/field_encoder.h"
#include "paradox/index_create.h"
#include "paradox/secondary_index.h"
#include "paradox/table_copy.h"
#include "paradox/table_create.h"
#include "paradox/table_writer.h"
#include "pxlib_writer.h"
#include "table_reading.h"

namespace {

using paradox::FieldType;
using paradox_test::DumpLines;
using paradox_test::ReadBytes;
using paradox_test::TempDir;
using paradox_test::WriteBytes;

uint64_t Inode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? uint64_t(st.st_ino) : 0;
}

// Problems and warnings of the engine's check.
struct Findings {
    std::vector<std::string> problems, warnings;
};

Findings Check(const std::string& path) {
    Findings f;
    paradox::Status s = paradox::CheckTable(path, {}, &f.problems, &f.warnings);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return f;
}

void ExpectClean(const std::string& path, const std::string& when) {
    for (const auto& p : Check(path).problems) ADD_FAILURE() << when << ": " << p;
}

// Cuts the file so that it ends `extra` bytes before the end of the records
// its last block holds; returns the bytes removed.
size_t CutLastBlock(const std::string& path, size_t extra = 0) {
    std::vector<uint8_t> b = ReadBytes(path);
    size_t header = paradox::LoadLe16(&b[2]), block = size_t(b[5]) * 1024, blocks = paradox::LoadLe16(&b[0x0C]);
    size_t record = paradox::LoadLe16(&b[0]);
    size_t last = header + (blocks - 1) * block;
    size_t count = size_t(int(int16_t(paradox::LoadLe16(&b[last + 4]))) + int(record)) / record;
    size_t keep = last + 6 + count * record - extra;
    size_t removed = b.size() - keep;
    b.resize(keep);
    WriteBytes(path, b);
    return removed;
}

int PxlibRecordCount(const std::string& path) {
    pxdoc_t* doc = PX_new();
    int n = PX_open_file(doc, path.c_str()) == 0 ? PX_get_num_records(doc) : -1;
    if (n > 0) {
        std::vector<char> rec(size_t(PX_get_recordsize(doc)));
        for (int i = 0; i < n; ++i)
            if (!PX_get_record(doc, i, rec.data())) n = -2;
    }
    PX_close(doc);
    PX_delete(doc);
    return n;
}

// A record of Alpha fields with these texts.
std::vector<uint8_t> TextRecord(const paradox::Table& t, const std::vector<std::string>& texts) {
    std::vector<uint8_t> rec(t.header().record_size, 0);
    for (size_t i = 0; i < texts.size(); ++i) {
        paradox::Value v;
        v.is_null = texts[i].empty();
        v.text = texts[i];
        paradox::Status s = paradox::EncodeField(t.name(), t.fields()[i], v, t.text(), rec.data());
        EXPECT_TRUE(s.ok()) << s.ToString();
    }
    return rec;
}

std::unique_ptr<paradox::IndexOrder> OpenIndex(const std::string& table_path, const std::string& name,
                                               std::unique_ptr<paradox::Table>* table) {
    EXPECT_TRUE(paradox::Table::Open(table_path, {}, table).ok());
    std::unique_ptr<paradox::IndexOrder> order;
    paradox::Status s = paradox::IndexOrder::Open(**table, name, &order);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return order;
}

class ShortLastBlock : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(paradox_test::SamplesDir() + "/geog/County.DB")) GTEST_SKIP();
    }
    TempDir dir_;
};

TEST_F(ShortLastBlock, TableAndIndexEndingInsideTheirLastBlockAreReadCheckedAndWritten) {
    std::string county = paradox_test::CopySample("geog/County.DB", dir_);
    paradox_test::CopySample("geog/County.PX", dir_);
    ASSERT_GT(CutLastBlock(county), 0u);
    std::vector<std::string> want = DumpLines(paradox_test::SamplesDir() + "/geog/County.DB");
    EXPECT_EQ(DumpLines(county), want);
    Findings f = Check(county);
    EXPECT_TRUE(f.problems.empty()) << f.problems[0];
    ASSERT_EQ(f.warnings.size(), 1u);
    EXPECT_NE(f.warnings[0].find("County.DB"), std::string::npos) << f.warnings[0];
    EXPECT_EQ(PxlibRecordCount(county), int(want.size()));

    // Posts at both ends of the chain; the short block is written back whole.
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(county, {}, &w).ok());
    for (int key : {9999999, -5}) {
        paradox::RecordRef last;
        ASSERT_TRUE(w->table().ReadRecord(w->table().record_count() - 1, &last).ok());
        std::vector<uint8_t> rec(last.data, last.data + w->table().header().record_size);
        paradox::EncodeInt(key, rec.data(), 4);
        paradox::Status s = w->Insert(rec, nullptr);
        ASSERT_TRUE(s.ok()) << s.ToString();
    }
    w.reset();
    ExpectClean(county, "after two inserts");
    EXPECT_EQ(DumpLines(county).size(), want.size() + 2);
    EXPECT_EQ(PxlibRecordCount(county), int(want.size()) + 2);

    // A primary index whose only block is short.
    std::string general = paradox_test::CopySample("db/GENERAL.DB", dir_);
    std::string px = paradox_test::CopySample("db/GENERAL.PX", dir_);
    ASSERT_GT(CutLastBlock(px), 0u);
    f = Check(general);
    EXPECT_TRUE(f.problems.empty()) << f.problems[0];
    ASSERT_EQ(f.warnings.size(), 1u);
    EXPECT_NE(f.warnings[0].find("GENERAL.PX"), std::string::npos) << f.warnings[0];
    std::unique_ptr<paradox::Table> t;
    ASSERT_TRUE(paradox::Table::Open(general, {}, &t).ok());
    for (uint64_t r = 0; r < t->record_count(); ++r) {
        paradox::RecordRef rec;
        ASSERT_TRUE(t->ReadRecord(r, &rec).ok());
        std::vector<uint8_t> key(rec.data, rec.data + t->primary_key().width());
        uint64_t found;
        ASSERT_TRUE(t->LowerBound(key, 1, &found).ok());
        EXPECT_EQ(found, r);
    }
    ASSERT_TRUE(paradox::TableWriter::Open(general, {}, &w).ok());
    paradox::RecordRef first;
    ASSERT_TRUE(w->table().ReadRecord(0, &first).ok());
    std::vector<uint8_t> rec(first.data, first.data + w->table().header().record_size);
    paradox::EncodeInt(4444, rec.data(), 4);
    paradox::Status s = w->Insert(rec, nullptr);
    ASSERT_TRUE(s.ok()) << s.ToString();
    w.reset();
    f = Check(general);
    EXPECT_TRUE(f.problems.empty()) << f.problems[0];
    EXPECT_TRUE(f.warnings.empty()) << f.warnings[0];
    EXPECT_EQ(PxlibRecordCount(general), 4);
}

TEST_F(ShortLastBlock, RecordsOutsideTheFileAreStillRefused) {
    std::string county = paradox_test::CopySample("geog/County.DB", dir_);
    CutLastBlock(county, 1);
    std::unique_ptr<paradox::Table> t;
    paradox::Status s = paradox::Table::Open(county, {}, &t);
    ASSERT_TRUE(s.IsCorruption()) << s.ToString();
    EXPECT_NE(s.message().find("County.DB"), std::string::npos) << s.ToString();
    EXPECT_NE(s.message().find("past the end of the file"), std::string::npos) << s.ToString();
    std::unique_ptr<paradox::TableWriter> w;
    EXPECT_TRUE(paradox::TableWriter::Open(county, {}, &w).IsCorruption());

    // Without even the last block's header the block count itself is wrong.
    std::vector<uint8_t> b = ReadBytes(county);
    size_t header = paradox::LoadLe16(&b[2]), blocks = paradox::LoadLe16(&b[0x0C]);
    b.resize(header + (blocks - 1) * size_t(b[5]) * 1024 + 5);
    WriteBytes(county, b);
    s = paradox::Table::Open(county, {}, &t);
    ASSERT_TRUE(s.IsCorruption()) << s.ToString();
    EXPECT_NE(s.message().find("do not fit in the file"), std::string::npos) << s.ToString();
}

// Orte.DB without a primary key, small blocks, with a case-insensitive
// index on Name.
std::string CreatePlaces(const TempDir& dir) {
    std::string path = dir.File("Orte.DB");
    paradox::CreateOptions o;
    o.block_kib = 1;
    EXPECT_TRUE(paradox::CreateTable(path, {{"Name", FieldType::kAlpha, 12, false}, {"Ort", FieldType::kAlpha, 10, false}}, o).ok());
    std::unique_ptr<paradox::Table> t;
    EXPECT_TRUE(paradox::Table::Open(path, {}, &t).ok());
    std::string x;
    paradox::Status s = paradox::CreateSecondaryIndex(*t, {"IName", {"Name"}, true}, &x);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return path;
}

// The index order: folded names ascending, equal names in record order.
void ExpectPlacesOrder(const std::string& path, const std::string& when) {
    std::unique_ptr<paradox::Table> t;
    auto order = OpenIndex(path, "IName", &t);
    ASSERT_TRUE(order) << when;
    EXPECT_TRUE(order->read_from_file()) << when << ": " << order->mismatch();
    ASSERT_EQ(order->size(), t->record_count()) << when;
    for (uint64_t i = 1; i < order->size(); ++i) {
        int c = order->key().Compare(order->KeyAt(i - 1), order->KeyAt(i), 1);
        EXPECT_LE(c, 0) << when << ": entry " << i;
        if (c == 0) EXPECT_LT(order->RecordAt(i - 1), order->RecordAt(i)) << when << ": entry " << i;
    }
}

const char* const kNames[] = {"Berg", "berg", "Au", "AU", "Zell", "mark", "Mark", "Öd", "öd", "Ach"};

TEST(UnkeyedIndex, IndexOfATableWithoutKeyIsReadCheckedMaintainedAndCopied) {
    TempDir dir;
    std::string path = CreatePlaces(dir);
    std::string xg0 = dir.File("Orte.XG0");
    std::vector<paradox::SecondaryIndexInfo> indexes;
    std::unique_ptr<paradox::Table> t;
    ASSERT_TRUE(paradox::Table::Open(path, {}, &t).ok());
    ASSERT_TRUE(paradox::ListSecondaryIndexes(*t, &indexes).ok());
    ASSERT_EQ(indexes.size(), 1u);
    const paradox::FileHeader& x = indexes[0].header;
    ASSERT_EQ(x.fields.size(), 4u);
    EXPECT_EQ(x.fields[1].name, "Tup No");
    EXPECT_EQ(x.fields[2].name, "Blk Num");
    EXPECT_EQ(x.fields[3].name, "Tup Offset");
    EXPECT_EQ(x.key_fields, 3);
    EXPECT_EQ(x.file_type, paradox::FileType::kCompositeData);

    // Empty: open, check and copy.
    ExpectClean(path, "empty");
    ExpectPlacesOrder(path, "empty");
    paradox::CopyOptions copy_options;
    ASSERT_TRUE(paradox::CopyTable(path, dir.File("Leer.DB"), {}, copy_options).ok());
    ExpectClean(dir.File("Leer.DB"), "empty copy");

    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    for (int i = 0; i < 120; ++i) {
        paradox::Status s = w->Insert(TextRecord(w->table(), {kNames[i % 10], "Ort " + std::to_string(i)}), nullptr);
        ASSERT_TRUE(s.ok()) << s.ToString();
    }
    ExpectClean(path, "after inserts");
    ExpectPlacesOrder(path, "after inserts");
    for (uint64_t r : {uint64_t(0), uint64_t(57), uint64_t(100)}) ASSERT_TRUE(w->Delete(r).ok());
    uint64_t moved;
    ASSERT_TRUE(w->Update(10, TextRecord(w->table(), {"aaa", "neu"}), &moved).ok());
    ExpectClean(path, "after deletes and an update");
    ExpectPlacesOrder(path, "after deletes and an update");

    // pxlib reads the index file as the table it is: folded names first,
    // then the record number counted from 1.
    std::unique_ptr<paradox::Table> table;
    auto order = OpenIndex(path, "IName", &table);
    pxdoc_t* doc = PX_new();
    ASSERT_EQ(PX_open_file(doc, xg0.c_str()), 0);
    EXPECT_EQ(PX_get_num_records(doc), int(table->record_count()));
    std::vector<char> rec(size_t(PX_get_recordsize(doc)));
    ASSERT_NE(PX_get_record(doc, 0, rec.data()), nullptr);
    char* name = nullptr;
    PX_get_data_alpha(doc, rec.data(), 12, &name);
    EXPECT_STREQ(name, "AAA");
    long tup_no = 0;
    EXPECT_GT(PX_get_data_long(doc, rec.data() + 12, 4, &tup_no), 0);
    EXPECT_EQ(uint64_t(tup_no), order->RecordAt(0) + 1);
    PX_close(doc);
    PX_delete(doc);

    std::string copy = dir.File("Kopie.DB");
    copy_options.shuffle = true;
    ASSERT_TRUE(paradox::CopyTable(path, copy, {}, copy_options).ok());
    ExpectClean(copy, "copy");
    ExpectPlacesOrder(copy, "copy");

    // An index left over from before a delete no longer matches.
    std::vector<uint8_t> old_x = ReadBytes(xg0), old_y = ReadBytes(dir.File("Orte.YG0"));
    ASSERT_TRUE(w->Delete(5).ok());
    WriteBytes(xg0, old_x);
    WriteBytes(dir.File("Orte.YG0"), old_y);
    Findings f = Check(path);
    ASSERT_EQ(f.problems.size(), 1u);
    EXPECT_NE(f.problems[0].find("does not match the table"), std::string::npos) << f.problems[0];
    ASSERT_TRUE(w->Insert(TextRecord(w->table(), {"Berg", "wieder"}), nullptr).ok());
    ExpectClean(path, "after the next post");
}

TEST(FoldedKeyIndex, CompositeCaseInsensitiveIndexOverATextKeyChecksCleanAndIsKeptInPlace) {
    TempDir dir;
    std::string path = dir.File("Vorwahl.DB");
    paradox::CreateOptions o;
    o.key_fields = 1;
    o.block_kib = 1;
    o.sort_order = 76;
    o.sort_order_name = "DBWINUS0";
    ASSERT_TRUE(paradox::CreateTable(path,
                                     {{"AC", FieldType::kAlpha, 3, true},
                                      {"State", FieldType::kAlpha, 2, false},
                                      {"City", FieldType::kAlpha, 16, false}},
                                     o)
                    .ok());
    const char* const states[] = {"ca", "CA", "Ny", "nj", "TX", "tx", "Wa"};
    {
        std::unique_ptr<paradox::TableWriter> w;
        ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
        for (int i = 0; i < 90; ++i) {
            // Codes that differ only in letter case ("a1b", "A1B") are distinct keys.
            std::string ac = std::string(1, char((i % 2 ? 'a' : 'A') + i / 30)) + std::to_string(i % 10) +
                             std::string(1, char((i % 3 ? 'b' : 'B') + (i / 10) % 3));
            paradox::Status s = w->Insert(TextRecord(w->table(), {ac, states[i % 7], "City " + std::to_string(i)}), nullptr);
            ASSERT_TRUE(s.ok()) << ac << ": " << s.ToString();
        }
    }
    std::unique_ptr<paradox::Table> t;
    ASSERT_TRUE(paradox::Table::Open(path, {}, &t).ok());
    std::string x;
    ASSERT_TRUE(paradox::CreateSecondaryIndex(*t, {"StateAC", {"State", "AC"}, true}, &x).ok());
    ExpectClean(path, "created");
    auto order = OpenIndex(path, "StateAC", &t);
    EXPECT_TRUE(order->read_from_file()) << order->mismatch();

    uint64_t x_inode = Inode(x), y_inode = Inode(dir.File("Vorwahl.YG0"));
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    // "A0B" exists; "A0b" and "a0B" are other keys with the same index entry.
    for (const char* ac : {"A0b", "zz9", "a0B"}) {
        paradox::Status s = w->Insert(TextRecord(w->table(), {ac, "ca", "Neu"}), nullptr);
        ASSERT_TRUE(s.ok()) << ac << ": " << s.ToString();
    }
    ASSERT_TRUE(w->Delete(3).ok());
    w.reset();
    ExpectClean(path, "after posts");
    EXPECT_EQ(Inode(x), x_inode);
    EXPECT_EQ(Inode(dir.File("Vorwahl.YG0")), y_inode);
    order = OpenIndex(path, "StateAC", &t);
    EXPECT_TRUE(order->read_from_file()) << order->mismatch();
    EXPECT_EQ(PxlibRecordCount(path), 92);
    EXPECT_EQ(PxlibRecordCount(x), 92);
}

}  // namespace

namespace {

// BDE leaves index stamps that differ from the table's (CUSTOMER: .PX 26 and
// .X06 26 for table 7, .Y06 10 for .X06 246); the indexes still match, so a
// post changes them in place instead of rebuilding them, also when their
// files end inside the last block.
TEST(SuiteIndexes, IndexesWithOtherStampsThatStillMatchAreKeptInPlace) {
    if (!std::filesystem::exists(paradox_test::SamplesDir() + "/db/CUSTOMER.DB")) GTEST_SKIP();
    TempDir dir;
    std::string path = paradox_test::CopySample("db/CUSTOMER.DB", dir);
    for (const char* ext : {"MB", "PX", "X06", "Y06"}) paradox_test::CopySample(std::string("db/CUSTOMER.") + ext, dir);
    std::vector<std::string> family = {dir.File("CUSTOMER.PX"), dir.File("CUSTOMER.X06"), dir.File("CUSTOMER.Y06")};
    // Index files ending inside their last block are taken as they are.
    for (const std::string& f : family) CutLastBlock(f);
    Findings found = Check(path);
    EXPECT_TRUE(found.problems.empty()) << found.problems[0];
    EXPECT_FALSE(found.warnings.empty());
    std::vector<uint64_t> inodes;
    for (const std::string& f : family) inodes.push_back(Inode(f));
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    int city = w->table().FindField("City");
    ASSERT_GE(city, 0);
    paradox::RecordRef first;
    ASSERT_TRUE(w->table().ReadRecord(0, &first).ok());
    std::vector<uint8_t> rec(first.data, first.data + w->table().header().record_size);
    paradox::Value v;
    v.is_null = false;
    v.text = "Aachen";
    const paradox::FieldInfo& f = w->table().fields()[size_t(city)];
    ASSERT_TRUE(paradox::EncodeField(w->table().name(), f, v, w->table().text(), rec.data()).ok());
    uint64_t moved;
    paradox::Status s = w->Update(0, rec, &moved);
    ASSERT_TRUE(s.ok()) << s.ToString();
    w.reset();
    for (size_t i = 0; i < family.size(); ++i) EXPECT_EQ(Inode(family[i]), inodes[i]) << family[i];
    ExpectClean(path, "after the update");
    std::unique_ptr<paradox::Table> t;
    auto order = OpenIndex(path, "City", &t);
    ASSERT_TRUE(order->read_from_file()) << order->mismatch();
    paradox::RecordRef rec0;
    ASSERT_TRUE(t->ReadRecord(order->RecordAt(0), &rec0).ok());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec0.data + f.offset), 6), "Aachen");
    EXPECT_EQ(PxlibRecordCount(path), 20);
}

}  // namespace
