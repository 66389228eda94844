#include "chart/engine/KLineHolderMarks.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

namespace kiv {

TradeMarkTable g_TradeMarkTable;

void KLineHolderMarks::Add(const TradeMark& mark) {
  if (mark.kind == 1) {
    state_ = state_ == kNone ? kBuyOnly : (state_ == kSellOnly ? kBoth : state_);
  } else if (mark.kind == 2) {
    state_ = state_ == kNone ? kSellOnly : (state_ == kBuyOnly ? kBoth : state_);
  }
  marks_.push_back(mark);
}

void KLineHolderMarks::Destroy() {
  marks_.clear();
  state_ = kNone;
}

void KLineHolderMarks::FillFromTable(StockId stock, std::list<TradeMark>& out) {
  out = g_TradeMarkTable.Get(stock);
}

void TradeMarkTable::Set(StockId stock, std::list<TradeMark> marks) {
  std::lock_guard<std::mutex> lock(mutex_);
  marks_[stock] = std::move(marks);
}

void TradeMarkTable::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  marks_.clear();
}

std::list<TradeMark> TradeMarkTable::Get(StockId stock) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = marks_.find(stock);
  return found == marks_.end() ? std::list<TradeMark>() : found->second;
}

int LocalDateOf(int64_t time) {
  const time_t t = static_cast<time_t>(time);
  struct tm local;
  if (!localtime_r(&t, &local)) return 0;
  return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

namespace {

// "YYYY-MM-DD" (digits split at the two '-') as yyyymmdd; 0 when malformed.
int ParseChangeDate(const char* text) {
  if (!text) return 0;
  int year = 0, month = 0, day = 0, used = 0;
  if (std::sscanf(text, "%4d-%2d-%2d%n", &year, &month, &day, &used) != 3 || text[used] != '\0') return 0;
  if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31) return 0;
  return year * 10000 + month * 100 + day;
}

// A whole signed decimal number.
bool ParseChangeCount(const char* text, long long& out) {
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtoll(text, &end, 10);
  return errno == 0 && end != text && *end == '\0';
}

const char* Text(const char* slot) { return slot ? slot : ""; }

}  // namespace

int BuildHolderTexts(CKLineSeries* series, const StringRecord15* records, int count) {
  if (!series || !records || count < 1 || series->GetCount() < 1) return 0;
  int attached = 0;
  int r = 0;
  for (int bar = series->GetCount() - 1; bar >= 0 && r < count; --bar) {
    const int barDate = LocalDateOf(series->Bar(bar).time);
    // Records of later dates have no bar here (or did not parse): skipped,
    // so that they never hide the older records behind them.
    while (r < count && ParseChangeDate(records[r].slot[4]) > barDate) ++r;
    for (; r < count; ++r) {
      const int date = ParseChangeDate(records[r].slot[4]);
      if (date == 0) continue;  // an unreadable date matches no bar
      if (date != barDate) break;
      long long shares = 0;
      if (!ParseChangeCount(records[r].slot[5], shares)) continue;
      std::string text;
      if (const char* old = series->HolderText(bar)) {
        text = old;
      } else {
        char head[64];
        std::snprintf(head, sizeof(head), "%d年%d月%d日", date / 10000, date / 100 % 100, date % 100);
        text = head;
      }
      char amount[48];
      std::snprintf(amount, sizeof(amount), "%lld股", shares < 0 ? -shares : shares);
      text += "\n";
      text += Text(records[r].slot[11]);
      text += " ";
      text += Text(records[r].slot[10]);
      text += shares >= 1 ? ", 增持" : ", 减持";
      text += amount;
      auto copy = std::make_unique<char[]>(text.size() + 1);
      std::memcpy(copy.get(), text.c_str(), text.size() + 1);
      series->SetHolderText(bar, std::move(copy));
      ++attached;
    }
  }
  return attached;
}

namespace {

int Nibble0(uint32_t flags) { return static_cast<int>(flags & 0xFu); }

// The bar whose confirmation nibble a mark on bar j sets: j itself when its
// signal is the mark's own crossing, the nearest earlier crossing when the
// bar is in the state that follows one, else the nearest later crossing.
int ConfirmedBar(const CKLineSeries& series, int j, int crossing, int following) {
  const int state = Nibble0(series.Flags(j));
  if (state == crossing) return j;
  if (state == following) {
    for (int k = j - 1; k >= 0; --k) {
      if (Nibble0(series.Flags(k)) == crossing) return k;
    }
    return -1;
  }
  for (int k = j + 1; k < series.GetCount(); ++k) {
    if (Nibble0(series.Flags(k)) == crossing) return k;
  }
  return -1;
}

}  // namespace

bool BuildHolderMarks(CKLineSeries* series, StockId stock) {
  std::list<TradeMark> marks;
  KLineHolderMarks::FillFromTable(stock, marks);
  if (marks.empty() || !series) return false;
  const int n = series->GetCount();
  for (int i = 0; i < n; ++i) series->SetHolderMarks(i, nullptr);
  int start = 0;
  for (const TradeMark& mark : marks) {
    const int date = LocalDateOf(mark.time);
    int j = start;
    while (j < n && LocalDateOf(series->Bar(j).time) != date) ++j;
    if (j >= n) continue;
    start = j;
    auto* holder = static_cast<KLineHolderMarks*>(series->HolderMarks(j));
    if (!holder) {
      series->SetHolderMarks(j, std::make_unique<KLineHolderMarks>());
      holder = static_cast<KLineHolderMarks*>(series->HolderMarks(j));
    }
    holder->Add(mark);
    const bool buy = mark.kind == 1;
    const int confirmed = ConfirmedBar(*series, j, buy ? 1 : 3, buy ? 4 : 2);
    if (confirmed >= 0) {
      uint32_t& word = series->SpareWord(confirmed);
      word = (word & ~0xFu) | (buy ? 1u : 3u);
    }
  }
  return true;
}

}  // namespace kiv
