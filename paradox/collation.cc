#include "paradox/collation.h"

#include <cstring>

#include "paradox/text_codec.h"

namespace paradox {
namespace {

uint32_t FirstCodePoint(const std::string& utf8) {
    if (utf8.empty()) return 0;
    unsigned char c = utf8[0];
    if (c < 0x80 || utf8.size() < 2) return c;
    if (c < 0xE0) return ((c & 0x1F) << 6) | (utf8[1] & 0x3F);
    if (utf8.size() < 3) return c;
    return ((c & 0x0F) << 12) | ((utf8[1] & 0x3F) << 6) | (utf8[2] & 0x3F);
}

uint32_t UpperCodePoint(uint32_t cp) {
    if (cp >= 'a' && cp <= 'z') return cp - 32;
    if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 32;
    if (cp == 0x0161 || cp == 0x0153 || cp == 0x017E) return cp - 1;  // š œ ž
    if (cp == 0xFF) return 0x0178;
    return cp;
}

// Letter without its accent, for the primary comparison.
uint32_t BaseLetter(uint32_t cp) {
    static const char* const kBases = "AAAAAAACEEEEIIIIDNOOOOO*OUUUUYTSaaaaaaaceeeeiiiidnooooo/ouuuuyty";
    if (cp >= 0xC0 && cp <= 0xFF) {
        char base = kBases[cp - 0xC0];
        if (base != '*' && base != '/') return uint32_t(base);
    }
    if (cp == 0x0160 || cp == 0x0161) return 'S';
    if (cp == 0x017D || cp == 0x017E) return 'Z';
    return cp;
}

}  // namespace

Collation::Collation(const std::string& encoding, const std::string& sort_order_name) {
    byte_order_ = sort_order_name.empty() || sort_order_name == "ascii";
    TextDecoder decoder(encoding);
    for (int b = 0; b < 256; ++b) {
        uint8_t byte = uint8_t(b);
        uint32_t cp = b < 0x80 ? uint32_t(b) : FirstCodePoint(decoder.Decode(&byte, 1));
        uint32_t upper = UpperCodePoint(cp);
        upper_[b] = byte;
        if (upper != cp) {
            std::string utf8;
            if (upper < 0x80) {
                utf8 = std::string(1, char(upper));
            } else if (upper < 0x800) {
                utf8 = {char(0xC0 | (upper >> 6)), char(0x80 | (upper & 0x3F))};
            } else {
                utf8 = {char(0xE0 | (upper >> 12)), char(0x80 | ((upper >> 6) & 0x3F)), char(0x80 | (upper & 0x3F))};
            }
            std::string back = decoder.Encode(utf8);
            if (back.size() == 1 && back[0] != '?') upper_[b] = uint8_t(back[0]);
        }
        uint32_t base = UpperCodePoint(BaseLetter(cp));
        primary_[b] = uint16_t(base > 0xFFFF ? 0xFFFF : base);
    }
}

int Collation::Compare(const uint8_t* a, const uint8_t* b, size_t width) const {
    if (!byte_order_) {
        for (size_t i = 0; i < width; ++i) {
            if (primary_[a[i]] != primary_[b[i]]) return primary_[a[i]] < primary_[b[i]] ? -1 : 1;
            if (a[i] == 0) break;
        }
    }
    int c = std::memcmp(a, b, width);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

void Collation::FoldCase(uint8_t* bytes, size_t width) const {
    for (size_t i = 0; i < width; ++i) bytes[i] = upper_[bytes[i]];
}

}  // namespace paradox
