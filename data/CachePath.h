// The cache-path scheme: every local cache of market data lives under the
// data folder (<cwd>/Data), and GetCachePath is the one place that turns a
// data type and a stock into the cache file's path, creating the folders on
// the way. A result of 0 means that this kind of data has no cache file and
// the caller skips its file work.
//
//   flat files         Data/buypool.data, Data/Halfyear.data, ...
//   sector lists       Data/sz/industry.data, zone.data, concept.data
//   per-stock files    Data/<market>/<type folder>/<code %06d>.<extension>
//                      e.g. Data/sh/day/600000.day, Data/sz/min1/000001.mn1
//
// Paths are GBK text with '/' as separator (the file functions of
// platform/sys convert them for the operating system).
#pragma once

#include <cstdint>
#include <string>

#include "net/StockId.h"

namespace kiv {

// Data types (the 32-bit codes shared by requests, replies and cache files)
// that have a cache file.
constexpr uint32_t kDataTypeBuyPool = 20000006;
constexpr uint32_t kDataTypeTick = 20000010;
constexpr uint32_t kDataTypeSectorMembers = 20000011;
constexpr uint32_t kDataTypeDay = 20000017;
constexpr uint32_t kDataTypeMin5 = 20000018;
constexpr uint32_t kDataTypeMin15 = 20000019;
constexpr uint32_t kDataTypeMin30 = 20000020;
constexpr uint32_t kDataTypeHour = 20000021;
constexpr uint32_t kDataTypeWeek = 20000022;
constexpr uint32_t kDataTypeMonth = 20000023;
constexpr uint32_t kDataTypeOpportunityPool = 20000025;
constexpr uint32_t kDataTypePreselectionPool = 20000026;
constexpr uint32_t kDataTypeRiskPool = 20000027;
constexpr uint32_t kDataTypeNetFlow = 20000034;
constexpr uint32_t kDataTypeIncomeRate = 20000037;  // code part: 0 year, 1 half year, 2 season
constexpr uint32_t kDataTypeSector = 20000038;      // code part: 0 industry, 1 region, 2 concept
constexpr uint32_t kDataTypeShortFairy = 20000040;
constexpr uint32_t kDataTypeJiePan = 20000054;
constexpr uint32_t kDataTypeMin1 = 20000111;
constexpr uint32_t kDataTypeFinance = 34051;
// Accepted, given their market folder, but without a file of their own.
constexpr uint32_t kDataTypeNoFileA = 33945;
constexpr uint32_t kDataTypeNoFileB = 33281;

// The buffer every caller passes.
constexpr unsigned kCachePathSize = 280;

// The data folder: <cwd>/Data unless set. Tests point it at a scratch folder
// of their own (a threaded test process must never chdir). An empty path
// restores the default.
void SetDataFolder(const std::string& gbkPath);
std::string GetDataFolder();

// Builds the cache path of (dataType, *id) into buffer (zeroed first, size
// bytes) and creates its folders. Returns 1 when a path was built, 0 when the
// type has no file for this stock or the path would not fit the buffer.
// For the per-stock types a market byte of 0 in *id is filled in from the
// code; flat files leave *id as it is.
int GetCachePath(char* buffer, unsigned size, StockId* id, uint32_t dataType);

// The same, into a string; empty when GetCachePath gives 0.
std::string CachePathOf(StockId* id, uint32_t dataType);

}  // namespace kiv
