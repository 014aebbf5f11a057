// Text pieces the page builders share: German number formats, two-digit
// fields, and identifiers from the request made safe to print in a page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvon::quotepages {

// units / 10^decimals with "," before the decimals and "." between thousands.
std::string GermanNumber(int64_t units, int decimals);
// units / 10^decimals with "," before the decimals and no thousands separator.
std::string PlainGermanNumber(int64_t units, int decimals);
// The same as a double, for comparing with what the extraction reads.
double UnitsValue(int64_t units, int decimals);
std::string TwoDigits(int value);
// Blanks appended up to size: sources whose values stand at fixed distances
// from a marker are laid out with these.
void PadTo(std::string& page, size_t size);

// At most limit characters of an identifier, HTML-escaped; control and
// non-ASCII bytes become "?", so the identifier can neither break the markup
// nor change the page's encoding.
std::string HtmlText(std::string_view raw, size_t limit = 40);

}  // namespace zelvon::quotepages
