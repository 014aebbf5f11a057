// String order and case folding for a table's sort order. The 'ascii' sort
// order compares bytes; the international drivers compare letters without
// regard to accents and case first and break ties by the bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace paradox {

class Collation {
public:
    // encoding: the table's iconv name; sort_order_name: from the header.
    Collation(const std::string& encoding, const std::string& sort_order_name);

    // Compares two NUL-padded fields of width bytes.
    int Compare(const uint8_t* a, const uint8_t* b, size_t width) const;
    // Upper-cases in place, as case-insensitive indexes store their keys.
    void FoldCase(uint8_t* bytes, size_t width) const;
    bool byte_order() const { return byte_order_; }

private:
    bool byte_order_;
    std::array<uint16_t, 256> primary_{};
    std::array<uint8_t, 256> upper_{};
};

}  // namespace paradox
