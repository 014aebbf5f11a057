// Writing tables that others use: a table another process holds locked
// fails after a bounded wait with a clear error and no change; every sample
// table survives an edit of one field with all else reading as before;
// copies keep their secondary indexes, index names and validity file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "paradox/check.h"
#include "paradox/dump.h"
#include "paradox/field_encoder.h"
#include "paradox/secondary_index.h"
#include "paradox/table_copy.h"
#include "paradox/table_writer.h"
#include "pxlib_writer.h"
#include "table_reading.h"

namespace {

using paradox::FieldType;
using paradox_test::DumpLines;
using paradox_test::Password;
using paradox_test::Problems;
using paradox_test::TempDir;

// Every file of a sample table family copied into dir; returns the .DB.
std::string CopyFamily(const std::string& sample, const TempDir& dir) {
    std::string dir_name = sample.substr(0, sample.find('/'));
    std::string file = sample.substr(sample.find('/') + 1);
    std::string stem = file.substr(0, file.rfind('.'));
    for (const std::string& f : paradox::ListDirectory(paradox_test::SamplesDir() + "/" + dir_name))
        if (paradox::EqualsIgnoringCase(f.substr(0, f.rfind('.')), stem)) paradox_test::CopySample(dir_name + "/" + f, dir);
    return dir.File(file);
}

// A child process that holds a classic POSIX write lock on path until killed.
pid_t HoldLock(const std::string& path) {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        int fd = open(path.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (fd < 0 || fcntl(fd, F_SETLK, &lock) != 0) _exit(2);
        char c = 1;
        if (write(ready[1], &c, 1) != 1) _exit(3);
        for (;;) pause();
    }
    close(ready[1]);
    char c = 0;
    EXPECT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    return child;
}

TEST(LockTest, TableLockedByAnotherProcessFailsAfterBoundedWait) {
    TempDir dir;
    std::string path = CopyFamily("db/ORDERS.DB", dir);
    std::unique_ptr<paradox::TableWriter> w;
    ASSERT_TRUE(paradox::TableWriter::Open(path, {}, &w).ok());
    w->set_lock_wait(std::chrono::milliseconds(300));
    paradox::RecordRef r;
    ASSERT_TRUE(w->table().ReadRecord(0, &r).ok());
    std::vector<uint8_t> rec(r.data, r.data + w->table().header().record_size);
    paradox::EncodeInt(999999, rec.data(), 4);
    std::vector<uint8_t> before = paradox_test::ReadBytes(path);

    pid_t child = HoldLock(path);
    auto start = std::chrono::steady_clock::now();
    paradox::Status s = w->Insert(rec, nullptr);
    auto waited = std::chrono::steady_clock::now() - start;
    paradox::Status d = w->Delete(0);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);

