#include "tools/demodata/generated.h"

#include <cstdio>

#include "paradox/date_time.h"

namespace zelvon::demodata {
namespace {

const char* const kWords[] = {"Alpen", "Bergbau", "Chemie", "Donau", "Elbe", "Förder", "Glas", "Hafen", "Isar", "Jade",
                              "Kohle", "Lager", "Mühlen", "Nord", "Oder", "Papier", "Quelle", "Rhein", "Stahl", "Textil",
                              "Uhren", "Verlag", "Werft", "Zucker"};
constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];

std::string Format(const char* pattern, size_t n) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, n);
    return buffer;
}

CalendarDate DayAfter(int year, int month, int day, size_t days) {
    paradox::CivilDate c = paradox::CivilFromDay(paradox::DayFromCivil(year, month, day) + int64_t(days));
    return {int(c.year), c.month, c.day};
}

}  // namespace

Security GeneratedSecurity(size_t n) {
    static const char* const kCurrencies[] = {"EUR", "EUR", "USD", "CHF"};
    static const int32_t kGroups[] = {kGermanShares, kGermanShares, kUsShares, kSwissShares, kFunds, kWarrants};
    Security s{};
    s.firma = kFirstGeneratedFirma + int32_t(n);
    // A stride prime to the word count mixes the name order against the number order.
    s.name = std::string(kWords[(n * 7) % kWordCount]) + " " + kWords[(n / kWordCount) % kWordCount] + Format(" %05zu AG", n);
    s.kennung = Format("D%05zu", n);
    s.wkn = s.kennung;
    s.isin = Format("DE000D%06zu", n);
    s.ticker = Format("D%05zu.DE", n);
    s.waehrung = kCurrencies[n % 4];
    s.gruppe = kGroups[n % 6];
    s.branche = int32_t(n % 14) + 1;
    s.merkmal = int32_t(n % 5) + 1;
    s.aktiv = n % 7 == 0;
    s.zdf = Format("Z%07zu", n);
    s.gewinn = double(n % 500) / 100.0;
    s.aktienzahl = double(1000000 + n);
    return s;
}

std::vector<Transaction> GeneratedPositions(size_t count, const std::vector<int32_t>& firmen) {
    std::vector<Transaction> out;
    out.reserve(count + count / 4);
    for (size_t j = 0; j < count; ++j) {
        int32_t firma = firmen[j % firmen.size()];
        out.push_back({firma, DayAfter(2015, 1, 2, j % 3000), int32_t(100000 + j), double(10 + j % 90),
                       10.0 + double(j % 400) / 4.0, {}, 0});
        if (j % 4 == 0)
            out.push_back({firma, DayAfter(2010, 1, 4, j % 1500), int32_t(100000 + count + j), 25, 8.5,
                           DayAfter(2014, 6, 2, j % 200), 9.25});
    }
    return out;
}

}  // namespace zelvon::demodata
