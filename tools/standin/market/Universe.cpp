#include "tools/standin/market/Universe.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/sys/CodePage.h"
#include "tools/standin/market/Hash.h"
#include "tools/standin/market/MarketTime.h"

namespace kiv::standin {

namespace {

// Name parts, UTF-8 in the source and GBK once converted. Every character is
// a common one, so that its two GBK bytes both lie in 0xA1-0xFE.
const char* const kHeads[] = {
    u8"华", u8"中", u8"东", u8"南", u8"西", u8"北", u8"金", u8"海", u8"天", u8"长",
    u8"新", u8"宏", u8"恒", u8"安", u8"泰", u8"光", u8"明", u8"信", u8"达", u8"鑫",
    u8"盛", u8"隆", u8"兴", u8"通", u8"远", u8"嘉", u8"瑞", u8"祥", u8"丰", u8"和",
    u8"华夏", u8"东方", u8"南方", u8"长江", u8"黄河", u8"中原", u8"三峡", u8"滨海", u8"江南", u8"银河",
    u8"宝山", u8"泰山", u8"昆仑", u8"星海", u8"中天", u8"国安", u8"永安", u8"广汇", u8"春晖", u8"新城",
};
const char* const kTails[] = {
    u8"电气", u8"能源", u8"药业", u8"材料", u8"化工", u8"钢铁", u8"通信", u8"科技", u8"电子", u8"股份",
    u8"控股", u8"实业", u8"集团", u8"重工", u8"机械", u8"汽车", u8"地产", u8"银行", u8"证券", u8"食品",
    u8"酒业", u8"传媒", u8"环保", u8"物流", u8"港口", u8"航空", u8"电力", u8"水务", u8"医疗", u8"生物",
    u8"矿业", u8"纺织", u8"建设", u8"农业", u8"软件", u8"光电", u8"新材", u8"精工", u8"智能", u8"置业",
    u8"电", u8"药", u8"钢", u8"能", u8"通", u8"科", u8"信", u8"化", u8"航", u8"港",
};

const char* const kIndustries[kIndustryCount] = {
    u8"银行", u8"证券", u8"保险", u8"房地产", u8"钢铁", u8"煤炭", u8"有色金属", u8"化工",
    u8"石油", u8"电力", u8"汽车", u8"机械", u8"电子", u8"通信", u8"计算机", u8"医药",
    u8"食品饮料", u8"家用电器", u8"纺织服装", u8"建筑", u8"建材", u8"交通运输", u8"农林牧渔", u8"传媒",
    u8"商贸零售", u8"国防军工", u8"环保", u8"公用事业",
};
const char* const kRegions[kRegionCount] = {
    u8"北京", u8"天津", u8"河北", u8"山西", u8"内蒙古", u8"辽宁", u8"吉林", u8"黑龙江",
    u8"上海", u8"江苏", u8"浙江", u8"安徽", u8"福建", u8"江西", u8"山东", u8"河南",
    u8"湖北", u8"湖南", u8"广东", u8"广西", u8"海南", u8"重庆", u8"四川", u8"贵州",
    u8"云南", u8"西藏", u8"陕西", u8"甘肃", u8"青海", u8"宁夏", u8"新疆",
};
const char* const kConcepts[kConceptCount] = {
    u8"人工智能", u8"新能源车", u8"芯片", u8"5G概念", u8"锂电池", u8"光伏", u8"云计算",
    u8"大数据", u8"区块链", u8"物联网", u8"军民融合", u8"国企改革", u8"一带一路", u8"医疗器械",
    u8"消费电子", u8"特高压", u8"氢能源", u8"储能", u8"数字货币", u8"网络安全",
};

struct IndexEntry {
  uint32_t market;
  uint32_t code;
  const char* nameUtf8;
  SecurityGroup group;
};
const IndexEntry kIndices[] = {
    {kMarketShanghai, 1, u8"上证指数", SecurityGroup::kShIndex},
    {kMarketShanghai, 300, u8"沪深300", SecurityGroup::kShIndex},
    {kMarketShanghai, 16, u8"上证50", SecurityGroup::kShIndex},
    {kMarketShanghai, 905, u8"中证500", SecurityGroup::kShIndex},
    {kMarketShanghai, 688, u8"科创50", SecurityGroup::kShIndex},
    {kMarketShenzhen, 399001, u8"深证成指", SecurityGroup::kSzIndex},
    {kMarketShenzhen, 399005, u8"中小板指", SecurityGroup::kSzIndex},
    {kMarketShenzhen, 399006, u8"创业板指", SecurityGroup::kSzIndex},
    {kMarketShenzhen, 399106, u8"深证综指", SecurityGroup::kSzIndex},
};

std::string Gbk(const char* utf8) { return kiv::Utf8ToGbk(utf8); }

template <size_t N>
const char* Pick(const char* const (&list)[N], uint64_t h) {
  return list[h % N];
}

// A weekday (Monday-Friday) between two dates, as yyyymmdd.
int32_t HashedWeekday(uint64_t h, int firstYear, int firstMonth, int firstDay, int lastYear) {
  const int64_t first = DaysFromCivil(firstYear, firstMonth, firstDay);
  const int64_t last = DaysFromCivil(lastYear, 12, 31);
  int64_t day = UniformInt(h, first, last);
  BeijingDateTime t = ToBeijing(day * 86400);
  while (t.weekday == 0 || t.weekday == 6) {
    ++day;
    t = ToBeijing(day * 86400);
  }
  return t.year * 10000 + t.month * 100 + t.day;
}

}  // namespace

bool IsIndexGroup(SecurityGroup group) {
  return group == SecurityGroup::kShIndex || group == SecurityGroup::kSzIndex;
}

bool IsAShareGroup(SecurityGroup group) {
  switch (group) {
    case SecurityGroup::kShShare:
    case SecurityGroup::kStarShare:
    case SecurityGroup::kSzMainShare:
    case SecurityGroup::kSmeShare:
    case SecurityGroup::kChiNextShare:
      return true;
    default:
      return false;
  }
}

bool IsSectorGroup(SecurityGroup group) {
  return group == SecurityGroup::kIndustrySector || group == SecurityGroup::kRegionSector ||
         group == SecurityGroup::kConceptSector;
}

Universe::Universe(uint64_t seed) : seed_(seed) {
  AddIndices();
  AddShares(SecurityGroup::kShShare, kMarketShanghai, 600000, 603999, 240, {600000});
  AddShares(SecurityGroup::kStarShare, kMarketShanghai, 688001, 688099, 20, {});
  AddShares(SecurityGroup::kSzMainShare, kMarketShenzhen, 1, 1999, 100, {1, 2});
  AddShares(SecurityGroup::kSmeShare, kMarketShenzhen, 2001, 2999, 60, {});
  AddShares(SecurityGroup::kChiNextShare, kMarketShenzhen, 300001, 300999, 80, {300750});
  AddBShares(SecurityGroup::kShBShare, kMarketShanghai, 900901);
  AddBShares(SecurityGroup::kSzBShare, kMarketShenzhen, 200002);
  AddFunds();
  AddBonds(SecurityGroup::kShBond, kMarketShanghai, 10107, u8"国债");
  AddBonds(SecurityGroup::kSzBond, kMarketShenzhen, 111001, u8"企债");
  AddSectors();
}

const Security* Universe::Find(StockId id) const {
  FillMissingMarket(&id);
  auto found = byId_.find(id);
  return found == byId_.end() ? nullptr : &securities_[found->second];
}

std::vector<const Security*> Universe::OfGroup(SecurityGroup group) const {
  std::vector<const Security*> out;
  for (const Security& security : securities_) {
    if (security.group == group) out.push_back(&security);
  }
  return out;
}

std::vector<const Security*> Universe::SectorMembers(StockId sector) const {
  std::vector<const Security*> out;
  const Security* s = Find(sector);
  if (s == nullptr || !IsSectorGroup(s->group)) return out;
  const int k = s->sectorIndex;
  for (const Security& share : securities_) {
    const bool member = s->group == SecurityGroup::kIndustrySector ? share.industry == k
                        : s->group == SecurityGroup::kRegionSector
                            ? share.region == k
                            : std::find(share.concepts.begin(), share.concepts.end(), k) != share.concepts.end();
    if (member) out.push_back(&share);
  }
  std::sort(out.begin(), out.end(), [](const Security* a, const Security* b) {
    return StockCode(a->id) != StockCode(b->id) ? StockCode(a->id) < StockCode(b->id) : a->id < b->id;
  });
  return out;
}

void Universe::Append(Security security) {
  byId_.emplace(security.id, securities_.size());
  byName_.emplace(security.name, security.id);
  securities_.push_back(std::move(security));
}

void Universe::AddIndices() {
  for (const IndexEntry& entry : kIndices) {
    Security index;
    index.id = MakeStockId(entry.code, entry.market);
    index.group = entry.group;
    index.name = Gbk(entry.nameUtf8);
    Append(std::move(index));
  }
}

std::string ShareNameFromHash(uint64_t h) {
  // Two to four characters: a head of one or two, a tail of one or two.
  return Gbk(Pick(kHeads, h)) + Gbk(Pick(kTails, Mix64(h)));
}

std::string Universe::UniqueShareName(StockId id, const std::string& suffix) {
  // Collisions are resolved by hashing again with the next attempt number,
  // so a name depends only on the seed and the codes listed before it.
  for (uint64_t attempt = 0;; ++attempt) {
    std::string name = ShareNameFromHash(Hash(seed_, HashKind::kName, id, 0, 0, attempt));
    name += suffix;
    if (byName_.find(name) == byName_.end()) return name;
  }
}

void Universe::AssignShareAttributes(Security& security) {
  const uint32_t code = StockCode(security.id);
  auto attribute = [&](uint64_t index) { return Hash(seed_, HashKind::kAttribute, security.id, 0, 0, index); };

  security.industry = static_cast<int>(attribute(1) % kIndustryCount);
  security.region = static_cast<int>(attribute(2) % kRegionCount);
  const int conceptCount = static_cast<int>(attribute(3) % 4);
  for (uint64_t i = 0; static_cast<int>(security.concepts.size()) < conceptCount; ++i) {
    const int concept = static_cast<int>(attribute(100 + i) % kConceptCount);
    if (std::find(security.concepts.begin(), security.concepts.end(), concept) == security.concepts.end()) {
      security.concepts.push_back(concept);
    }
  }
  std::sort(security.concepts.begin(), security.concepts.end());

  switch (security.group) {
    case SecurityGroup::kStarShare:
      security.listDate = HashedWeekday(attribute(4), 2019, 7, 22, 2023);
      break;
    case SecurityGroup::kChiNextShare:
      security.listDate = HashedWeekday(attribute(4), 2009, 10, 30, 2022);
      break;
    case SecurityGroup::kSmeShare:
      security.listDate = HashedWeekday(attribute(4), 2004, 6, 25, 2020);
      break;
    case SecurityGroup::kShBShare:
    case SecurityGroup::kSzBShare:
      security.listDate = HashedWeekday(attribute(4), 1992, 2, 21, 2000);
      break;
    default:
      security.listDate = HashedWeekday(attribute(4), 1991, 1, 2, 2018);
      break;
  }

  // Base price 2-80 yuan, denser at the low end as real boards are.
  const double price = 2.0 * std::pow(40.0, UnitInterval(attribute(5)));
  security.basePrice = static_cast<int32_t>(std::lround(price * 100.0)) * 100;
  // Total shares 100 million to 5 billion, log-uniform; 40-100 % of them float.
  security.totalShares =
      static_cast<int64_t>(1e8 * std::pow(50.0, UnitInterval(attribute(6)))) / 100 * 100;
  security.floatShares =
      static_cast<int64_t>(security.totalShares * (0.4 + 0.6 * UnitInterval(attribute(7)))) / 100 * 100;
  security.beta = 0.6 + 0.9 * UnitInterval(attribute(8));
  security.volatility = 0.01 + 0.03 * UnitInterval(attribute(9));
  const bool wideLimit = (code >= 688000 && code <= 688999) || (code >= 300000 && code <= 300999);
  security.dailyLimitPercent = wideLimit ? 20 : (security.special ? 5 : 10);
}

void Universe::AddShares(SecurityGroup group, uint32_t market, uint32_t first, uint32_t last,
                         size_t count, const std::vector<uint32_t>& required) {
  // The listed codes: the required ones, then the codes of the range in the
  // order of their hash, until count are chosen; listed ascending.
  std::vector<std::pair<uint64_t, uint32_t>> candidates;
  for (uint32_t code = first; code <= last; ++code) {
    candidates.emplace_back(Hash(seed_, HashKind::kCodePick, MakeStockId(code, market)), code);
  }
  std::sort(candidates.begin(), candidates.end());
  std::vector<uint32_t> codes(required);
  for (const auto& candidate : candidates) {
    if (codes.size() >= count) break;
    if (std::find(codes.begin(), codes.end(), candidate.second) == codes.end()) {
      codes.push_back(candidate.second);
    }
  }
  std::sort(codes.begin(), codes.end());

  const bool mayBeSpecial = group != SecurityGroup::kStarShare && group != SecurityGroup::kChiNextShare;
  for (uint32_t code : codes) {
    Security share;
    share.id = MakeStockId(code, market);
    share.group = group;
    const uint64_t special = Hash(seed_, HashKind::kNameSpecial, share.id);
    share.special = mayBeSpecial && special % 100 < 5;
    const std::string prefix = !share.special ? "" : (special & 0x100) ? "*ST" : "ST";
    share.name = prefix + UniqueShareName(share.id, "");
    AssignShareAttributes(share);
    byName_.emplace(share.name.substr(prefix.size()), share.id);  // "ST" never frees a name
    Append(std::move(share));
  }
}

void Universe::AddBShares(SecurityGroup group, uint32_t market, uint32_t firstCode) {
  for (uint32_t i = 0; i < 5; ++i) {
    Security share;
    share.id = MakeStockId(firstCode + i, market);
    share.group = group;
    share.priceDecimals = 3;
    share.name = UniqueShareName(share.id, "B");
    AssignShareAttributes(share);
    Append(std::move(share));
  }
}

void Universe::AddFunds() {
  struct FundEntry {
    uint32_t market;
    uint32_t code;
    const char* nameUtf8;
    SecurityGroup group;
  };
  static const FundEntry kFunds[] = {
      {kMarketShanghai, 510050, u8"50ETF", SecurityGroup::kShFund},
      {kMarketShanghai, 510300, u8"300ETF", SecurityGroup::kShFund},
      {kMarketShenzhen, 159915, u8"创业板ETF", SecurityGroup::kSzFund},
  };
  for (const FundEntry& entry : kFunds) {
    Security fund;
    fund.id = MakeStockId(entry.code, entry.market);
    fund.group = entry.group;
    fund.priceDecimals = 3;
    fund.name = Gbk(entry.nameUtf8);
    Append(std::move(fund));
  }
}

void Universe::AddBonds(SecurityGroup group, uint32_t market, uint32_t firstCode, const char* prefixUtf8) {
  for (uint32_t i = 0; i < 20; ++i) {
    const uint32_t code = firstCode + i;
    char digits[8];
    std::snprintf(digits, sizeof(digits), "%04u", code % 10000);
    Security bond;
    bond.id = MakeStockId(code, market);
    bond.group = group;
    bond.name = Gbk(prefixUtf8) + digits;
    Append(std::move(bond));
  }
}

void Universe::AddSectors() {
  auto add = [this](SecurityGroup group, uint32_t firstCode, int index, std::string name) {
    Security sector;
    sector.id = MakeStockId(firstCode + static_cast<uint32_t>(index), kMarketFourthBoard);
    sector.group = group;
    sector.sectorIndex = index;
    sector.name = std::move(name);
    Append(std::move(sector));
  };
  for (int i = 0; i < kIndustryCount; ++i) {
    add(SecurityGroup::kIndustrySector, 880001, i, Gbk(kIndustries[i]));
  }
  for (int i = 0; i < kRegionCount; ++i) {
    add(SecurityGroup::kRegionSector, 881001, i, Gbk(kRegions[i]) + Gbk(u8"板块"));
  }
  for (int i = 0; i < kConceptCount; ++i) {
    add(SecurityGroup::kConceptSector, 882001, i, Gbk(kConcepts[i]));
  }
}

}  // namespace kiv::standin
