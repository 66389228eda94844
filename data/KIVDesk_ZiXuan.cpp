#include "data/KIVDesk_ZiXuan.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/HttpClient.h"
#include "data/JsonRoot.h"
#include "data/Md5Digest.h"
#include "data/ServerConfig.h"
#include "data/StockTable.h"
#include "data/TextConvert.h"
#include "data/UrlEncodeUtf8.h"
#include "platform/sys/Clock.h"
#include "platform/sys/ProfileFile.h"

namespace {

constexpr const char* kLegacySection = "自选股";
// S0 is read into a buffer of twice L0; a damaged L0 must not size it
// without bound.
constexpr long kMaxLegacyLength = 1 << 20;

// A decimal text as the list's words: optional sign and digits, read up to
// the first other character; values beyond a 32-bit word give 0.
uint32_t DecimalWord(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || v < INT32_MIN || v > static_cast<long long>(UINT32_MAX)) return 0;
  return static_cast<uint32_t>(v);
}

// RAII holder of the list's lock.
class ListLock {
 public:
  ListLock(CKivRWLock& lock, int mode) : lock_(lock) { lock_.Lock(mode, -1); }
  ~ListLock() { lock_.Unlock(); }

 private:
  CKivRWLock& lock_;
};

}  // namespace

CKIVDesk_ZiXuan::CKIVDesk_ZiXuan() : CKIVDesk_ZiXuan(WatchListEnv()) {}

CKIVDesk_ZiXuan::CKIVDesk_ZiXuan(WatchListEnv env) { SetEnvironment(std::move(env)); }

CKIVDesk_ZiXuan::~CKIVDesk_ZiXuan() = default;

void CKIVDesk_ZiXuan::SetEnvironment(WatchListEnv env) {
  if (!env.serverTime) env.serverTime = [] { return int64_t(0); };
  if (!env.userId) env.userId = [] { return int32_t(0); };
  if (!env.webHost) env.webHost = [] {
    const ServerConfig config = GetServerConfig();
    return config.HttpAuthority(config.webHost);
  };
  if (!env.get) env.get = [](const std::string& url, std::string& text, DWORD& error) {
    return HttpGetText(url, nullptr, text, error);
  };
  env_ = std::move(env);
}

std::string CKIVDesk_ZiXuan::UserHash(int32_t uid) {
  const std::string text = "uid=" + std::to_string(uid) + "&key=" + kWatchListSignKey;
  CMd5Digest digest;
  digest.Compute(text.data(), text.size());
  return digest.ToHex();
}

std::string CKIVDesk_ZiXuan::WebUrl(const std::string& pathAndQuery) const {
  return "http://" + env_.webHost() + pathAndQuery;
}

void CKIVDesk_ZiXuan::Cursor(bool busy) const {
  if (env_.cursor) env_.cursor(busy);
}

bool CKIVDesk_ZiXuan::ParseReply(const std::string& reply, std::vector<WatchEntry>& out) {
  out.clear();
  const CJsonRoot root(reply);
  const nlohmann::json* array = root.Get();
  if (!array || !array->is_array()) return false;
  out.resize(array->size());
  for (size_t i = 0; i < array->size(); ++i) {
    WatchEntry& entry = out[i];
    std::memset(&entry, 0, sizeof(entry));
    const nlohmann::json* element = JsonElement(array, i);
    const std::optional<std::string> stockId = JsonString(element, "stockid");
    if (!stockId) continue;
    entry.id = DecimalWord(*stockId);
    const std::optional<std::string> timeline = JsonString(element, "timeline");
    if (!timeline) continue;
    entry.timeline = static_cast<int32_t>(DecimalWord(*timeline));
    if (StockMarket(entry.id) == 0) {
      char code[16];
      std::snprintf(code, sizeof(code), "%06u", StockCode(entry.id));
      entry.id = MakeStockId(StockCode(entry.id), (code[0] == '6' || code[0] == '9') ? 1 : 2);
    }
  }
  return true;
}

void CKIVDesk_ZiXuan::FillNames(std::vector<WatchEntry>& entries, bool keepShanghaiBelow600000) const {
  CKivStockTable* table = env_.stockTable;
  if (!table || table->IsEmpty()) return;
  for (WatchEntry& entry : entries) {
    StockRecord record;
    if (!table->Find(entry.id, record)) continue;
    // Shanghai codes below 600000 are indices: the list shows no name.
    if (keepShanghaiBelow600000 && StockMarket(entry.id) == 1 && StockCode(entry.id) < 600000) continue;
    std::memset(entry.name, 0, sizeof(entry.name));
    std::memcpy(entry.name, record.name, strnlen(record.name, sizeof(record.name) - 1));
  }
}

