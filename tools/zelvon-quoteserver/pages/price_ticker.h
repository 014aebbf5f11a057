// Deterministic price series: each security's prices depend only on its key
// and on how often it was asked for, so a demo is repeatable while every
// request shows a new price.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace zelvon::quotepages {

struct Tick {
    uint64_t seed = 0;   // from the security's key
    uint64_t count = 0;  // requests for this key before this one
};

// Price in units of 10^-decimals between low and high units at its base; two
// consecutive ticks of one key never give the same value.
int64_t PriceUnits(const Tick& tick, int64_t lowUnits, int64_t highUnits);
// A traded volume below one hundred million pieces that grows with each tick.
int32_t Volume(const Tick& tick);

class PriceTicker {
public:
    // Safe to call from the server's worker threads.
    Tick Next(const std::string& key);

private:
    std::mutex mutex_;
    std::map<std::string, uint64_t> counts_;
};

}  // namespace zelvon::quotepages
