#include "tools/standin/market/Universe.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/sys/CodePage.h"
#include "tools/standin/market/MarketTime.h"

namespace kiv::standin {
namespace {

// Whether text is whole GBK of the common range: every lead byte has its
// trail byte, both in 0xA1-0xFE (so that no byte of a Chinese character reads
// as ASCII, such as the 'E' the terminal looks for), and single bytes are
// printable ASCII other than the blank.
bool IsWholeGbk(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80) {
      if (byte < 0xA1 || byte > 0xFE || i + 1 >= text.size()) return false;
      const unsigned char trail = static_cast<unsigned char>(text[++i]);
      if (trail < 0xA1 || trail > 0xFE) return false;
    } else if (byte <= 0x20 || byte >= 0x7F) {
      return false;
    }
  }
  return true;
}

TEST(UniverseTest, SameSeedGivesTheSameUniverseAndOtherSeedsDiffer) {
  const Universe a(7), b(7), c(8);
  ASSERT_EQ(a.Securities().size(), b.Securities().size());
  for (size_t i = 0; i < a.Securities().size(); ++i) {
    const Security& x = a.Securities()[i];
    const Security& y = b.Securities()[i];
    ASSERT_EQ(x.id, y.id);
    ASSERT_EQ(x.name, y.name);
    ASSERT_EQ(x.basePrice, y.basePrice);
    ASSERT_EQ(x.floatShares, y.floatShares);
    ASSERT_EQ(x.concepts, y.concepts);
  }
  size_t differentNames = 0;
  for (size_t i = 0; i < std::min(a.Securities().size(), c.Securities().size()); ++i) {
    differentNames += a.Securities()[i].name != c.Securities()[i].name;
  }
  EXPECT_GT(differentNames, a.Securities().size() / 2);
}

TEST(UniverseTest, EveryGroupHasItsCountMarketAndCodeRange) {
  struct Expected {
    SecurityGroup group;
    uint32_t market;
    uint32_t firstCode;
    uint32_t lastCode;
    size_t count;
  };
  const Expected table[] = {
      {SecurityGroup::kShIndex, 1, 1, 999, 5},
      {SecurityGroup::kSzIndex, 2, 399001, 399999, 4},
      {SecurityGroup::kShShare, 1, 600000, 603999, 240},
      {SecurityGroup::kStarShare, 1, 688001, 688099, 20},
      {SecurityGroup::kSzMainShare, 2, 1, 1999, 100},
      {SecurityGroup::kSmeShare, 2, 2001, 2999, 60},
      {SecurityGroup::kChiNextShare, 2, 300001, 300999, 80},
      {SecurityGroup::kShBShare, 1, 900901, 900999, 5},
      {SecurityGroup::kSzBShare, 2, 200002, 200999, 5},
      {SecurityGroup::kShFund, 1, 510000, 510999, 2},
      {SecurityGroup::kSzFund, 2, 159000, 159999, 1},
      {SecurityGroup::kShBond, 1, 10107, 10999, 20},
      {SecurityGroup::kSzBond, 2, 111001, 111999, 20},
      {SecurityGroup::kIndustrySector, 4, 880001, 880028, 28},
      {SecurityGroup::kRegionSector, 4, 881001, 881031, 31},
      {SecurityGroup::kConceptSector, 4, 882001, 882020, 20},
  };
  for (uint64_t seed : {1ull, 20050104ull, 0xFFFFFFFFFFFFFFFFull}) {
    const Universe universe(seed);
    size_t total = 0;
    for (const Expected& expected : table) {
      SCOPED_TRACE(::testing::Message() << "seed " << seed << " group " << static_cast<int>(expected.group));
      const std::vector<const Security*> members = universe.OfGroup(expected.group);
      EXPECT_EQ(members.size(), expected.count);
      total += members.size();
      uint32_t previous = 0;
      for (const Security* security : members) {
        EXPECT_EQ(StockMarket(security->id), expected.market);
        EXPECT_GE(StockCode(security->id), expected.firstCode);
        EXPECT_LE(StockCode(security->id), expected.lastCode);
        if (!IsIndexGroup(expected.group)) {
          EXPECT_GT(StockCode(security->id), previous) << "codes ascend without repeats";
        }
        previous = StockCode(security->id);
      }
    }
    EXPECT_EQ(total, universe.Securities().size());
  }
}

TEST(UniverseTest, NamesAreShortWholeGbkUniqueAndOnlyFundsSayEtf) {
  for (uint64_t seed : {1ull, 2ull, 3ull, 20050104ull}) {
    const Universe universe(seed);
    std::set<std::string> names;
    std::set<StockId> ids;
    for (const Security& security : universe.Securities()) {
      SCOPED_TRACE(::testing::Message() << "seed " << seed << " id " << security.id << " "
                                        << kiv::GbkToUtf8(security.name));
      EXPECT_FALSE(security.name.empty());
      EXPECT_LE(security.name.size(), 13u);
      EXPECT_TRUE(IsWholeGbk(security.name));
      EXPECT_EQ(kiv::GbkToUtf8(security.name).find("\xEF\xBF\xBD"), std::string::npos) << "no unmapped bytes";
      EXPECT_EQ(security.name.find('?'), std::string::npos) << "every character has a GBK code";
      const bool isFund = security.group == SecurityGroup::kShFund || security.group == SecurityGroup::kSzFund;
      EXPECT_EQ(security.name.find('E') != std::string::npos, isFund);
      EXPECT_TRUE(names.insert(security.name).second) << "names are unique";
      EXPECT_TRUE(ids.insert(security.id).second) << "ids are unique";
    }
  }
}

