#include "tests/guide/StoredRowsJob.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "data/StockTable.h"
#include "tests/guide/ReferenceIds.h"

namespace kiv {

UINT LoadStoredRowsThread(void* param) {
  std::unique_ptr<StoredRowsJob> job(static_cast<StoredRowsJob*>(param));
  CKivStockTable stored;
  if (!stored.LoadFromFile(job->path)) return 0;
  std::vector<StockRecord> all;
  stored.CopyTo(all);
  const int count = static_cast<int>(std::min<size_t>(all.size(), static_cast<size_t>(std::max(job->maxRows, 0))));
  if (count == 0) return 0;
  auto rows = std::make_unique<StockRecord[]>(static_cast<size_t>(count));
  std::copy_n(all.begin(), count, rows.get());
  // Freed here when the window is gone; the window's to adopt otherwise.
  PostOwned(job->hwnd, WM_REFERENCE_STORED_ROWS, std::move(rows), count);
  return 0;
}

}  // namespace kiv
