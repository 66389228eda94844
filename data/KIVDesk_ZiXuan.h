// The watch list (自选股): the user's own stocks, kept on the operator's web
// service and mirrored in one CKIVDesk_ZiXuan. The main dialog adds and
// removes stocks through it; the watch-list views read it, test membership
// and refresh its names from the stock table.
//
// Web service (on the web host of kivdesk.ini [Servers]):
//   /api/istock/jdata?uid=U&hash=H            the list: a JSON array of
//       {"stockid":"<decimal StockId>","timeline":"<decimal>"}; H is the
//       MD5 hex of "uid=U&key=QWT48306"
//   /api/istock/jdata?ac=create&uid=U&sn=S    add StockId word S (signed)
//   /api/istock/jdata?ac=delete&uid=U&sn=S    remove it
//
// Threads: Download, Add and Remove block their caller for the HTTP
// exchanges. Download builds the new list aside and swaps it in under the
// list's lock; readers copy under the same lock, so a view on another
// thread sees the old list or the new one, never a half-built one.
//
// CKIVDesk_ZiXuan_Old is the older list kept in <cwd>/system.ini, section
// 自选股: L0 = length of the S0 text, S0 = "count^id^id...".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/KivRWLock.h"
#include "net/StockId.h"
#include "platform/sys/WinTypes.h"

class CKivStockTable;

// 36 bytes.
struct WatchEntry {
  uint32_t reserved;  // 0
  StockId id;
  char name[24];      // GBK, NUL-terminated, from the stock table
  int32_t timeline;   // the web service's value for the entry
};
static_assert(sizeof(WatchEntry) == 36, "WatchEntry is 36 bytes");

constexpr const char* kWatchListSignKey = "QWT48306";

// What the watch list needs from the rest of the program. Every member has
// a default: no login (server time 0), user 0, the web host of
// kivdesk.ini, no stock table, HttpGetText, 1000 ms between tries, no
// cursor.
struct WatchListEnv {
  // The server time of the login (CCongfig::GetServerTime); below 1000
  // means nobody is logged in.
  std::function<int64_t()> serverTime;
  std::function<int32_t()> userId;
  // "host[:port]" of the web service.
  std::function<std::string()> webHost;
  CKivStockTable* stockTable = nullptr;
  // GET as text: 1 with the text, 0 with an error word.
  std::function<int(const std::string& url, std::string& text, DWORD& error)> get;
  DWORD retryDelayMs = 1000;
  // true: show the wait cursor; false: the arrow again.
  std::function<void(bool busy)> cursor;
};

class CKIVDesk_ZiXuan {
 public:
  CKIVDesk_ZiXuan();
  explicit CKIVDesk_ZiXuan(WatchListEnv env);
  virtual ~CKIVDesk_ZiXuan();
  CKIVDesk_ZiXuan(const CKIVDesk_ZiXuan&) = delete;
  CKIVDesk_ZiXuan& operator=(const CKIVDesk_ZiXuan&) = delete;

  // Replaces the environment (before the list is used from other threads).
  void SetEnvironment(WatchListEnv env);

  // Replaces the list from the web service. Before login: 1, nothing
  // changed. A failed request: 0, the list empty. A reply shorter than 6
  // characters or that is no JSON array: 1, the list empty. Else 1.
  int Download();
  // Adds the stock on the web service (up to 3 tries), then Download.
  // Nothing for a null pointer or a zero word.
  void Add(const StockId* id);
  // Removes the stock on the web service (up to 3 tries), then Download.
  void Remove(const StockId* id);
  // True when an entry has the same six-digit code, whatever the market.
  bool Contains(const StockId* id) const;
  // Copies each entry's name from the stock table. Returns 1.
  int RefreshNames();

  // A copy of the entries, in the order of the web reply.
  std::vector<WatchEntry> GetEntries() const;
  int GetCount() const;

  // The list URL's hash for a user: MD5 hex of "uid=<uid>&key=QWT48306".
  static std::string UserHash(int32_t uid);
  // Parses a list reply (the JSON array, UTF-8) into entries: "stockid"
  // (decimal string) is the StockId; with "timeline" (decimal string) also
  // the timeline, and a zero market byte is derived from the code (first
  // digit 6 or 9: Shanghai, else Shenzhen). Elements without "stockid", or
  // with values of another JSON type, give zero fields. False, `out` empty,
  // for a text that is no JSON array.
  static bool ParseReply(const std::string& reply, std::vector<WatchEntry>& out);

 private:
  std::string WebUrl(const std::string& pathAndQuery) const;
  void Cursor(bool busy) const;
  void SendChange(const char* action, const StockId* id, bool encode);
  void FillNames(std::vector<WatchEntry>& entries, bool keepShanghaiBelow600000) const;

  WatchListEnv env_;
  mutable CKivRWLock lock_;  // guards entries_
  std::vector<WatchEntry> entries_;
};

class CKIVDesk_ZiXuan_Old {
 public:
  // Loads (or creates) the list in the ini file (GBK path), as the program
  // does at start-up; the default is <cwd>/system.ini.
  explicit CKIVDesk_ZiXuan_Old(const std::string& iniPath = "system.ini");

  // Reads the list; without L0 writes the default list (000001 of
  // Shanghai, 399001 of Shenzhen). Returns the entry count. S0 is cut to L0
  // characters, and the count to the fields present.
  int Load();
  const std::vector<StockId>& Entries() const { return entries_; }
  int GetCount() const { return static_cast<int>(entries_.size()); }

 private:
  std::string iniPath_;
  std::vector<StockId> entries_;
};
