// Keeping a table and all its indexes in step post by post: random inserts
// that split blocks, updates of key, indexed and plain fields, deletes and
// memo writes, each followed by the engine's check, our reader and pxlib
// against a model; indexes changed in place; out-of-date indexes found and
// repaired; a second writer's posts seen; edits of every sample table.
#include <gtest/gtest.h>

extern "C" {
#include <paradox.h>
}

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <random>

#include "paradox/blob_writer.h"
#include "paradox/check.h"
#include "paradox/dump.h"
#include "paradox/field_encoder.h"
#include "paradox/index_create.h"
#include "paradox/secondary_index.h"
#include "paradox/table_create.h"
#include "paradox/table_writer.h"
#include "pxlib_writer.h"

namespace {

using paradox::FieldType;
using paradox_test::TempDir;

struct Quote {
    std::string name, wkn, memo;
    double kurs = 0;
    bool operator==(const Quote&) const = default;
};
using Model = std::map<int64_t, Quote>;

uint64_t Inode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? uint64_t(st.st_ino) : 0;
}

void ExpectClean(const std::string& path, const std::string& when) {
    std::vector<std::string> problems;
    paradox::Status s = paradox::CheckTable(path, {}, &problems);
    ASSERT_TRUE(s.ok()) << when << ": " << s.ToString();
    for (const auto& p : problems) ADD_FAILURE() << when << ": " << p;
}

// Kurse.DB keyed on Nr, small blocks so that a few hundred records need many,
// with a case-insensitive index on Name and one on WKN.
std::string CreateQuotes(const TempDir& dir) {
    std::string path = dir.File("Kurse.DB");
    paradox::CreateOptions o;
    o.key_fields = 1;
    o.block_kib = 1;
    paradox::Status s = paradox::CreateTable(path,
                                             {{"Nr", FieldType::kLong, 0, true},
                                              {"Name", FieldType::kAlpha, 24, false},
                                              {"WKN", FieldType::kAlpha, 6, false},
                                              {"Kurs", FieldType::kNumber, 0, false},
                                              {"Notiz", FieldType::kMemo, 12, false}},
                                             o);
    EXPECT_TRUE(s.ok()) << s.ToString();
    std::unique_ptr<paradox::Table> t;
    EXPECT_TRUE(paradox::Table::Open(path, {}, &t).ok());
    std::string x;
    EXPECT_TRUE(paradox::CreateSecondaryIndex(*t, {"IName", {"Name"}, true}, &x).ok());
    EXPECT_TRUE(paradox::CreateSecondaryIndex(*t, {"IWKN", {"WKN"}, false}, &x).ok());
    return path;
}

class QuoteRows {
public:
    explicit QuoteRows(const paradox::TableWriter& w, const std::string& mb) : w_(w) {
        EXPECT_TRUE(paradox::BlobWriter::Open(mb, 0, &blobs_).ok());
    }

    std::vector<uint8_t> Encode(int64_t nr, const Quote& q) {
        const paradox::Table& t = w_.table();
        std::vector<uint8_t> rec(t.header().record_size, 0);
        paradox::Value v;
        v.is_null = false;
        v.integer = nr;
        Put(0, v, &rec);
        v.text = q.name;
        Put(1, v, &rec);
        v.text = q.wkn;
        Put(2, v, &rec);
        v.number = q.kurs;
        Put(3, v, &rec);
        v.type = FieldType::kMemo;
        v.text = q.memo;
        Put(4, v, &rec);
        const paradox::FieldInfo& memo = t.fields()[4];
        if (paradox::NeedsBlobFile(memo, q.memo.size())) {
            paradox::BlobDescriptor d;
            d.leader_size = memo.width - 10;
            EXPECT_TRUE(blobs_->Append(std::vector<uint8_t>(q.memo.begin(), q.memo.end()), &d).ok());
            paradox::StoreBlobDescriptor(memo, d, rec.data());
        }
        return rec;
    }

private:
    void Put(size_t field, const paradox::Value& v, std::vector<uint8_t>* rec) {
        const paradox::Table& t = w_.table();
        paradox::Status s = paradox::EncodeField(t.name(), t.fields()[field], v, t.text(), rec->data());
        EXPECT_TRUE(s.ok()) << s.ToString();
    }
    const paradox::TableWriter& w_;
    std::unique_ptr<paradox::BlobWriter> blobs_;
};

Model ReadWithEngine(const std::string& path) {
    std::unique_ptr<paradox::Table> t;
    EXPECT_TRUE(paradox::Table::Open(path, {}, &t).ok());
    Model m;
    for (uint64_t i = 0; t && i < t->record_count(); ++i) {
        paradox::RecordRef r;
        EXPECT_TRUE(t->ReadRecord(i, &r).ok());
        paradox::Value v[5];
        for (size_t f = 0; f < 5; ++f) EXPECT_TRUE(t->ReadValue(r, f, &v[f]).ok());
        m[v[0].integer] = Quote{v[1].text, v[2].text, std::string(v[4].bytes.begin(), v[4].bytes.end()), v[3].number};
    }
    return m;
}

