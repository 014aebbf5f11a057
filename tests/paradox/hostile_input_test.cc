// Truncated, corrupt and hostile files give errors that name the file and
// what failed; never a crash or a read outside the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "paradox/check.h"
#include "paradox/dump.h"
#include "paradox/table.h"
#include "pxlib_writer.h"

namespace {

using paradox_test::SamplesDir;

paradox::Status OpenAndReadAll(const std::string& path) {
    std::unique_ptr<paradox::Table> t;
    paradox::OpenOptions options;
    options.require_password = false;
    PX_RETURN_IF_ERROR(paradox::Table::Open(path, options, &t));
    std::string line;
    for (uint64_t r = 0; r < t->record_count(); ++r) {
        paradox::RecordRef rec;
        PX_RETURN_IF_ERROR(t->ReadRecord(r, &rec));
        PX_RETURN_IF_ERROR(paradox::FormatRecord(*t, rec, &line));
    }
    return paradox::Status::Ok();
}

class HostileInput : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(SamplesDir() + "/geog/County.DB")) GTEST_SKIP();
    }
    std::string Mutated(const std::string& rel, const std::function<void(std::vector<uint8_t>&)>& change) {
        std::string path = paradox_test::CopySample(rel, dir_);
        std::vector<uint8_t> bytes = paradox_test::ReadBytes(path);
        change(bytes);
        paradox_test::WriteBytes(path, bytes);
        return path;
    }
    paradox_test::TempDir dir_;
};

TEST_F(HostileInput, TruncatedFilesAreRejectedWithTheFileName) {
    for (size_t keep : {size_t(0), size_t(10), size_t(0x60), size_t(2048), size_t(5000)}) {
        std::string path = Mutated("geog/County.DB", [&](std::vector<uint8_t>& b) { b.resize(keep); });
        paradox::Status s = OpenAndReadAll(path);
        EXPECT_TRUE(s.IsCorruption()) << keep << ": " << s.ToString();
        EXPECT_NE(s.message().find("County.DB"), std::string::npos) << s.ToString();
    }
}

TEST_F(HostileInput, CorruptBlocksNameTheirOffset) {
    // Block 1's record offset field set to a value that is not a record boundary.
    std::string path = Mutated("geog/County.DB", [](std::vector<uint8_t>& b) {
        size_t header = b[2] | (b[3] << 8);
        b[header + 4] = 0x01;
        b[header + 5] = 0x00;
    });
    paradox::Status s = OpenAndReadAll(path);
    EXPECT_TRUE(s.IsCorruption());
    EXPECT_NE(s.message().find("corrupt block 1 at offset"), std::string::npos) << s.ToString();
}

TEST_F(HostileInput, ChainLoopsAndWildPointersEndWithAnError) {
    std::string looped = Mutated("geog/County.DB", [](std::vector<uint8_t>& b) {
        size_t header = b[2] | (b[3] << 8);
        b[header] = 1;  // block 1 points to itself
        b[header + 1] = 0;
    });
    EXPECT_NE(OpenAndReadAll(looped).message().find("loops"), std::string::npos);
    std::string wild = Mutated("geog/County.DB", [](std::vector<uint8_t>& b) { b[0x0C] = 0xFF; b[0x0D] = 0xFF; });
    EXPECT_TRUE(OpenAndReadAll(wild).IsCorruption());
    std::string fields = Mutated("geog/County.DB", [](std::vector<uint8_t>& b) { b[0x21] = 0xFF; });
    EXPECT_TRUE(OpenAndReadAll(fields).IsCorruption());
}

TEST_F(HostileInput, ForeignOrDamagedCompanionFiles) {
    std::string db = paradox_test::CopySample("fields/memo.db", dir_);
    paradox_test::CopySample("fields/memo.px", dir_);
    std::vector<uint8_t> mb = paradox_test::ReadBytes(SamplesDir() + "/fields/memo.mb");
    mb.resize(4096);  // the 555-byte memo's block is gone
    paradox_test::WriteBytes(dir_.File("memo.mb"), mb);
    paradox::Status s = OpenAndReadAll(db);
    EXPECT_TRUE(s.IsCorruption()) << s.ToString();
    EXPECT_NE(s.message().find("memo.mb"), std::string::npos) << s.ToString();

    // A .PX of another table is an open error.
    std::string orders = paradox_test::CopySample("db/ORDERS.DB", dir_);
    paradox_test::WriteBytes(dir_.File("ORDERS.PX"), paradox_test::ReadBytes(SamplesDir() + "/fields/memo.px"));
    EXPECT_TRUE(OpenAndReadAll(orders).IsCorruption());
}

TEST_F(HostileInput, EncryptedTableNeedsItsPassword) {
    std::unique_ptr<paradox::Table> t;
    std::string path = SamplesDir() + "/encrypt/encrypted.db";
    EXPECT_TRUE(paradox::Table::Open(path, {}, &t).IsPermissionDenied());
    paradox::OpenOptions options;
    options.passwords = {"SilverMoose", "123"};
    EXPECT_TRUE(paradox::Table::Open(path, options, &t).ok());
}

}  // namespace
