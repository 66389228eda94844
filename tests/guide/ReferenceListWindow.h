// ReferenceListWindow: the window that docs/writing-a-window.md quotes, a
// program window in every respect but its folder. A modeless dialog made
// from the program's template kIddReferenceList that lists the first rows
// of the stock table, code and name, each with a mark in its market's
// colour, under a skinned header band.
//
// Where its rows come from:
// - at once, the stored copy of the stock table, read by a worker thread
//   (StoredRowsJob.h) that hands the rows over with PostOwned;
// - then the stock-table request (CNetService::RequestMarketOverview), sent
//   at creation, on every refresh timer and on the refresh button. Its
//   reply handler is bound to the window's liveness token (BindAlive) and
//   runs on the network service's I/O thread: a reply that comes after
//   DestroyWindow is dropped.
// Once served rows have arrived, a stored copy that comes late is dropped.
//
// Ownership: the owner makes it on the UI thread with
// Create(kIddReferenceList, parent) and calls DestroyWindow before deleting
// it. The service must outlive the window.
//
// Threads: rows_ and servedRows_ are written by the reply handler (I/O
// thread) and by the stored rows' message (UI thread) under rowsLock_ for
// writing, and read by the paint under it for reading. Everything else is
// the UI thread's. RowCount may be called from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/StockTable.h"
#include "net/KivNetPack.h"
#include "net/KivRWLock.h"
#include "net/NetService.h"
#include "platform/ui/Dialog.h"

namespace kiv {

class ReferenceListWindow : public CDialog {
 public:
  // Layout of the client area, in pixels: the header band, then one row
  // per security, its mark at the left, its code and name after it.
  static constexpr int kHeaderHeight = 24;
  static constexpr int kRowHeight = 20;
  static constexpr int kMaxRows = 8;
  static constexpr int kMarkLeft = 6;
  static constexpr int kMarkWidth = 6;
  static constexpr int kMarkTop = 4;  // within the row
  static constexpr int kMarkHeight = 12;
  static constexpr int kCodeLeft = 20;
  static constexpr int kNameLeft = 80;

  static constexpr COLORREF kBackground = RGB(0x1A, 0x1A, 0x1A);
  static constexpr COLORREF kText = RGB(0xCC, 0xCC, 0xCC);
  static constexpr COLORREF kShanghaiMark = RGB(0xE2, 0x00, 0x00);
  static constexpr COLORREF kShenzhenMark = RGB(0x31, 0xA6, 0x2B);
  static constexpr COLORREF kOtherMark = RGB(0x00, 0xA0, 0xDE);

  // The mark colour of a security's market.
  static COLORREF MarkColour(StockId id);

  ReferenceListWindow(CNetService& service, std::string storedTablePath);

  // Rows shown now.
  int RowCount();

 protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void RequestRows();
  void StartStoredRowsLoad();
  // The stock-table reply; the I/O thread, under the window's token.
  bool OnStockTable(KivNetPack& payload, const uint32_t& type, const uint32_t& extra);
  // WM_REFERENCE_STORED_ROWS.
  void OnStoredRows(std::unique_ptr<StockRecord[]> rows, int count);
  void DrawHeader(CDC& dc, const CRect& client);
  void DrawRows(CDC& dc);

  CNetService& service_;
  const std::string storedTablePath_;
  CBitmap headerSkin_;  // loaded at the first paint and kept

  CKivRWLock rowsLock_;
  std::vector<StockRecord> rows_;  // guarded by rowsLock_
  bool servedRows_ = false;        // guarded by rowsLock_: rows_ came from a reply
};

}  // namespace kiv
