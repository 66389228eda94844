#include "data/StockTable.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "data/CachePath.h"
#include "net/FieldIds.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/Files.h"
#include "platform/sys/GbkText.h"

namespace {

// Scoped hold of a CKivRWLock; waits without time-out.
class Hold {
 public:
  Hold(CKivRWLock& lock, int mode) : lock_(lock) { lock_.Lock(mode, -1); }
  ~Hold() { lock_.Unlock(); }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  CKivRWLock& lock_;
};

bool IsListedMarket(uint32_t market) {
  return market == kMarketShanghai || market == kMarketShenzhen || market == kMarketFourthBoard;
}

// The stored file is one reply group; far below this in practice.
constexpr size_t kMaxStoredBytes = 64u << 20;

}  // namespace

std::string CKivStockTable::ShortenName(const std::string& name) {
  std::string text = name;
  // Only the first single-byte "E" counts; a trail byte of a Chinese
  // character that happens to be 0x45 is not an "E".
  const size_t e = kiv::FindCharGbk(text, 'E');
  if (e != std::string::npos && text.compare(e + 1, 2, "TF") == 0) text.resize(e + 3);
  size_t keep = 0;
  while (keep < text.size()) {
    const size_t width = kiv::IsGbkLeadByte(static_cast<unsigned char>(text[keep])) ? 2 : 1;
    if (keep + width > 15) break;
    keep += width;
  }
  if (keep > text.size()) keep = text.size();  // a lone lead byte at the end
  text.resize(keep);
  return text;
}

std::vector<StockRecord> CKivStockTable::ReadRows(KivNetPack& group) {
  std::vector<StockRecord> rows;
  // Without the id field a row has nothing to keep; with it, every row holds
  // bytes of its own, so the count is bounded by the reply's size.
  if (group.GetFieldSize(FIELD_STOCK_ID) == 0) return rows;
  const int32_t count = static_cast<int32_t>(
      std::min<uint32_t>(group.GetRecordCount(), static_cast<uint32_t>(INT32_MAX)));
  rows.reserve(static_cast<size_t>(count));
  const PackColumn idColumn = group.GetColumn(FIELD_STOCK_ID);
  const PackColumn nameColumn = group.GetColumn(FIELD_STOCK_NAME);
  std::string name;
  for (int32_t r = 0; r < count; ++r) {
    StockRecord record;
    std::memset(&record, 0, sizeof record);
    record.id = static_cast<StockId>(group.GetInt32(idColumn, r));
    if (!IsListedMarket(StockMarket(record.id))) continue;
    group.GetString(name, nameColumn, r);
    const std::string shortName = ShortenName(name);
    std::memcpy(record.name, shortName.data(), shortName.size());
    rows.push_back(record);
  }
  return rows;
}

bool CKivStockTable::IsEmpty() {
  Hold hold(lock_, CKivRWLock::kRead);
  return records_.empty();
}

int CKivStockTable::GetCount() {
  Hold hold(lock_, CKivRWLock::kRead);
  return static_cast<int>(records_.size());
}

bool CKivStockTable::Find(StockId key, StockRecord& out) {
  Hold hold(lock_, CKivRWLock::kRead);
  for (const StockRecord& record : records_) {
    if (record.id == key) {
      out = record;
      return true;
    }
  }
  return false;
}

void CKivStockTable::CopyTo(std::vector<StockRecord>& out) {
  Hold hold(lock_, CKivRWLock::kRead);
  out = records_;
}

void CKivStockTable::Clear() {
  Hold hold(lock_, CKivRWLock::kWrite);
  records_.clear();
}

bool CKivStockTable::FillFromPack(KivNetPack& group) {
  // Built aside, swapped in under the lock: readers wait only for the swap.
  std::vector<StockRecord> rows = ReadRows(group);
  if (rows.empty()) return false;  // an empty reply never clears the list
  Hold hold(lock_, CKivRWLock::kWrite);
  records_.swap(rows);
  return true;
}

bool CKivStockTable::LoadFromFile(const std::string& gbkPath) {
  // Nothing the file holds may end the program: without the memory to read
  // it the table stays as it is.
  try {
    std::string bytes;
    bool cut = false;
    if (!kiv::ReadWholeFile(kiv::NativePath(gbkPath), &bytes, kMaxStoredBytes, &cut) || cut) {
      return false;
    }
    KivNetPack group;
    if (!group.LoadFromString(bytes)) return false;
    return FillFromPack(group);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CKivStockTable::SaveToFile(const std::string& gbkPath, const KivNetPack& group) {
  KivNetPack probe(group);  // reading rows changes a pack's state
  if (ReadRows(probe).empty()) return false;
  std::string bytes;
  if (!group.GetAllPackData(bytes)) return false;
  const size_t slash = gbkPath.find_last_of('/');
  if (slash != std::string::npos) kiv::CreateFolders(kiv::NativePath(gbkPath.substr(0, slash)), 0755);
  return kiv::ReplaceFileAtomically(kiv::NativePath(gbkPath), bytes, 0644);
}

std::string CKivStockTable::DefaultFilePath() {
  return kiv::GetDataFolder() + "/" + kStockTableFile;
}
