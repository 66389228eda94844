#include "shell/StockSearch.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "net/StockId.h"

namespace {

// A name is at most 15 bytes and NUL-terminated; a record from elsewhere
// that lacks the NUL is read no further than its field.
int SearchNameLength(const StockRecord& record) {
  return static_cast<int>(strnlen(record.name, sizeof record.name));
}

const char* SearchMarketPrefix(uint32_t market) {
  switch (market) {
    case kMarketShanghai: return "SH";
    case kMarketShenzhen: return "SZ";
    case kMarketThirdBoard: return "SB";
    default: return "ZD";
  }
}

}  // namespace

const std::vector<StockSearch::Shortcut>& StockSearch::Shortcuts() {
  static const std::vector<Shortcut> shortcuts = {
      {"03", "上证指数"},         {"04", "深证成指"},         {"05", "类型切换"},
      {"06", "自选股"},           {"10", "F10数据"},          {"31", "板块涨跌幅排行"},
      {"60", "沪深股票涨跌幅排行"}, {"67", "沪深股票涨跌幅排行"}, {"61", "上证A股涨跌幅排行"},
      {"63", "深圳A股涨跌幅排行"},
  };
  return shortcuts;
}

std::string StockSearch::ShortcutRow(const Shortcut& shortcut) {
  return std::string(shortcut.key) + " " + shortcut.caption;
}

int StockSearch::SortKey(const StockRecord& record) {
  const int32_t code = static_cast<int32_t>(StockCode(record.id));
  const uint32_t market = StockMarket(record.id);
  const int32_t securityClass = ClassifyCode(code);
  int group = kOtherGroup;
  if (securityClass == 0 || securityClass == 1 || securityClass == 5 ||
      (market == kMarketShenzhen && (securityClass == 4 || securityClass == 9 || securityClass == 10))) {
    group = kShareGroup;
  } else if (securityClass == 4 || code / 1000 == 399) {
    group = kIndexGroup;
  }
  return group * 65536 + SearchNameLength(record);
}

void StockSearch::ShortcutRows(const std::string& typed, std::vector<std::string>& rows) const {
  if (typed == ".") {
    for (const Shortcut& s : Shortcuts()) rows.push_back(ShortcutRow(s));
    return;
  }
  if (typed.empty() || typed[0] < '0' || typed[0] > '9') return;
  for (const Shortcut& s : Shortcuts()) {
    if (std::strstr(s.key, typed.c_str())) rows.push_back(ShortcutRow(s));
  }
}

void StockSearch::MatchSecurities(const std::string& typed, std::vector<Hit>& hits) const {
  hits.clear();
  if (typed.empty()) return;
  const int typedLength = static_cast<int>(std::min<size_t>(typed.size(), 0x7FFFFFFF));
  for (size_t i = 0; i < securities_.size(); ++i) {
    const StockRecord& record = securities_[i];
    const int code = static_cast<int>(StockCode(record.id));
    if (spell_.Match(record.name, SearchNameLength(record), code, typed.data(), typedLength) == CRomSpell::kNoMatch) {
      continue;
    }
    hits.push_back(Hit{static_cast<int>(i), SortKey(record)});
  }
}

void StockSearch::SortHits(std::vector<Hit>& hits) {
  std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.sortKey < b.sortKey; });
}

std::string StockSearch::SecurityRow(const Hit& hit) const {
  const StockRecord& record = securities_[static_cast<size_t>(hit.index)];
  char row[64];
  std::snprintf(row, sizeof row, "%s%06u %.*s", SearchMarketPrefix(StockMarket(record.id)), StockCode(record.id),
                SearchNameLength(record), record.name);
  return row;
}

std::vector<std::string> StockSearch::Rows(const std::string& typed) const {
  std::vector<std::string> rows;
  if (typed.empty()) return rows;
  ShortcutRows(typed, rows);
  if (typed == ".") return rows;
  std::vector<Hit> hits;
  MatchSecurities(typed, hits);
  SortHits(hits);
  rows.reserve(rows.size() + hits.size());
  for (const Hit& hit : hits) rows.push_back(SecurityRow(hit));
  return rows;
}