// pxlib reads the data file on its own (it ignores the indexes; memos are
// checked through our reader only).
void ExpectPxlibReads(const std::string& path, const Model& model, const std::string& when) {
    pxdoc_t* doc = PX_new();
    ASSERT_EQ(PX_open_file(doc, path.c_str()), 0) << when;
    ASSERT_EQ(PX_get_num_records(doc), int(model.size())) << when;
    std::vector<char> rec(size_t(PX_get_recordsize(doc)));
    auto it = model.begin();
    for (int i = 0; i < int(model.size()); ++i, ++it) {
        ASSERT_NE(PX_get_record(doc, i, rec.data()), nullptr) << when;
        long nr = 0;
        char* name = nullptr;
        double kurs = 0;
        EXPECT_GT(PX_get_data_long(doc, rec.data(), 4, &nr), 0) << when;
        PX_get_data_alpha(doc, rec.data() + 4, 24, &name);
        EXPECT_GT(PX_get_data_double(doc, rec.data() + 34, 8, &kurs), 0) << when;
        EXPECT_EQ(nr, it->first) << when;
        EXPECT_EQ(name ? std::string(name) : "", it->second.name) << when;
        EXPECT_DOUBLE_EQ(kurs, it->second.kurs) << when;
        if (name) doc->free(doc, name);
    }
    PX_close(doc);
    PX_delete(doc);
}

std::string RandomName(std::mt19937& random) {
    static const char* const kNames[] = {"Allianz", "basf", "BAYER", "Daimler", "eon", "Linde", "SAP", "siemens"};
    return std::string(kNames[random() % 8]) + " " + std::to_string(random() % 1000);
}

TEST(MaintenanceTest, RandomPostsKeepTableIndexesAndPxlibInStep) {
    TempDir dir;
    std::string path = CreateQuotes(dir);
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    QuoteRows rows(*w, dir.File("Kurse.MB"));
    std::mt19937 random(5);
    Model model;
    for (int step = 0; step < 700; ++step) {
        std::string when = "step " + std::to_string(step);
        int op = step < 250 ? 0 : int(random() % 4);
        paradox::Status s;
        if (op == 0 || model.empty()) {
            int64_t nr = int64_t(random() % 5000) + 1;
            Quote q{RandomName(random), "W" + std::to_string(random() % 99999), std::string(random() % 40, 'm'), double(random() % 900) / 4};
            s = w->Insert(rows.Encode(nr, q), nullptr);
            if (model.count(nr)) {
                EXPECT_NE(s.message().find("key violation"), std::string::npos) << when << ": " << s.ToString();
                continue;
            }
            model[nr] = q;
        } else {
            auto it = std::next(model.begin(), ptrdiff_t(random() % model.size()));
            uint64_t number = uint64_t(std::distance(model.begin(), it));
            if (op == 1) {
                s = w->Delete(number);
                model.erase(it);
            } else {
                Quote q = it->second;
                int64_t nr = it->first;
                if (op == 2) q.kurs += 1.25;                       // a plain field
                else if (random() % 2) q.name = RandomName(random);  // an indexed field
                else nr = int64_t(random() % 5000) + 5001;          // the key: the record moves
                q.memo = std::string(random() % 40, 'u');
                s = w->Update(number, rows.Encode(nr, q), nullptr);
                model.erase(it);
                model[nr] = q;
            }
        }
        ASSERT_TRUE(s.ok()) << when << ": " << s.ToString();
        ExpectClean(path, when);
        ASSERT_EQ(ReadWithEngine(path), model) << when;
        ExpectPxlibReads(path, model, when);
    }
    EXPECT_GT(w->table().chain().size(), 15u);
    std::vector<paradox::SecondaryIndexInfo> indexes;
    ASSERT_TRUE(paradox::ListSecondaryIndexes(w->table(), &indexes).ok());
    ASSERT_EQ(indexes.size(), 2u);
    std::unique_ptr<paradox::IndexOrder> by_name;
    ASSERT_TRUE(paradox::IndexOrder::Open(w->table(), "IName", &by_name).ok());
    EXPECT_TRUE(by_name->read_from_file());
    EXPECT_EQ(by_name->size(), model.size());
}

