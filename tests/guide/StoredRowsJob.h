// The reference window's worker fetch: reads the stored copy of the stock
// table (CKivStockTable's file) on a worker thread and hands its first rows
// to the window with PostOwned. In the program such fetches live in data/
// (WorkerFetches.h) and have this shape: the job holds values only, copied
// on the UI thread, and the window's handle to report to, so the worker
// never reads the window and the window never waits for the worker. When
// the window is gone by the time the rows are ready, the post fails and
// PostOwned frees them; when it is destroyed while they wait in its queue,
// the queue frees them.
#pragma once

#include <string>

#include "platform/post/Posting.h"

namespace kiv {

struct StoredRowsJob {
  HWND hwnd = nullptr;  // WM_REFERENCE_STORED_ROWS goes here
  std::string path;     // the stored stock table (GBK)
  int maxRows = 0;      // rows the window shows
};

// Thread body (AfxBeginThread): param is a heap StoredRowsJob, freed here.
// Posts WM_REFERENCE_STORED_ROWS with at most maxRows rows; nothing when
// there is no usable stored table (the window waits for the served one).
UINT LoadStoredRowsThread(void* param);

}  // namespace kiv
