// Field codecs, dates, number formatting, encryption constants and password
// checksums: the places where a wrong bit silently changes a value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "paradox/bytes.h"
#include "paradox/crypt.h"
#include "paradox/date_time.h"
#include "paradox/dump.h"
#include "paradox/field_codec.h"

namespace {

uint32_t Crc32(const uint8_t* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

TEST(Crypt, TablesMatchTheirFingerprints) {
    EXPECT_EQ(Crc32(paradox::kCryptTableA, 256), 0x311c2ce1u);
    EXPECT_EQ(Crc32(paradox::kCryptTableB, 256), 0xba8feefau);
    EXPECT_EQ(Crc32(paradox::kCryptTableC, 256), 0x67f57abdu);
}

TEST(Crypt, PasswordChecksumAndBlockRoundTrip) {
    EXPECT_EQ(paradox::PasswordChecksum("123"), 0x0a25e09au);
    EXPECT_EQ(paradox::PasswordChecksum(""), 0u);
    EXPECT_NE(paradox::PasswordChecksum("SilverMoose"), paradox::PasswordChecksum("silvermoose"));
    std::vector<uint8_t> block(2048);
    for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(i * 7);
    std::vector<uint8_t> copy = block;
    paradox::EncryptDbBlock(copy.data(), copy.size(), 0x0a25e09a, 3);
    EXPECT_NE(copy, block);
    paradox::DecryptDbBlock(copy.data(), copy.size(), 0x0a25e09a, 3);
    EXPECT_EQ(copy, block);
}

TEST(Codec, NumbersUseTheSignBitTrick) {
    uint8_t p[8];
    paradox::EncodeInt(1, p, 2);
    EXPECT_EQ(p[0], 0x80);
    EXPECT_EQ(p[1], 0x01);
    paradox::EncodeInt(-1, p, 2);
    EXPECT_EQ(paradox::LoadBe16(p), 0x7FFF);
    for (double d : {0.0, -0.5, 200.36, -1.387, 1e300, -1e-300}) {
        paradox::EncodeDouble(d, p);
        EXPECT_EQ(paradox::DecodeDouble(p), d);
    }
    uint8_t a[8], b[8];
    paradox::EncodeDouble(-2.0, a);
    paradox::EncodeDouble(-1.0, b);
    EXPECT_LT(std::memcmp(a, b, 8), 0);  // byte order is value order
    bool truncated;
    uint8_t bcd[17] = {0x42, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xDC};
    EXPECT_EQ(paradox::DecodeBcd(bcd, &truncated), "-1.23");
    EXPECT_FALSE(truncated);
}

TEST(DateTime, DaysAndMillisecondsSurviveTheConversion) {
    EXPECT_EQ(paradox::DayFromCivil(1996, 5, 4), 728783);
    EXPECT_EQ(paradox::FormatDate(1), "0001-01-01");
    EXPECT_EQ(paradox::FormatDate(paradox::kDateTimeEpochDay), "1899-12-30");
    int64_t day = paradox::DayFromCivil(2024, 2, 29);
    for (int64_t ms : {int64_t(0), int64_t(1), int64_t(43200000), int64_t(86399999), int64_t(3723456)}) {
        int64_t total = day * paradox::kMillisPerDay + ms;
        EXPECT_EQ(paradox::MillisFromDateTime(paradox::DateTimeFromMillis(total)), total) << ms;
    }
    int64_t before = paradox::DayFromCivil(1899, 12, 29) * paradox::kMillisPerDay + 6 * 3600000;
    EXPECT_DOUBLE_EQ(paradox::DateTimeFromMillis(before), -1.25);
    EXPECT_EQ(paradox::MillisFromDateTime(-1.25), before);
}

TEST(Dump, DoublesAreShortestAndLaidOutLikeEcmaScript) {
    EXPECT_EQ(paradox::FormatDouble(-200), "-200");
    EXPECT_EQ(paradox::FormatDouble(0.17), "0.17");
    EXPECT_EQ(paradox::FormatDouble(134.85000000000002), "134.85000000000002");
    EXPECT_EQ(paradox::FormatDouble(1.5e21), "1.5e+21");
    EXPECT_EQ(paradox::FormatDouble(1e-7), "1e-7");
    EXPECT_EQ(paradox::FormatDouble(1e-6), "0.000001");
    EXPECT_EQ(paradox::FormatDouble(1e20), "100000000000000000000");
}

}  // namespace