// Posts that neither empty an index block nor start the table change the
// index files where they are instead of writing new ones.
TEST(MaintenanceTest, PostsChangeIndexFilesInPlace) {
    TempDir dir;
    std::string path = CreateQuotes(dir);
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    QuoteRows rows(*w, dir.File("Kurse.MB"));
    ASSERT_TRUE(w->Insert(rows.Encode(1, Quote{"Erste", "A1", "", 1}), nullptr).ok());
    const std::vector<std::string> files = {dir.File("Kurse.PX"), dir.File("Kurse.XG0"), dir.File("Kurse.YG0"),
                                            dir.File("Kurse.XG1"), dir.File("Kurse.YG1")};
    std::vector<uint64_t> before;
    for (const auto& f : files) before.push_back(Inode(f));
    for (int64_t nr = 2; nr < 400; ++nr)
        ASSERT_TRUE(w->Insert(rows.Encode(nr * 7 % 1000 + 2, Quote{"Aktie " + std::to_string(nr), "B" + std::to_string(nr), "", 2}), nullptr).ok());
    for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(Inode(files[i]), before[i]) << files[i];
    ExpectClean(path, "after 400 posts");
}

// An index whose stamp no longer matches (a writer killed between the table
// header and the index) is rebuilt before the next change; a reader meanwhile
// still finds every key although the .PX is out of date.
TEST(MaintenanceTest, OutOfDateIndexesAreReadSafelyAndRepaired) {
    TempDir dir;
    std::string path = CreateQuotes(dir);
    std::vector<uint8_t> old_px;
    std::vector<int64_t> keys;
    {
        std::unique_ptr<paradox::TableWriter> w;
        ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
        QuoteRows rows(*w, dir.File("Kurse.MB"));
        for (int64_t nr = 1; nr <= 100; ++nr) {
            ASSERT_TRUE(w->Insert(rows.Encode(nr * 10, Quote{"A", "B", "", 1}), nullptr).ok());
            keys.push_back(nr * 10);
        }
        old_px = paradox_test::ReadBytes(dir.File("Kurse.PX"));
        for (int64_t nr = 1; nr <= 200; ++nr) {
            ASSERT_TRUE(w->Insert(rows.Encode(nr * 10 + 5, Quote{"C", "D", "", 2}), nullptr).ok());
            keys.push_back(nr * 10 + 5);
        }
    }
    paradox_test::WriteBytes(dir.File("Kurse.PX"), old_px);
    std::vector<uint8_t> x = paradox_test::ReadBytes(dir.File("Kurse.XG1"));
    x[0x2F] ^= 0x55;
    paradox_test::WriteBytes(dir.File("Kurse.XG1"), x);
    std::unique_ptr<paradox::Table> t;
    ASSERT_TRUE(paradox::Table::Open(path, {}, &t).ok());
    std::sort(keys.begin(), keys.end());
    for (int64_t k = 0; k <= 2010; k += 5) {
        std::vector<uint8_t> key(4);
        paradox::EncodeInt(k, key.data(), 4);
        uint64_t n;
        ASSERT_TRUE(t->LowerBound(key, 1, &n).ok());
        EXPECT_EQ(n, uint64_t(std::lower_bound(keys.begin(), keys.end(), k) - keys.begin())) << "key " << k;
    }
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    ExpectClean(path, "after reopening");
    EXPECT_NE(paradox_test::ReadBytes(dir.File("Kurse.PX")), old_px);
}

// Two writers on one table (as two programs would be): each sees the
// other's posts before its own.
TEST(MaintenanceTest, SecondWritersPostsAreSeen) {
    TempDir dir;
    std::string path = CreateQuotes(dir);
    std::unique_ptr<paradox::TableWriter> a, b;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &a).ok());
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &b).ok());
    QuoteRows rows_a(*a, dir.File("Kurse.MB")), rows_b(*b, dir.File("Kurse.MB"));
    Model model;
    for (int64_t nr = 1; nr <= 150; ++nr) {
        Quote q{"N" + std::to_string(nr), "W", std::string(size_t(nr % 30), 'x'), double(nr)};
        paradox::TableWriter& w = nr % 3 ? *a : *b;
        ASSERT_TRUE(w.Insert((nr % 3 ? rows_a : rows_b).Encode(nr * 37 % 1000, q), nullptr).ok()) << nr;
        model[nr * 37 % 1000] = q;
    }
    ASSERT_FALSE(b->Insert(rows_b.Encode(37, Quote{}), nullptr).ok());
    ASSERT_TRUE(a->Delete(0).ok());
    model.erase(model.begin());
    ASSERT_TRUE(b->Update(0, rows_b.Encode(model.begin()->first, Quote{"Neu", "W", "", 3}), nullptr).ok());
    model.begin()->second = Quote{"Neu", "W", "", 3};
    ExpectClean(path, "after both writers");
    EXPECT_EQ(ReadWithEngine(path), model);
}

}  // namespace
