#include "tools/zelvon-quoteserver/pages/price_ticker.h"

#include <algorithm>

namespace zelvon::quotepages {

namespace {

uint64_t Fnv1a(const std::string& text)
{
    uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// 37 and 101 are coprime, so neighbouring counts land on different steps.
int64_t Swing(uint64_t count)
{
    return int64_t((count * 37) % 101) - 50;
}

}  // namespace

int64_t PriceUnits(const Tick& tick, int64_t lowUnits, int64_t highUnits)
{
    const int64_t span = std::max<int64_t>(highUnits - lowUnits, 1);
    const int64_t base = lowUnits + int64_t(tick.seed % uint64_t(span));
    // Steps of about a twentieth of a percent keep the swing within 2.5 %.
    const int64_t step = std::max<int64_t>(base / 2000, 1);
    return std::max<int64_t>(base + Swing(tick.count) * step, 1);
}

int32_t Volume(const Tick& tick)
{
    const uint64_t start = 1000 + (tick.seed >> 16) % 500000;
    const uint64_t perTick = 100 + (tick.seed >> 40) % 900;
    return int32_t((start + tick.count * perTick) % 99'000'000);
}

Tick PriceTicker::Next(const std::string& key)
{
    std::lock_guard lock(mutex_);
    return {Fnv1a(key), counts_[key]++};
}

}  // namespace zelvon::quotepages
