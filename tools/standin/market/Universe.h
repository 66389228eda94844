// Universe: every security, index and sector of the synthetic market, with
// its code, GBK name and static attributes. It is a pure function of the
// seed: the same seed lists the same codes with the same names in the same
// order, whatever else the stand-in has done.
//
// What it holds, in this order:
//   market 1 indices 000001 000300 000016 000905 000688,
//   market 2 indices 399001 399005 399006 399106,
//   market 1 A shares (240 of 600000-603999, 20 of 688001-688099),
//   market 2 A shares (100 of 000001-001999, 60 of 002001-002999,
//                      80 of 300001-300999),
//   B shares (900901.. market 1, 200002.. market 2, five each),
//   funds (510050, 510300 market 1; 159915 market 2),
//   bonds (010107.. market 1, 111001.. market 2, twenty each),
//   sectors in market 4 (880001-880028 industries, 881001-881031 regions,
//   882001-882020 concepts).
// Within each group but the indices (listed in the order above) the codes
// ascend. Market 2 lists 000001 as a share, so a
// bare code 000001 (market byte 0) resolves to the share, as the terminal's
// own rule (codes below 600000 are Shenzhen) expects.
//
// Names: GBK, at most 13 bytes, no blank, unique; Chinese characters come
// from the common (two-byte, both bytes 0xA1-0xFE) range only, so no byte of
// a name can be mistaken for ASCII. Only fund names contain "ETF", and no
// other name contains the letter 'E' at all (the terminal cuts a name after
// its first "ETF").
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "net/StockId.h"

namespace kiv::standin {

enum class SecurityGroup {
  kShIndex,
  kSzIndex,
  kShShare,        // 600000-603999
  kStarShare,      // 688xxx
  kSzMainShare,    // 000001-001999
  kSmeShare,       // 002xxx
  kChiNextShare,   // 300xxx
  kShBShare,
  kSzBShare,
  kShFund,
  kSzFund,
  kShBond,
  kSzBond,
  kIndustrySector,
  kRegionSector,
  kConceptSector,
};

bool IsIndexGroup(SecurityGroup group);
bool IsAShareGroup(SecurityGroup group);
bool IsSectorGroup(SecurityGroup group);

struct Security {
  StockId id = 0;
  SecurityGroup group = SecurityGroup::kShShare;
  std::string name;       // GBK
  int priceDecimals = 2;  // decimals the terminal shows
  bool special = false;   // "ST" / "*ST": daily limit 5 %

  // Static attributes of A and B shares (zero / -1 elsewhere).
  int industry = -1;            // 0..27, the industry sector 880001 + industry
  int region = -1;              // 0..30, the region sector 881001 + region
  std::vector<int> concepts;    // 0..3 of 0..19, the concept sectors 882001 + c
  int32_t listDate = 0;         // yyyymmdd
  int32_t basePrice = 0;        // price at listing, yuan x 10000
  int64_t totalShares = 0;      // shares
  int64_t floatShares = 0;      // shares
  double beta = 0;              // sensitivity to the market factor
  double volatility = 0;        // daily standard deviation of its own return
  int dailyLimitPercent = 0;    // 10, 5 (special) or 20 (688xxx, 300xxx)

  // Sectors: index within their kind (0-based); -1 elsewhere.
  int sectorIndex = -1;
};

constexpr int kIndustryCount = 28;
constexpr int kRegionCount = 31;
constexpr int kConceptCount = 20;

// A share's name (GBK) from a hash word, as the universe makes every share's
// name before it resolves collisions: a head of one or two characters and a
// tail of one or two. Benchmarks build larger markets of the same names.
std::string ShareNameFromHash(uint64_t h);

class Universe {
 public:
  explicit Universe(uint64_t seed);

  uint64_t Seed() const { return seed_; }
  const std::vector<Security>& Securities() const { return securities_; }
  // By the whole StockId. A market byte of 0 is filled from the code first
  // (codes from 600000 up are Shanghai, all others Shenzhen); null when the
  // universe does not list it.
  const Security* Find(StockId id) const;
  std::vector<const Security*> OfGroup(SecurityGroup group) const;
  // The shares of a sector (an industry, region or concept of market 4) by
  // their attributes, in ascending code (then market); empty for anything
  // that is not a sector.
  std::vector<const Security*> SectorMembers(StockId sector) const;

 private:
  void AddIndices();
  void AddShares(SecurityGroup group, uint32_t market, uint32_t first, uint32_t last, size_t count,
                 const std::vector<uint32_t>& required);
  void AddBShares(SecurityGroup group, uint32_t market, uint32_t firstCode);
  void AddFunds();
  void AddBonds(SecurityGroup group, uint32_t market, uint32_t firstCode, const char* prefixUtf8);
  void AddSectors();
  void Append(Security security);
  std::string UniqueShareName(StockId id, const std::string& suffix);
  void AssignShareAttributes(Security& security);

  uint64_t seed_;
  std::vector<Security> securities_;
  std::unordered_map<StockId, size_t> byId_;
  std::unordered_map<std::string, StockId> byName_;
};

}  // namespace kiv::standin
