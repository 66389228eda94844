// StockViewPanes: how the stock view (chart/view) sees the windows of the
// rooms beside it that it hosts: the quote and analysis panes, the tick
// pane and the F10 viewer (panes/), and the sector's member grid (lists/).
// The view includes none of those rooms' headers; each room's window
// implements the interface of its kind here, and the program hands the
// view a StockViewPaneMaker that makes them. A kind the maker does not make
// (null) is an empty slot: the view skips it everywhere and frees what was
// meant for it.
//
// Ownership: the view owns what a maker returns and destroys the window
// (Window().DestroyWindow()) before it deletes the object. Threads: the UI
// thread only, except the grid's row and cell operations, which lock the
// grid's own rows and may run on the network I/O thread.
#pragma once

#include <memory>

#include "net/StockId.h"
#include "platform/core/Wnd.h"
#include "shell/KivListCell.h"

enum class StockViewPaneKind {
  kQuoteStrip,         // "StockInfo" 510
  kIndexQuote,         // "BlockMarketInfo" 511
  kOrderBook,          // "BlockBS5" 508
  kTradeList,          // "BlockBS20" 509
  kShortAlerts,        // "BlockShort" 507
  kCommentary,         // "BlockJiePan" 512
  kMoneyFlow,          // "BlockNetFlow" 513
  kFinance,            // "BlockFinaAnly" 514
  kIndexContribution,  // "BlockGXD" 516
  kTickPane,           // "BlockTick" 517
  kF10Viewer,          // 70003
};

// A pane of one stock.
class StockViewPane {
 public:
  virtual ~StockViewPane() = default;
  virtual BOOL CreatePane(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) = 0;
  virtual CWnd& Window() = 0;
  // Switches the pane to a stock; it asks for its own data.
  virtual void SetStock(StockId stock) = 0;
  // The pane's own shown flag (it follows WM_SHOWWINDOW).
  virtual BOOL IsShownFlag() = 0;
};

// The member grid of a sector instrument.
class StockViewIndustryList {
 public:
  virtual ~StockViewIndustryList() = default;
  virtual BOOL CreateList(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) = 0;
  virtual CWnd& Window() = 0;
  virtual void SetFontIndirect(const LOGFONT* font) = 0;
  virtual void SetDirty(BOOL dirty) = 0;
  virtual void SetColumnCount(int count) = 0;
  virtual void SetColumn(int column, const KivListCell* cell) = 0;
  virtual void SetAutoFitColumns(BOOL on) = 0;
  virtual void SetFrozenColumnCount(int count) = 0;
  // Row and cell operations: under the grid's own lock, any thread.
  virtual void DeleteAllRows(BOOL takeLock) = 0;
  virtual void SetRowCount(int count) = 0;
  virtual void SetCell(int row, int column, const KivListCell* cell) = 0;
  virtual void Resort() = 0;
};

// The ten bitmap ids the view was built with, in its order: three tab-strip
// bitmaps, two indicator-pane bitmaps, three analysis-pane bitmaps, the
// caption-button normal and active bitmaps.
constexpr int kStockViewBitmapCount = 10;

class StockViewPaneMaker {
 public:
  virtual ~StockViewPaneMaker() = default;
  // Null for a kind this program does not have yet.
  virtual std::unique_ptr<StockViewPane> MakePane(StockViewPaneKind kind,
                                                  const UINT (&bitmaps)[kStockViewBitmapCount]) = 0;
  virtual std::unique_ptr<StockViewIndustryList> MakeIndustryList() = 0;
};
