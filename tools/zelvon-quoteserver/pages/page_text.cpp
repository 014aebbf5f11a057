#include "tools/zelvon-quoteserver/pages/page_text.h"

#include <cmath>

namespace zelvon::quotepages {

namespace {

std::string WithThousandDots(uint64_t value)
{
    std::string digits = std::to_string(value);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(size_t(i), ".");
    return digits;
}

}  // namespace

std::string GermanNumber(int64_t units, int decimals)
{
    const bool negative = units < 0;
    uint64_t magnitude = negative ? uint64_t(-units) : uint64_t(units);
    uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    std::string text = (negative ? "-" : "") + WithThousandDots(magnitude / scale);
    if (decimals > 0) {
        std::string fraction = std::to_string(magnitude % scale);
        text += "," + std::string(size_t(decimals) - fraction.size(), '0') + fraction;
    }
    return text;
}

std::string PlainGermanNumber(int64_t units, int decimals)
{
    std::string text = GermanNumber(units, decimals);
    std::erase(text, '.');
    return text;
}

double UnitsValue(int64_t units, int decimals)
{
    return double(units) / std::pow(10.0, decimals);
}

std::string TwoDigits(int value)
{
    return std::string(1, char('0' + value / 10 % 10)) + char('0' + value % 10);
}

void PadTo(std::string& page, size_t size)
{
    if (page.size() < size)
        page.append(size - page.size(), ' ');
}

std::string HtmlText(std::string_view raw, size_t limit)
{
    std::string text;
    for (const unsigned char c : raw.substr(0, limit)) {
        switch (c) {
        case '<': text += "&lt;"; break;
        case '>': text += "&gt;"; break;
        case '&': text += "&amp;"; break;
        case '"': text += "&quot;"; break;
        case '\'': text += "&#39;"; break;
        default: text += (c < 0x20 || c >= 0x7F) ? '?' : char(c);
        }
    }
    return text;
}

}  // namespace zelvon::quotepages