int CKIVDesk_ZiXuan::Download() {
  if (env_.serverTime() < 1000) return 1;  // nobody logged in yet
  Cursor(true);
  const int32_t uid = env_.userId();
  const std::string url =
      WebUrl("/api/istock/jdata?uid=" + std::to_string(uid) + "&hash=" + UserHash(uid));
  std::string reply;
  DWORD error = 0;
  std::vector<WatchEntry> fresh;
  int result = 1;
  if (!env_.get(url, reply, error)) {
    result = 0;
  } else if (reply.size() >= 6) {
    ParseReply(reply, fresh);
    FillNames(fresh, true);
  }
  {
    ListLock hold(lock_, CKivRWLock::kWrite);
    entries_.swap(fresh);
  }
  Cursor(false);
  return result;
}

void CKIVDesk_ZiXuan::SendChange(const char* action, const StockId* id, bool encode) {
  Cursor(true);
  std::string url = WebUrl(std::string("/api/istock/jdata?ac=") + action + "&uid=" +
                           std::to_string(env_.userId()) + "&sn=" +
                           std::to_string(static_cast<int32_t>(*id)));
  if (encode) {
    ConvertCodePage(url, true);
    std::string encoded;
    UrlEncodeUtf8(encoded, url.data(), static_cast<int>(url.size()));
    url = encoded;
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) Sleep(env_.retryDelayMs);
    std::string reply;
    DWORD error = 0;
    if (env_.get(url, reply, error)) break;
  }
  Cursor(false);
  Download();
}

void CKIVDesk_ZiXuan::Add(const StockId* id) {
  if (id == nullptr || *id == 0) return;
  SendChange("create", id, true);
}

void CKIVDesk_ZiXuan::Remove(const StockId* id) {
  if (id == nullptr) return;
  SendChange("delete", id, false);
}

bool CKIVDesk_ZiXuan::Contains(const StockId* id) const {
  if (id == nullptr) return false;
  ListLock hold(lock_, CKivRWLock::kRead);
  for (const WatchEntry& entry : entries_) {
    if (SameStockCode(entry.id, *id)) return true;
  }
  return false;
}

int CKIVDesk_ZiXuan::RefreshNames() {
  std::vector<WatchEntry> entries = GetEntries();
  if (entries.empty()) return 1;
  FillNames(entries, false);
  ListLock hold(lock_, CKivRWLock::kWrite);
  // A Download may have replaced the list meanwhile: names go only to the
  // entries they were looked up for.
  if (entries_.size() == entries.size()) {
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries_[i].id == entries[i].id) std::memcpy(entries_[i].name, entries[i].name, sizeof(entries[i].name));
    }
  }
  return 1;
}

std::vector<WatchEntry> CKIVDesk_ZiXuan::GetEntries() const {
  ListLock hold(lock_, CKivRWLock::kRead);
  return entries_;
}

int CKIVDesk_ZiXuan::GetCount() const {
  ListLock hold(lock_, CKivRWLock::kRead);
  return static_cast<int>(entries_.size());
}

CKIVDesk_ZiXuan_Old::CKIVDesk_ZiXuan_Old(const std::string& iniPath) : iniPath_(iniPath) { Load(); }

int CKIVDesk_ZiXuan_Old::Load() {
  entries_.clear();
  const char* file = iniPath_.c_str();
  char lengthText[32] = {0};
  GetPrivateProfileStringA(kLegacySection, "L0", "", lengthText, sizeof(lengthText), file);
  if (lengthText[0] == 0) {
    entries_ = {MakeStockId(1, 1), MakeStockId(399001, 2)};
    char s0[64];
    std::snprintf(s0, sizeof(s0), "%d^%d^%d", 2, static_cast<int32_t>(entries_[0]),
                  static_cast<int32_t>(entries_[1]));
    WritePrivateProfileStringA(kLegacySection, "S0", s0, file);
    WritePrivateProfileStringA(kLegacySection, "L0", std::to_string(std::strlen(s0)).c_str(), file);
    return GetCount();
  }
  long length = std::strtol(lengthText, nullptr, 10);
  if (length <= 0) return 0;
  if (length > kMaxLegacyLength) length = kMaxLegacyLength;
  std::vector<char> buffer(static_cast<size_t>(length) * 2 + 1, 0);
  GetPrivateProfileStringA(kLegacySection, "S0", "", buffer.data(), static_cast<DWORD>(buffer.size()), file);
  std::string s0(buffer.data());
  if (s0.size() > static_cast<size_t>(length)) s0.resize(static_cast<size_t>(length));
  size_t caret = s0.find('^');
  if (caret == std::string::npos) return 0;
  long count = std::strtol(s0.substr(0, caret).c_str(), nullptr, 10);
  if (count <= 0) return 0;
  // The count never runs past the fields that are there.
  while (static_cast<long>(entries_.size()) < count && caret != std::string::npos) {
    const size_t next = s0.find('^', caret + 1);
    const std::string field = s0.substr(caret + 1, next == std::string::npos ? std::string::npos : next - caret - 1);
    entries_.push_back(static_cast<StockId>(std::strtol(field.c_str(), nullptr, 10)));
    caret = next;
  }
  return GetCount();
}
