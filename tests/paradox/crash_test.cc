// A writer process killed at random moments of its posts: after every kill
// the table still opens in our engine and in pxlib, keeps key order, and
// holds every record the writer had reported as posted; the next writer
// brings the indexes back in step. The states a kill leaves between the
// writes of one post are warnings of the check, anything further off stays
// a fault.
#include <gtest/gtest.h>

extern "C" {
#include <paradox.h>
}

#include <csignal>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include "paradox/bytes.h"
#include "paradox/check.h"
#include "paradox/field_encoder.h"
#include "paradox/table_create.h"
#include "paradox/table_writer.h"
#include "pxlib_writer.h"

namespace {

using paradox::FieldType;

// Runs in the child: inserts keys forever, writing each one to the pipe
// once its post returned.
[[noreturn]] void InsertForever(const std::string& path, int fd, uint32_t seed) {
    std::unique_ptr<paradox::TableWriter> w;
    if (!paradox::TableWriter::Open(path, {}, &w).ok()) _exit(2);
    std::mt19937 random(seed);
    for (;;) {
        int32_t key = int32_t(random() % 1000000) + 1;
        std::vector<uint8_t> rec(w->table().header().record_size, 0);
        paradox::Value v;
        v.is_null = false;
        v.integer = key;
        v.text = "Kurs";
        paradox::EncodeField("t", w->table().fields()[0], v, w->table().text(), rec.data());
        paradox::EncodeField("t", w->table().fields()[1], v, w->table().text(), rec.data());
        paradox::Status s = w->Insert(rec, nullptr);
        if (s.ok() && write(fd, &key, sizeof key) != sizeof key) _exit(3);
    }
}

std::vector<uint8_t> Record(const paradox::Table& t, int32_t key) {
    std::vector<uint8_t> rec(t.header().record_size, 0);
    paradox::Value v;
    v.is_null = false;
    v.integer = key;
    v.text = "Kurs";
    paradox::EncodeField("t", t.fields()[0], v, t.text(), rec.data());
    paradox::EncodeField("t", t.fields()[1], v, t.text(), rec.data());
    return rec;
}

std::set<int32_t> ReadPosted(int fd) {
    std::set<int32_t> keys;
    int32_t key;
    while (read(fd, &key, sizeof key) == sizeof key) keys.insert(key);
    return keys;
}

TEST(CrashTest, KilledWriterLeavesAnOpenableTableWithEveryPostedRecord) {
    paradox_test::TempDir dir;
    std::string path = dir.File("Intraday.DB");
    paradox::CreateOptions o;
    o.key_fields = 1;
    o.block_kib = 1;
    ASSERT_TRUE(paradox::CreateTable(path, {{"Nr", FieldType::kLong, 0, true}, {"Name", FieldType::kAlpha, 30, false}}, o).ok());
    std::mt19937 random(11);
    std::set<int32_t> posted;
    for (int round = 0; round < 25; ++round) {
        int pipe_fds[2];
        ASSERT_EQ(pipe(pipe_fds), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipe_fds[0]);
            InsertForever(path, pipe_fds[1], uint32_t(round));
        }
        close(pipe_fds[1]);
        usleep(useconds_t(5000 + random() % 60000));
        kill(child, SIGKILL);
        int status;
        waitpid(child, &status, 0);
        std::set<int32_t> now = ReadPosted(pipe_fds[0]);
        close(pipe_fds[0]);
        posted.insert(now.begin(), now.end());

        std::unique_ptr<paradox::Table> t;
        paradox::Status s = paradox::Table::Open(path, {}, &t);
        ASSERT_TRUE(s.ok()) << "round " << round << ": " << s.ToString();
        std::set<int32_t> present;
        int64_t previous = -1;
        for (uint64_t i = 0; i < t->record_count(); ++i) {
            paradox::RecordRef r;
            paradox::Value v;
            ASSERT_TRUE(t->ReadRecord(i, &r).ok());
            ASSERT_TRUE(t->ReadValue(r, 0, &v).ok());
            EXPECT_GT(v.integer, previous);
            previous = v.integer;
            present.insert(int32_t(v.integer));
        }
        for (int32_t key : posted) ASSERT_TRUE(present.count(key)) << "round " << round << ": lost key " << key;

        pxdoc_t* doc = PX_new();
        ASSERT_EQ(PX_open_file(doc, path.c_str()), 0) << "round " << round;
        EXPECT_GE(PX_get_num_records(doc), int(posted.size())) << "round " << round;
        PX_close(doc);
        PX_delete(doc);
        if (round % 5 == 4) {
            std::unique_ptr<paradox::TableWriter> repair;
            ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &repair).ok()) << "round " << round;
            std::vector<std::string> problems;
            ASSERT_TRUE(paradox::CheckTable(path, {}, &problems).ok());
            for (const auto& p : problems) ADD_FAILURE() << "round " << round << ": " << p;
        }
    }
    EXPECT_GT(posted.size(), 20u);
}

