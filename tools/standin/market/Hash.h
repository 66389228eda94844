// The one source of randomness of the synthetic market: every random
// quantity is a pure function of the seed and of what it describes (kind of
// quantity, entity, day, minute, index), so nothing depends on the order in
// which requests arrive and the same seed always gives the same bytes.
#pragma once

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

}  // namespace kiv::standin
