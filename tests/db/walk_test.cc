// Walks over a table another process changes: the blocks a walk keeps in
// memory never hide a row posted before the walk started, and a table
// changed while a walk is under way gives an error or its new rows, never a
// mix of old and new blocks that reads as valid rows.
#include <gtest/gtest.h>

extern "C" {
#include <paradox.h>
}

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "db/table.h"
#include "paradox/field_codec.h"
#include "paradox/field_encoder.h"
#include "paradox/index_create.h"
#include "paradox/table_create.h"
#include "paradox/table_writer.h"
#include "pxlib_writer.h"

namespace {

using zelvon::db::Field;
using zelvon::db::Session;
using zelvon::db::Status;
using zelvon::db::Table;

constexpr int kRows = 3000;  // some 150 blocks of 2 KB

// Firma(key), FirmenName, with the case-insensitive name index IFirma.
std::string WriteFirmen(const paradox_test::TempDir& dir) {
    std::string path = dir.File("Firma.db");
    EXPECT_TRUE(paradox_test::WritePxlibTable(path, {{"Firma", pxfLong, 4}, {"FirmenName", pxfAlpha, 60}}, 1, 1252, kRows,
                                              [](void* d, char* rec, int64_t row) {
                                                  auto* doc = static_cast<pxdoc_t*>(d);
                                                  PX_put_data_long(doc, rec, 4, int(row * 2 + 2));
                                                  char name[32];
                                                  std::snprintf(name, sizeof name, "Firma %05d", int(row * 7919 % kRows));
                                                  PX_put_data_alpha(doc, rec + 4, 60, name);
                                              }));
    std::unique_ptr<paradox::Table> t;
    std::string x;
    EXPECT_TRUE(paradox::Table::Open(path, {}, &t).ok());
    EXPECT_TRUE(paradox::CreatePrimaryIndex(*t).ok());
    EXPECT_TRUE(paradox::CreateSecondaryIndex(*t, {"IFirma", {"FirmenName"}, true}, &x).ok());
    return path;
}

// Runs change in a child process and waits for it to succeed.
void InAnotherProcess(const std::function<bool()>& change) {
    pid_t child = fork();
    if (child == 0) _exit(change() ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

bool PostFirma(const std::string& path, int firma, const std::string& name) {
    std::unique_ptr<paradox::TableWriter> w;
    if (!paradox::TableWriter::Open(path, {}, &w).ok()) return false;
    const paradox::Table& t = w->table();
    std::vector<uint8_t> rec(t.header().record_size, 0);
    paradox::EncodeInt(firma, rec.data(), 4);
    paradox::Value v;
    v.is_null = false;
    v.text = name;
    return paradox::EncodeField(t.name(), t.fields()[1], v, t.text(), rec.data()).ok() && w->Insert(rec, nullptr).ok();
}

// Deleting every tenth record changes the record count of every block.
bool DeleteEveryTenth(const std::string& path) {
    std::unique_ptr<paradox::TableWriter> w;
    if (!paradox::TableWriter::Open(path, {}, &w).ok()) return false;
    for (int64_t r = kRows - 1; r >= 0; r -= 10)
        if (!w->Delete(uint64_t(r)).ok()) return false;
    return true;
}

std::vector<std::string> Walk(Table& t) {
    std::vector<std::string> names;
    Field name(nullptr, 0);
    EXPECT_TRUE(t.FieldByName("FirmenName", &name).ok());
    Status s = t.First();
    for (; s.ok() && !t.Eof(); s = t.Next()) names.push_back(name.AsString());
    EXPECT_TRUE(s.ok()) << s.ToString();
    return names;
}

TEST(TableWalk, AWalkSeesRowsAnotherProcessPostedBeforeItStarted) {
    paradox_test::TempDir dir;
    std::string path = WriteFirmen(dir);
    Session session;
    for (const std::string index : {"", "IFirma"}) {
        Table t(session);
        t.SetDatabaseName(dir.path());
        t.SetTableName("firma.db");
        ASSERT_TRUE(t.SetIndexName(index).ok());
        ASSERT_TRUE(t.Open().ok());
        ASSERT_EQ(Walk(t).size(), size_t(kRows + (index.empty() ? 0 : 1)));
        // Each block is read at most once, and a walk over what is read reads nothing.
        const uint64_t reads = t.engine()->blocks().disk_reads();
        EXPECT_LE(reads, t.engine()->header().file_blocks);
        Walk(t);
        EXPECT_EQ(t.engine()->blocks().disk_reads(), reads);

        const std::string added = index.empty() ? "Neue Firma" : "Aaa Erste Firma";
        InAnotherProcess([&] { return PostFirma(path, index.empty() ? 3 : 5, added); });
        std::vector<std::string> names = Walk(t);
        ASSERT_EQ(names.size(), size_t(kRows + (index.empty() ? 1 : 2))) << "index '" << index << "'";
        // Primary key order puts Firma 3 second; the name order puts "Aaa" first.
        EXPECT_EQ(names[index.empty() ? 1 : 0], added);
        EXPECT_EQ(t.RecordCount(), names.size());
    }
}

TEST(TableWalk, AChangeUnderAnOpenWalkGivesAnErrorOrTheNewRowsNeverAMix) {
    // The whole table in memory, or a cache far smaller than the table.
    for (size_t cache : {paradox::BlockFile::kDefaultCacheBytes, size_t(0)}) {
        paradox_test::TempDir dir;
        std::string path = WriteFirmen(dir);
        paradox::OpenOptions options;
        options.cache_bytes = cache;
        std::unique_ptr<paradox::Table> t;
        ASSERT_TRUE(paradox::Table::Open(path, options, &t).ok());
        const size_t width = t->header().record_size;
        std::vector<std::vector<uint8_t>> before;
        {
            std::unique_ptr<paradox::Table> reference;
            ASSERT_TRUE(paradox::Table::Open(path, {}, &reference).ok());
            for (uint64_t n = 0; n < reference->record_count(); ++n) {
                paradox::RecordRef old;
                ASSERT_TRUE(reference->ReadRecord(n, &old).ok());
                before.emplace_back(old.data, old.data + width);
            }
        }
        paradox::RecordRef r;
        for (uint64_t n = 0; n < 10; ++n) ASSERT_TRUE(t->ReadRecord(n, &r).ok());
        ASSERT_GT(t->chain().size(), 3 * size_t(paradox::BlockFile::kRunBlocks));

        InAnotherProcess([&] { return DeleteEveryTenth(path); });
        std::unique_ptr<paradox::Table> after;
        ASSERT_TRUE(paradox::Table::Open(path, {}, &after).ok());
        bool current = true;
        ASSERT_TRUE(t->CheckCurrent(&current).ok());
        EXPECT_FALSE(current);

        // Every record read must be the one the walk's own chain promises
        // (the table as it was), or the walk ends with an error.
        paradox::Status s;
        for (uint64_t n = 0; n < t->record_count(); ++n) {
            s = t->ReadRecord(n, &r);
            if (!s.ok()) break;
            ASSERT_EQ(std::vector<uint8_t>(r.data, r.data + width), before[n])
                << "record " << n << " with a cache of " << cache << " bytes";
        }
        if (cache == 0) {
            EXPECT_TRUE(s.IsCorruption()) << s.ToString();
            EXPECT_NE(s.message().find("changed while the table was open"), std::string::npos) << s.message();
            EXPECT_LE(t->blocks().cached_bytes(), size_t(paradox::BlockFile::kRunBlocks) * t->header().block_size);
        } else {
            EXPECT_TRUE(s.ok()) << s.ToString();
        }
        EXPECT_EQ(after->record_count(), uint64_t(kRows - kRows / 10));
    }
}

TEST(TableWalk, TheTableObjectReadsAChangedTableAgainAtTheNextWalk) {
    paradox_test::TempDir dir;
    std::string path = WriteFirmen(dir);
    Session session;
    Table t(session);
    t.SetDatabaseName(dir.path());
    t.SetTableName("Firma.db");
    ASSERT_TRUE(t.SetIndexName("IFirma").ok());
    ASSERT_TRUE(t.Open().ok());
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(t.Next().ok());
    InAnotherProcess([&] { return DeleteEveryTenth(path); });
    // The walk under way may go on or fail; the next one has the new rows.
    Status s;
    while (s.ok() && !t.Eof()) s = t.Next();
    std::vector<std::string> names = Walk(t);
    EXPECT_EQ(names.size(), size_t(kRows - kRows / 10));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

}  // namespace
