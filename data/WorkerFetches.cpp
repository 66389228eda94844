#include "data/WorkerFetches.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "data/HttpClient.h"
#include "data/KIVContentParser.h"
#include "data/TextConvert.h"
#include "net/KivMessages.h"

namespace kiv {

const char* const kJgHoldChangePath =
    "/KivStockWcf/KivStockWcf.StockServiceToWeb.svc/GetJgHoldChangeToString?size=200&index=1&jgtype=1&season=2009&"
    "client=2";
const char* const kDealPublicInfoPath =
    "/KivStockWcf/KivStockWcf.StockServiceToWeb.svc/GetDealPublicInfoToString?size=200&index=1&stockType=1&"
    "marketType=1&client=2";
const char* const kStockNewsPath = "/KivStockWcf/KivStockWcf.StockServiceToWeb.svc/GetStockNewsListToString?count=20";

namespace {

const char* const kHolderKeys[] = {
    "\"stockid\":\"",    "\"stockname\":\"", "\"changename\":\"", "\"changedate\":\"", "\"changecount\":\"",
    "\"avgprice\":\"",   "\"changereason\":\"", "\"changeper\":\"", "\"savecount\":\"",  "\"djgname\":\"",
    "\"djgduty\":\"",    "\"djgrelation\":\"", "\"markettype\":\""};
const int kHolderSlots[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14};

// The bytes every record's keys take at least: no text shorter than
// count records of them can hold the count it announces.
size_t MinimumRecordBytes() {
  size_t total = 0;
  for (const char* key : kHolderKeys) total += std::strlen(key);
  return total;
}

void PostPlain(HWND hwnd, UINT msg) { PostMessage(hwnd, msg, 0, 0); }

// UTF-8 to the ANSI code page, as the services send UTF-8.
std::string PrepareText(const std::string& text) {
  std::vector<char> buffer(text.size() * 2 + 2, 0);
  std::memcpy(buffer.data(), text.data(), text.size());
  Utf8ToAnsiInPlace(buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

bool GetText(const std::string& url, std::string& text) {
  DWORD error = 0;
  return HttpGetText(url, nullptr, text, error) != 0;
}

}  // namespace

StringRecord12::StringRecord12() { std::memset(slot, 0, sizeof(slot)); }
StringRecord12::~StringRecord12() {
  for (char*& s : slot) {
    std::free(s);
    s = nullptr;
  }
}
StringRecord15::StringRecord15() { std::memset(slot, 0, sizeof(slot)); }
StringRecord15::~StringRecord15() {
  for (char*& s : slot) {
    std::free(s);
    s = nullptr;
  }
}

ParseResult ParseHolderChanges(const std::string& text, int maxCount, std::unique_ptr<StringRecord15[]>& out,
                               int& count) {
  static const std::string kSize = "\"NSize\":";
  const size_t at = text.find(kSize);
  if (at == std::string::npos) return ParseResult::kBad;
  const std::string rest = text.substr(at + kSize.size());
  const size_t comma = rest.find(',');
  if (comma == std::string::npos || comma < 1) return ParseResult::kBad;
  long announced = std::strtol(rest.substr(0, comma).c_str(), nullptr, 10);
  if (announced < 1) return ParseResult::kNone;
  // More records than asked for are not read; more than the text can hold
  // cannot all be there.
  if (announced > maxCount) announced = maxCount;
  if (static_cast<size_t>(announced) > rest.size() / MinimumRecordBytes()) return ParseResult::kBad;
  const int n = static_cast<int>(announced);
  std::unique_ptr<StringRecord15[]> records(new StringRecord15[n]);
  size_t pos = 0;
  for (int i = 0; i < n; ++i) {
    records[i].slot[0] = strdup(std::to_string(i + 1).c_str());
    for (size_t k = 0; k < sizeof(kHolderKeys) / sizeof(kHolderKeys[0]); ++k) {
      const size_t found = rest.find(kHolderKeys[k], pos);
      if (found == std::string::npos) return ParseResult::kBad;
      pos = found + std::strlen(kHolderKeys[k]);
      // The next key is searched from just after this one, not after its value.
      const size_t quote = rest.find('"', pos);
      if (quote != std::string::npos && quote > pos)
        records[i].slot[kHolderSlots[k]] = strdup(rest.substr(pos, quote - pos).c_str());
    }
  }
  out = std::move(records);
  count = n;
  return ParseResult::kRecords;
}

ParseResult ParseCaretRecords(const std::string& text, bool dropLastChar, std::unique_ptr<StringRecord12[]>& out,
                              int& count) {
  // A reply without the header mark holds no records.
  const size_t mark = text.find("^^^");
  if (mark == std::string::npos) return ParseResult::kNone;
  const std::string rest = text.substr(mark + 3);
  if (rest.empty()) return ParseResult::kNone;
  CKIVContentParser parser;
  parser.Split(PrepareText(rest), "^^");
  const int n = parser.GetCount();
  if (n < 1) return ParseResult::kNone;
  std::unique_ptr<StringRecord12[]> records(new StringRecord12[n]);
  for (int i = 0; i < n; ++i) {
    for (int k = 0; k < StringRecord12::kSlots; ++k) {
      std::string field = parser.GetField(i, k, "^");
      if (dropLastChar && i == n - 1 && k == StringRecord12::kSlots - 1 && !field.empty()) field.pop_back();
      records[i].slot[k] = strdup(field.c_str());
    }
  }
  out = std::move(records);
  count = n;
  return ParseResult::kRecords;
}

int FetchHolderChanges(HWND hwnd, StockId stock, const std::string& auxHost) {
  if (!IsWindow(hwnd)) return 0;
  const uint32_t market = StockMarket(stock);
  const uint32_t code = StockCode(stock);
  // Indices and boards without insider data.
  if (market == 4 || (market == 1 && code < 600000) || (market == 2 && code >= 399000)) {
    PostPlain(hwnd, WM_KIV_HOLDER_FETCH_ENDED);
    return 0;
  }
  char url[256];
  std::snprintf(url, sizeof(url), "http://%s/getdata&36865&&1&&0&&2000&&%06u&", auxHost.c_str(), code);
  std::string text;
  if (auxHost.empty() || !GetText(url, text) || text.empty()) {
    PostPlain(hwnd, WM_KIV_HOLDER_FETCH_ENDED);
    return -1;
  }
  std::unique_ptr<StringRecord15[]> records;
  int count = 0;
  switch (ParseHolderChanges(PrepareText(text), kHolderChangesOfStock, records, count)) {
    case ParseResult::kRecords:
      PostOwned(hwnd, WM_KIV_HOLDER_MARKS, std::move(records), count);
      return 0;
    case ParseResult::kNone:
      // No changes: the chart still learns that its marks are loaded.
      PostMessage(hwnd, WM_KIV_HOLDER_MARKS, 0, 0);
      return -1;
    case ParseResult::kBad:
    default:
      PostPlain(hwnd, WM_KIV_HOLDER_FETCH_ENDED);
      return -1;
  }
}

UINT FetchHolderChangesThread(void* param) {
  std::unique_ptr<HolderFetchJob> job(static_cast<HolderFetchJob*>(param));
  if (!job) return 0;
  return static_cast<UINT>(FetchHolderChanges(job->hwnd, job->stock, job->auxHost));
}

int FetchRecentHolderChanges(HWND hwnd, const std::string& auxHost, std::time_t now) {
  const std::time_t from = now - 5184000;
  std::tm a{}, b{};
  localtime_r(&from, &a);
  localtime_r(&now, &b);
  char url[256];
  std::snprintf(url, sizeof(url), "http://%s/getdata&36865&&4&&0&&200&&%04d-%02d-%02d&%04d-%02d-%02d&",
                auxHost.c_str(), a.tm_year + 1900, a.tm_mon + 1, a.tm_mday, b.tm_year + 1900, b.tm_mon + 1,
                b.tm_mday);
  std::string text;
  std::unique_ptr<StringRecord15[]> records;
  int count = 0;
  if (auxHost.empty() || !GetText(url, text) || text.empty() ||
      ParseHolderChanges(PrepareText(text), kRecentHolderChanges, records, count) != ParseResult::kRecords) {
    PostPlain(hwnd, WM_KIV_REQUEST_ENDED);
    return -1;
  }
  PostOwned(hwnd, WM_KIV_HOLDER_MARKS, std::move(records), count);
  return 0;
}

namespace {

int FetchCaretList(HWND hwnd, const std::string& webHost, const char* path, bool dropLastChar, UINT msg) {
  std::string text;
  std::unique_ptr<StringRecord12[]> records;
  int count = 0;
  if (!GetText("http://" + webHost + path, text) ||
      ParseCaretRecords(text, dropLastChar, records, count) != ParseResult::kRecords) {
    PostPlain(hwnd, WM_KIV_REQUEST_ENDED);
    return -1;
  }
  PostOwned(hwnd, msg, std::move(records), count);
  return 0;
}

}  // namespace

int FetchJgHoldChanges(HWND hwnd, const std::string& webHost) {
  return FetchCaretList(hwnd, webHost, kJgHoldChangePath, true, WM_KIV_JG_HOLD_CHANGES);
}

int FetchDealPublicInfo(HWND hwnd, const std::string& webHost) {
  return FetchCaretList(hwnd, webHost, kDealPublicInfoPath, false, WM_KIV_DEAL_PUBLIC_INFO);
}

int FetchStockNews(HWND hwnd, const std::string& webHost) {
  std::string text;
  if (!GetText("http://" + webHost + kStockNewsPath, text)) {
    PostPlain(hwnd, WM_KIV_REQUEST_FAILED);
    return -1;
  }
  std::unique_ptr<char[]> copy(new char[text.size() + 1]());
  std::memcpy(copy.get(), text.data(), text.size());
  PostOwned(hwnd, WM_KIV_NEWS_TEXT, std::move(copy), static_cast<LPARAM>(text.size()));
  return 0;
}

}  // namespace kiv