// The .DB and .PX after each of the first posts of keys 1, 2, ...
struct Snapshots {
    std::vector<std::vector<uint8_t>> db, px;
};

Snapshots PostAndKeep(const std::string& path, int posts) {
    Snapshots out;
    std::unique_ptr<paradox::TableWriter> w;
    EXPECT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    for (int key = 0; key <= posts; ++key) {
        if (key > 0) EXPECT_TRUE(w->Insert(Record(w->table(), key), nullptr).ok());
        out.db.push_back(paradox_test::ReadBytes(path));
        out.px.push_back(paradox_test::ReadBytes(paradox::CompanionPath(path, "PX")));
    }
    return out;
}

struct Checked {
    std::vector<std::string> problems, warnings;
};

Checked Check(const std::string& path) {
    Checked c;
    EXPECT_TRUE(paradox::CheckTable(path, {}, &c.problems, &c.warnings).ok());
    return c;
}

int PxlibCount(const std::string& path) {
    pxdoc_t* doc = PX_new();
    int count = PX_open_file(doc, path.c_str()) == 0 ? PX_get_num_records(doc) : -1;
    PX_close(doc);
    PX_delete(doc);
    return count;
}

}  // namespace

TEST(CrashTest, AnInterruptedPostIsAWarningAndTheNextWriterMendsIt) {
    paradox_test::TempDir dir;
    std::string path = dir.File("Intraday.DB");
    std::string px = dir.File("Intraday.PX");
    paradox::CreateOptions o;
    o.key_fields = 1;
    o.block_kib = 1;
    ASSERT_TRUE(paradox::CreateTable(path, {{"Nr", FieldType::kLong, 0, true}, {"Name", FieldType::kAlpha, 30, false}}, o).ok());
    // 29 records fill a 1 KiB block: post 30 starts a new one.
    Snapshots snap = PostAndKeep(path, 32);
    for (int before : {10, 29}) {
        const auto& db_after = snap.db[size_t(before) + 1];
        std::vector<uint8_t> header_behind = db_after;
        std::copy_n(&snap.db[size_t(before)][0x06], 4, &header_behind[0x06]);
        header_behind[0x2D] = snap.db[size_t(before)][0x2D];
        struct Leftover {
            const char* what;
            std::vector<uint8_t> db, px;
            int pxlib_records;
        };
        for (const Leftover& left : {Leftover{"data block out", header_behind, snap.px[size_t(before)], before},
                                     Leftover{"header out", db_after, snap.px[size_t(before)], before + 1}}) {
            SCOPED_TRACE(std::string(left.what) + " after " + std::to_string(before));
            paradox_test::WriteBytes(path, left.db);
            paradox_test::WriteBytes(px, left.px);
            Checked c = Check(path);
            for (const auto& p : c.problems) ADD_FAILURE() << p;
            EXPECT_FALSE(c.warnings.empty());
            EXPECT_EQ(PxlibCount(path), left.pxlib_records);
            std::unique_ptr<paradox::TableWriter> w;
            ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
            ASSERT_EQ(w->table().record_count(), uint64_t(before + 1));
            ASSERT_TRUE(w->Insert(Record(w->table(), 1000), nullptr).ok());
            c = Check(path);
            for (const auto& p : c.problems) ADD_FAILURE() << "mended: " << p;
            for (const auto& p : c.warnings) ADD_FAILURE() << "mended: " << p;
            EXPECT_EQ(PxlibCount(path), before + 2);
        }
    }
    // Further off than one post: two records past the header, a .PX two
    // posts behind, a .PX stamped as in step that is not.
    std::vector<uint8_t> two_past = snap.db[12];
    std::copy_n(&snap.db[10][0x06], 4, &two_past[0x06]);
    std::vector<uint8_t> claims_in_step = snap.px[10];
    claims_in_step[0x2C] = snap.db[11][0x2D];
    struct Fault {
        const char* what;
        std::vector<uint8_t> db, px;
    };
    for (const Fault& f : {Fault{"two records past the header", two_past, snap.px[12]},
                           Fault{"index two posts behind", snap.db[12], snap.px[10]},
                           Fault{"index stamped in step", snap.db[11], claims_in_step}}) {
        paradox_test::WriteBytes(path, f.db);
        paradox_test::WriteBytes(px, f.px);
        EXPECT_FALSE(Check(path).problems.empty()) << f.what;
    }
}
