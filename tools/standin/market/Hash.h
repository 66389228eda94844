// The one source of randomness of the synthetic market: every random
// quantity is a pure function of the seed and of what it describes (kind of
// quantity, entity, day, minute, index), so nothing depends on the order in
// which requests arrive and the same seed always gives the same bytes.
#pragma once

#include <cmath>
#include <cstdint>

namespace kiv::standin {

// The SplitMix64 finaliser: a bijection of 64-bit words whose output bits
// each depend on every input bit.
constexpr uint64_t Mix64(uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// What a random quantity is about; new kinds are appended, never renumbered,
// so existing data keeps its values.
enum class HashKind : uint64_t {
  kCodePick = 1,     // which codes of a range are listed
  kName = 2,         // the syllables of a name
  kNameSpecial = 3,  // ST / *ST treatment
  kAttribute = 4,    // static attributes of a share
  kMarketFactor = 5, // the market's daily return
  kIndustry = 6,     // an industry's daily return
  kDailyReturn = 7,  // a security's own daily return, open, high and low
  kSuspension = 8,   // days without trading
  kDividend = 9,     // ex-rights events
  kMinutePath = 10,  // the minute path of a day
  kVolume = 11,      // traded volume and its spread over the day
  kFlow = 12,        // main-force inflow and outflow
  kOption = 13,      // market-50 options
  kFinance = 14,     // quarterly reports of shares
};


constexpr uint64_t Hash(uint64_t seed, HashKind kind, uint64_t entity, uint64_t day = 0,
                        uint64_t minute = 0, uint64_t index = 0) {
  uint64_t h = Mix64(seed);
  h = Mix64(h ^ static_cast<uint64_t>(kind));
  h = Mix64(h ^ entity);
  h = Mix64(h ^ day);
  h = Mix64(h ^ minute);
  return Mix64(h ^ index);
}

// A uniform number in [0, 1) from a hash.
constexpr double UnitInterval(uint64_t h) { return static_cast<double>(h >> 11) * 0x1.0p-53; }

// A uniform integer in [low, high] from a hash (high >= low).
constexpr int64_t UniformInt(uint64_t h, int64_t low, int64_t high) {
  return low + static_cast<int64_t>(h % static_cast<uint64_t>(high - low + 1));
}

// A standard normal number from two hashes (Box-Muller).
inline double NormalOf(uint64_t h1, uint64_t h2) {
  const double u1 = UnitInterval(h1) > 1e-300 ? UnitInterval(h1) : 1e-300;
  return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * UnitInterval(h2));
}

}  // namespace kiv::standin
