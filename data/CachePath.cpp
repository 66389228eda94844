#include "data/CachePath.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/CodePage.h"
#include "platform/sys/Files.h"

namespace kiv {

namespace {

std::mutex g_folderMutex;
std::string g_dataFolder;  // guarded by g_folderMutex; empty: <cwd>/Data

void MakeFolder(const std::string& gbkPath) {
  // Like the system's own folder creation, a failure (most often: the folder
  // exists) is not an error here; opening the file reports what matters.
  CreateFolders(NativePath(gbkPath), 0755);
}

struct FlatFile {
  uint32_t type;
  const char* name;
};

const FlatFile kPoolFiles[] = {
    {kDataTypeBuyPool, "/buypool.data"},
    {kDataTypeOpportunityPool, "/opportpool.data"},
    {kDataTypePreselectionPool, "/forebpool.data"},
    {kDataTypeRiskPool, "/riskpool.data"},
};

const char* const kIncomeRateFiles[] = {"/year.data", "/Halfyear.data", "/season.data"};
const char* const kSectorFiles[] = {"/industry.data", "/zone.data", "/concept.data"};

struct StockFile {
  uint32_t type;
  const char* folder;  // null: the file lies in the market folder
  const char* extension;
};

const StockFile kStockFiles[] = {
    {kDataTypeTick, "/Tick", ".tik"},       {kDataTypeFinance, "/finance", ".fnc"},
    {kDataTypeSectorMembers, nullptr, ".stock"},
    {kDataTypeDay, "/day", ".day"},         {kDataTypeMin5, "/min5", ".mn5"},
    {kDataTypeMin15, "/min15", ".m15"},     {kDataTypeMin30, "/min30", ".m30"},
    {kDataTypeHour, "/hour1", ".hr1"},      {kDataTypeWeek, "/week", ".wek"},
    {kDataTypeMonth, "/month", ".mon"},     {kDataTypeNetFlow, "/INCOM", ".in"},
    {kDataTypeShortFairy, "/FARY", ".fairy"}, {kDataTypeJiePan, "/Jiepan", ".jp"},
    {kDataTypeMin1, "/min1", ".mn1"},
};

bool IsAcceptedStockType(uint32_t type) {
  if (type == kDataTypeSector || type == kDataTypeNoFileA || type == kDataTypeNoFileB) return true;
  for (const StockFile& file : kStockFiles) {
    if (file.type == type) return true;
  }
  return false;
}

// Copies path into the caller's buffer with its terminator; 0 when it does
// not fit (the buffer stays zeroed).
int Deliver(const std::string& path, char* buffer, unsigned size) {
  if (path.size() + 1 > size) return 0;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return 1;
}

}  // namespace

void SetDataFolder(const std::string& gbkPath) {
  std::lock_guard<std::mutex> hold(g_folderMutex);
  g_dataFolder = gbkPath;
}

std::string GetDataFolder() {
  {
    std::lock_guard<std::mutex> hold(g_folderMutex);
    if (!g_dataFolder.empty()) return g_dataFolder;
  }
  char cwd[4096];
  if (!::getcwd(cwd, sizeof cwd)) return "Data";
  return Utf8ToGbk(cwd) + "/Data";
}

int GetCachePath(char* buffer, unsigned size, StockId* id, uint32_t dataType) {
  if (!buffer || size == 0) return 0;
  std::memset(buffer, 0, size);

  for (const FlatFile& file : kPoolFiles) {
    if (file.type == dataType) {
      const std::string folder = GetDataFolder();
      MakeFolder(folder);
      return Deliver(folder + file.name, buffer, size);
    }
  }
  if (dataType == kDataTypeIncomeRate) {
    if (!id) return 0;
    const uint32_t which = StockCode(*id);
    if (which > 2) return 0;
    const std::string folder = GetDataFolder();
    MakeFolder(folder);
    return Deliver(folder + kIncomeRateFiles[which], buffer, size);
  }

  if (!id || !IsAcceptedStockType(dataType)) return 0;
  FillMissingMarket(id);
  std::string path = GetDataFolder();
  MakeFolder(path);

  if (dataType == kDataTypeSector) {
    const uint32_t which = StockCode(*id);
    if (which > 2) return 0;
    path += "/sz";
    MakeFolder(path);  // made here too, so the file can be written at once
    return Deliver(path + kSectorFiles[which], buffer, size);
  }

  const uint32_t market = StockMarket(*id);
  const uint32_t code = StockCode(*id);
  if (!IsValidMarket(market) || code < 1 || code > 999999) return 0;
  path += '/';
  path += MarketFolderName(market);
  MakeFolder(path);

  for (const StockFile& file : kStockFiles) {
    if (file.type != dataType) continue;
    if (file.folder) {
      path += file.folder;
      MakeFolder(path);
    }
    char name[32];
    std::snprintf(name, sizeof name, "/%06u%s", code, file.extension);
    return Deliver(path + name, buffer, size);
  }
  return 0;  // accepted types without a file name of their own
}

std::string CachePathOf(StockId* id, uint32_t dataType) {
  char buffer[kCachePathSize];
  if (!GetCachePath(buffer, sizeof buffer, id, dataType)) return std::string();
  return buffer;
}

}  // namespace kiv
