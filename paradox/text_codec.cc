#include "paradox/text_codec.h"

#include <iconv.h>

#include <cerrno>

namespace paradox {
namespace {

const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

void AppendUtf8(std::string* out, uint32_t cp) {
    if (cp < 0x80) {
        out->push_back(char(cp));
    } else if (cp < 0x800) {
        out->push_back(char(0xC0 | (cp >> 6)));
        out->push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(char(0xE0 | (cp >> 12)));
        out->push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(char(0x80 | (cp & 0x3F)));
    }
}

bool IsAscii(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (p[i] >= 0x80) return false;
    return true;
}

}  // namespace

TextDecoder::TextDecoder(const std::string& encoding)
    : encoding_(encoding),
      to_utf8_(iconv_open("UTF-8", encoding.c_str())),
      from_utf8_(iconv_open(encoding.c_str(), "UTF-8")) {}

TextDecoder::~TextDecoder() {
    if (to_utf8_ != kInvalid) iconv_close(iconv_t(to_utf8_));
    if (from_utf8_ != kInvalid) iconv_close(iconv_t(from_utf8_));
}

std::string TextDecoder::Decode(const uint8_t* bytes, size_t n) const {
    std::string out;
    if (IsAscii(bytes, n)) return std::string(reinterpret_cast<const char*>(bytes), n);
    if (to_utf8_ == kInvalid) {
        for (size_t i = 0; i < n; ++i) AppendUtf8(&out, bytes[i]);
        return out;
    }
    iconv_t cd = iconv_t(to_utf8_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
    size_t in_left = n;
    while (in_left > 0) {
        char buffer[256];
        char* dst = buffer;
        size_t dst_left = sizeof buffer;
        size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
        out.append(buffer, size_t(dst - buffer));
        if (rc != size_t(-1) || errno == E2BIG) continue;
        // An undefined or truncated sequence: keep the byte as its Latin-1 value.
        AppendUtf8(&out, uint8_t(*in));
        ++in;
        --in_left;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::string TextDecoder::Encode(const std::string& utf8, bool* lossless) const {
    if (lossless) *lossless = true;
    if (IsAscii(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size()) || from_utf8_ == kInvalid) return utf8;
    iconv_t cd = iconv_t(from_utf8_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char* in = const_cast<char*>(utf8.data());
    size_t in_left = utf8.size();
    while (in_left > 0) {
        char buffer[256];
        char* dst = buffer;
        size_t dst_left = sizeof buffer;
        size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
        out.append(buffer, size_t(dst - buffer));
        if (rc != size_t(-1) || errno == E2BIG) continue;
        // Unmappable: a U+0080..U+00FF character stands for its raw byte.
        unsigned char lead = uint8_t(*in);
        size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (len > in_left) len = in_left;
        if (len == 2 && (lead == 0xC2 || lead == 0xC3))
            out.push_back(char(((lead & 0x1F) << 6) | (uint8_t(in[1]) & 0x3F)));
        else {
            out.push_back('?');
            if (lossless) *lossless = false;
        }
        in += len;
        in_left -= len;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

}  // namespace paradox
