// Conversion of table text between a table's code page and UTF-8, through
// iconv. Bytes a single-byte code page leaves undefined map to U+0080..U+00FF
// and back, so they survive a round trip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace paradox {

class TextDecoder {
public:
    explicit TextDecoder(const std::string& encoding);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    // False when iconv does not know the encoding; bytes then pass as Latin-1.
    bool valid() const { return to_utf8_ != reinterpret_cast<void*>(-1); }
    const std::string& encoding() const { return encoding_; }
    std::string Decode(const uint8_t* bytes, size_t n) const;
    // UTF-8 to the code page; characters the code page lacks become '?', and
    // lossless (when given) tells whether that happened.
    std::string Encode(const std::string& utf8, bool* lossless = nullptr) const;

private:
    std::string encoding_;
    void* to_utf8_;
    void* from_utf8_;
};

}  // namespace paradox
