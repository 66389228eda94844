// One-shot HTTP fetches that hand their records to a window by posting:
// insider shareholding changes (one stock, for the chart's marks; the last
// 60 days, for the insider-change list), institutional holding changes,
// public deal information and the news titles.
//
// Every fetch reports to a window only through its handle, and hands its
// records over with PostOwned: a window that is gone makes the post fail and
// the records are freed; a received array belongs to the window, which
// adopts it with AdoptPosted<StringRecord15[]> (or 12, or char[] for the
// news text); each element's destructor frees its texts.
//
// Results: 0 when the data was posted or there was nothing to do, -1 when
// the fetch failed (after posting the failure message its window expects).
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "net/StockId.h"
#include "platform/post/Posting.h"

namespace kiv {

// Twelve heap texts (strdup), field k of one caret-separated record.
struct StringRecord12 {
  static constexpr int kSlots = 12;
  StringRecord12();
  ~StringRecord12();
  StringRecord12(const StringRecord12&) = delete;
  StringRecord12& operator=(const StringRecord12&) = delete;
  char* slot[kSlots];
};

// Fifteen heap texts of one insider change: 0 number, 1 code, 2 name,
// 3 change name, 4 date, 5 count, 6 average price, 7 reason, 8 ratio,
// 9 holding after, 10 insider, 11 duty, 12 relation, 13 empty, 14 market.
struct StringRecord15 {
  static constexpr int kSlots = 15;
  StringRecord15();
  ~StringRecord15();
  StringRecord15(const StringRecord15&) = delete;
  StringRecord15& operator=(const StringRecord15&) = delete;
  char* slot[kSlots];
};

// Records asked for: one stock's changes, the list's 60 days.
constexpr int kHolderChangesOfStock = 2000;
constexpr int kRecentHolderChanges = 200;

enum class ParseResult { kRecords, kNone, kBad };

// Insider-change text (already in the ANSI code page). kRecords with the
// array and its count; kNone for a count below 1; kBad for a text without
// the count, or with fewer records than it announces. At most maxCount
// records are taken.
ParseResult ParseHolderChanges(const std::string& text, int maxCount, std::unique_ptr<StringRecord15[]>& out,
                               int& count);

// A caret text: a header, "^^^", then records joined by "^^" of fields
// joined by "^" (UTF-8). dropLastChar: the last field of the last record
// loses its last character (a closing quote of the service) when not empty.
ParseResult ParseCaretRecords(const std::string& text, bool dropLastChar, std::unique_ptr<StringRecord12[]>& out,
                              int& count);

// Chart: insider changes of one stock from the auxiliary server (host or
// host:port). Posts WM_KIV_HOLDER_MARKS or WM_KIV_HOLDER_FETCH_ENDED.
int FetchHolderChanges(HWND hwnd, StockId stock, const std::string& auxHost);
// Thread body for the chart: param is a heap HolderFetchJob, freed here.
struct HolderFetchJob {
  HWND hwnd = nullptr;
  StockId stock = 0;
  std::string auxHost;
};
UINT FetchHolderChangesThread(void* param);

// Insider-change list: the last 60 days up to `now` (local dates).
// WM_KIV_HOLDER_MARKS, or WM_KIV_REQUEST_ENDED on any failure.
int FetchRecentHolderChanges(HWND hwnd, const std::string& auxHost, std::time_t now);
// WM_KIV_JG_HOLD_CHANGES / WM_KIV_DEAL_PUBLIC_INFO, or WM_KIV_REQUEST_ENDED.
int FetchJgHoldChanges(HWND hwnd, const std::string& webHost);
int FetchDealPublicInfo(HWND hwnd, const std::string& webHost);
// WM_KIV_NEWS_TEXT, or WM_KIV_REQUEST_FAILED.
int FetchStockNews(HWND hwnd, const std::string& webHost);

// The web-service paths.
extern const char* const kJgHoldChangePath;
extern const char* const kDealPublicInfoPath;
extern const char* const kStockNewsPath;

}  // namespace kiv
