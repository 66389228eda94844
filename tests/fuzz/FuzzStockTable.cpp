// The stock table from a reply group (FillFromPack) and from its stored copy
// (LoadFromFile, the same bytes written to a scratch file). Both must agree,
// keep only rows of the listed markets with terminated names of at most 15
// bytes, and leave the table as it was when nothing usable came.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data/StockTable.h"
#include "net/FieldIds.h"
#include "net/KivNetPack.h"
#include "net/StockId.h"
#include "tests/fuzz/FuzzSupport.h"

using kiv::fuzz::Check;
using kiv::fuzz::ScratchFile;

namespace {

bool SameRecords(const std::vector<StockRecord>& a, const std::vector<StockRecord>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(StockRecord)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchFile("stock-table");
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // A table that already holds one row, which a failed fill must keep.
  const auto seeded = [](CKivStockTable& table) {
    KivNetPack one;
    char name[32] = "seed";
    Check(one.SetInt32(static_cast<int32_t>(MakeStockId(1, kMarketShanghai)), FIELD_STOCK_ID, 0));
    Check(one.SetText(name, sizeof name, FIELD_STOCK_NAME, 0));
    Check(table.FillFromPack(one));
  };

  CKivStockTable fromPack;
  seeded(fromPack);
  KivNetPack group;
  const bool filled = group.LoadFromString(bytes) && fromPack.FillFromPack(group);
  std::vector<StockRecord> rows;
  fromPack.CopyTo(rows);
  if (!filled) Check(rows.size() == 1 && std::strcmp(rows[0].name, "seed") == 0);
  for (const StockRecord& row : rows) {
    const uint32_t market = StockMarket(row.id);
    Check(market == kMarketShanghai || market == kMarketShenzhen || market == kMarketFourthBoard);
    Check(std::memchr(row.name, 0, sizeof row.name) != nullptr);
    Check(std::strlen(row.name) <= 15);
    StockRecord found;
    Check(fromPack.Find(row.id, found));
  }

  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  CKivStockTable fromFile;
  seeded(fromFile);
  Check(fromFile.LoadFromFile(path) == filled);
  std::vector<StockRecord> stored;
  fromFile.CopyTo(stored);
  Check(SameRecords(rows, stored));
  ::unlink(path.c_str());
  return 0;
}