TEST(UniverseTest, KnownIndicesAndSectorsCarryTheirNames) {
  const Universe universe(20050104);
  struct Named {
    StockId id;
    const char* utf8;
  };
  const Named table[] = {
      {MakeStockId(1, 1), u8"上证指数"},      {MakeStockId(300, 1), u8"沪深300"},
      {MakeStockId(399001, 2), u8"深证成指"}, {MakeStockId(399006, 2), u8"创业板指"},
      {MakeStockId(510050, 1), u8"50ETF"},     {MakeStockId(159915, 2), u8"创业板ETF"},
      {MakeStockId(880001, 4), u8"银行"},       {MakeStockId(881008, 4), u8"黑龙江板块"},
      {MakeStockId(882004, 4), u8"5G概念"},
  };
  for (const Named& named : table) {
    const Security* security = universe.Find(named.id);
    ASSERT_NE(security, nullptr) << named.id;
    EXPECT_EQ(kiv::GbkToUtf8(security->name), named.utf8);
  }
}

TEST(UniverseTest, FindFillsAMissingMarketFromTheCode) {
  const Universe universe(5);
  // Bare 000001 is Shenzhen by the terminal's rule, and must be a share.
  const Security* share = universe.Find(MakeStockId(1, 0));
  ASSERT_NE(share, nullptr);
  EXPECT_EQ(share->id, MakeStockId(1, 2));
  EXPECT_EQ(share->group, SecurityGroup::kSzMainShare);
  ASSERT_NE(universe.Find(MakeStockId(600000, 0)), nullptr);
  EXPECT_EQ(universe.Find(MakeStockId(600000, 0))->id, MakeStockId(600000, 1));
  EXPECT_EQ(universe.Find(MakeStockId(600000, 2)), nullptr) << "a wrong market is not corrected";
  EXPECT_EQ(universe.Find(MakeStockId(880001, 3)), nullptr);
}

TEST(UniverseTest, SharesHaveSaneStaticAttributes) {
  const Universe universe(11);
  size_t special = 0, shares = 0;
  for (const Security& security : universe.Securities()) {
    if (!IsAShareGroup(security.group)) continue;
    ++shares;
    special += security.special;
    SCOPED_TRACE(security.id);
    EXPECT_GE(security.basePrice, 2 * 10000);
    EXPECT_LE(security.basePrice, 80 * 10000);
    EXPECT_GT(security.floatShares, 0);
    EXPECT_LE(security.floatShares, security.totalShares);
    EXPECT_GE(security.industry, 0);
    EXPECT_LT(security.industry, kIndustryCount);
    EXPECT_LE(security.concepts.size(), 3u);
    EXPECT_GE(security.listDate, 19910101);
    const int expectedLimit = security.group == SecurityGroup::kStarShare || security.group == SecurityGroup::kChiNextShare
                                  ? 20
                                  : security.special ? 5 : 10;
    EXPECT_EQ(security.dailyLimitPercent, expectedLimit);
    const bool stName = security.name.rfind("ST", 0) == 0 || security.name.rfind("*ST", 0) == 0;
    EXPECT_EQ(stName, security.special);
  }
  EXPECT_GT(special, 0u);
  EXPECT_LT(special, shares / 10);
}

TEST(MarketTimeTest, ParsesBeijingTimeAndRefusesWhatIsNoInstant) {
  EXPECT_EQ(ParseBeijingTime("1970-01-01 08:00:00"), std::optional<int64_t>(0));
  EXPECT_EQ(ParseBeijingTime("2024-02-29 09:30:00"), std::optional<int64_t>(1709170200));
  EXPECT_EQ(BeijingTime(2024, 2, 29, 9, 30, 0), 1709170200);
  for (const char* bad : {"", "2024-02-30 09:30:00", "2023-02-29 09:30:00", "2024-13-01 00:00:00",
                          "2024-01-01 24:00:00", "2024-01-01 09:60:00", "2024-1-01 09:30:00",
                          "2024-01-01T09:30:00", "2024-01-01 09:30:00 ", "1969-12-31 23:59:59",
                          "abcd-ef-gh ij:kl:mn"}) {
    EXPECT_FALSE(ParseBeijingTime(bad).has_value()) << bad;
  }
}

TEST(MarketTimeTest, FormatsAndSplitsWhatItParses) {
  for (const char* text : {"2005-01-04 09:15:00", "2026-12-31 23:59:59", "2000-02-29 12:00:01"}) {
    const std::optional<int64_t> instant = ParseBeijingTime(text);
    ASSERT_TRUE(instant.has_value()) << text;
    EXPECT_EQ(FormatBeijingTime(*instant), text);
  }
  const BeijingDateTime monday = ToBeijing(BeijingTime(2026, 3, 16, 10, 30, 0));
  EXPECT_EQ(monday.weekday, 1);
  EXPECT_EQ(monday.hour, 10);
  EXPECT_EQ(ToBeijing(BeijingTime(1969, 12, 31, 12, 0, 0)).day, 31) << "before 1970 too";
}

}  // namespace
}  // namespace kiv::standin