    EXPECT_TRUE(s.IsLocked()) << s.ToString();
    EXPECT_NE(s.message().find("ORDERS.DB"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("locked"), std::string::npos) << s.message();
    EXPECT_TRUE(d.IsLocked()) << d.ToString();
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_LT(waited, std::chrono::seconds(3));
    EXPECT_EQ(paradox_test::ReadBytes(path), before);
    paradox::Status after = w->Insert(rec, nullptr);
    EXPECT_TRUE(after.ok()) << after.ToString();
    EXPECT_TRUE(Problems(path).empty());
}

const char* const kSamples[] = {
    "areas/STATES.DB", "db/CUSTOMER.DB", "db/DECIMAL.DB", "db/GENERAL.DB", "db/ORDERS.DB", "db/ROMAN8.db",
    "encrypt/encrypted.db", "fields/bcd.db", "fields/bytes.db", "fields/date35.db", "fields/date4.db",
    "fields/date5.db", "fields/fmemo.db", "fields/graphic240.db", "fields/logical.db", "fields/long.db",
    "fields/memo.db", "fields/ole.db", "fields/time.db", "fields/timestamp.db", "geog/County.DB", "joins/A.db",
    "joins/C.DB", "joins/fk1.db", "joins/fk4.db", "joins/primary.db", "joins/two.db",
};

// The last field that is neither part of the key nor a blob, changed in
// place: a digit more for numbers, another text for strings.
bool EditOneField(const paradox::Table& t, uint64_t record, std::vector<uint8_t>* rec) {
    paradox::RecordRef r;
    if (!t.ReadRecord(record, &r).ok()) return false;
    rec->assign(r.data, r.data + t.header().record_size);
    for (size_t f = t.fields().size(); f-- > t.header().key_fields;) {
        const paradox::FieldInfo& field = t.fields()[f];
        paradox::Value v;
        if (!t.ReadValue(r, f, &v).ok()) return false;
        v.is_null = false;
        switch (field.type) {
            case FieldType::kAlpha: v.text = v.text.empty() || v.text[0] != 'Q' ? "Q" : "R"; break;
            case FieldType::kShort: case FieldType::kLong: v.integer = v.integer == 7 ? 8 : 7; break;
            case FieldType::kDate: case FieldType::kTime: case FieldType::kTimestamp: v.integer += 1; break;
            case FieldType::kLogical: v.integer = !v.integer; break;
            case FieldType::kNumber: case FieldType::kCurrency: v.number += 1; break;
            default: continue;
        }
        return paradox::EncodeField(t.name(), field, v, t.text(), rec->data()).ok();
    }
    return false;
}

TEST(SampleEditTest, EverySampleSurvivesAnEditOfOneField) {
    int edited = 0;
    for (const char* sample : kSamples) {
        SCOPED_TRACE(sample);
        TempDir dir;
        std::string path = CopyFamily(sample, dir);
        std::vector<std::string> before = DumpLines(path);
        std::vector<std::string> problems_before = Problems(path);
        std::unique_ptr<paradox::TableWriter> w;
        paradox::Status s = paradox::TableWriter::Open(path, Password(), &w);
        ASSERT_TRUE(s.ok()) << s.ToString();
        std::vector<uint8_t> rec;
        uint64_t record = w->table().record_count() / 2;
        if (w->table().record_count() == 0 || !EditOneField(w->table(), record, &rec)) continue;
        s = w->Update(record, rec, nullptr);
        ASSERT_TRUE(s.ok()) << s.ToString();
        ++edited;
        std::vector<std::string> after = DumpLines(path);
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) {
            if (i == record) {
                EXPECT_NE(after[i], before[i]);
            } else {
                EXPECT_EQ(after[i], before[i]) << "record " << i + 1;
            }
        }
        if (problems_before.empty()) {
            EXPECT_EQ(Problems(path), std::vector<std::string>());
        }
    }
    EXPECT_GT(edited, 15);
}

TEST(CopyTest, CopyKeepsSecondaryIndexesWithTheirNamesAndTheValidityFile) {
    for (const char* sample : {"db/CUSTOMER.DB", "joins/C.DB", "joins/fk4.db", "joins/fk1.db"}) {
        SCOPED_TRACE(sample);
        TempDir from, to;
        std::string src = CopyFamily(sample, from);
        std::string dst = to.File(paradox::BaseName(src));
        paradox::CopyOptions options;
        options.shuffle = true;
        paradox::Status s = paradox::CopyTable(src, dst, Password(), options);
        ASSERT_TRUE(s.ok()) << s.ToString();
        std::unique_ptr<paradox::Table> a, b;
        ASSERT_TRUE(paradox::Table::Open(src, Password(), &a).ok());
        ASSERT_TRUE(paradox::Table::Open(dst, Password(), &b).ok());
        std::vector<paradox::SecondaryIndexInfo> want, got;
        ASSERT_TRUE(paradox::ListSecondaryIndexes(*a, &want).ok());
        ASSERT_TRUE(paradox::ListSecondaryIndexes(*b, &got).ok());
        ASSERT_EQ(got.size(), want.size());
        ASSERT_FALSE(want.empty());
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].name, want[i].name);
            EXPECT_EQ(paradox::BaseName(got[i].path), paradox::BaseName(want[i].path));
            std::unique_ptr<paradox::IndexOrder> x, y;
            ASSERT_TRUE(paradox::IndexOrder::Build(*a, want[i], &x).ok());
            ASSERT_TRUE(paradox::IndexOrder::Build(*b, got[i], &y).ok());
            EXPECT_EQ(y->read_from_file(), b->is_keyed());
            ASSERT_EQ(x->size(), y->size());
            for (uint64_t k = 0; k < x->size(); ++k)
                EXPECT_EQ(0, x->key().Compare(x->KeyAt(k), y->KeyAt(k), x->key().field_count())) << "entry " << k;
        }
        std::string val = paradox::CompanionPath(src, "VAL");
        if (!val.empty()) {
            EXPECT_EQ(paradox_test::ReadBytes(paradox::CompanionPath(dst, "VAL")), paradox_test::ReadBytes(val));
        }
        EXPECT_TRUE(Problems(dst).empty());
    }
}

}  // namespace
