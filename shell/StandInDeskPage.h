// StandInDeskPage: what the main dialog holds in place of a page, the stock
// view, the side dialog or another window of a room that has registered no
// maker in the ShellPlugins table (DeskPages.h). A dark, empty window in the
// theme's background that answers every page interface and records each
// call and each program message it receives in StandInCallLog, as
// "DeskPage(<label>)::<call>" with the call's one value:
//   CreatePage (control id), PlacePane (mode), SetStock (stock), ZoomIn,
//   ZoomOut, SetNavigationList (1 with a list, 0 without), SelectTab (item),
//   ClearActiveFlags, ShowSectorList, InitPanes, SetOverview, RefreshCurve,
//   SetListFont (1 large, 0 small), SetFontIndirect (height), OpenStock (a
//   WM_KIV_OPEN_STOCK's stock, which it frees), VScroll (the scroll code,
//   with the position in the high 16 bits) and Message(0x...) (any other
//   message of WM_USER and above, value its wParam, followed by
//   Message(0x...).lParam with its lParam).
// As a navigation list it steps through rows a test gives it (SetRows).
//
// Ownership: made by the main dialog's makers, which own it. UI thread only.
#pragma once

#include <string>
#include <vector>

#include "shell/DeskPages.h"

class StandInDeskPage : public CWnd,
                        public DeskWatchList,
                        public DeskStockView,
                        public DeskSideDialog,
                        public DeskSectorPage,
                        public DeskRobotPage,
                        public DeskMonitoringPage {
 public:
  explicit StandInDeskPage(std::string label);

  // The stand-in behind a page's window, or null for another window.
  static StandInDeskPage* FromWindow(CWnd* wnd);

  const std::string& Label() const { return label_; }
  // The prefix of its log entries: "DeskPage(<label>)::".
  std::string CallName(const std::string& call) const;
  int LastMode() const { return lastMode_; }
  CRect LastRect() const { return lastRect_; }

  // DeskPage
  BOOL CreatePage(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) override;
  CWnd& Window() override { return *this; }
  void PlacePane(int mode, const RECT& rect) override;

  // NavigationList, over the rows given by SetRows (position = row).
  void SetRows(std::vector<StockId> rows);
  int GetSelectedRow() override { return selected_; }
  void SetSelectedRow(int index) override;
  int SelectNextRow() override;
  int SelectPrevRow() override;
  StockId StockAtPosition(int position) override;
  int GetRowCount() override { return static_cast<int>(rows_.size()); }

  // DeskWatchList
  void SetFontIndirect(const LOGFONT& font) override;

  // DeskStockView
  void SetStock(const StockId* stock) override;
  StockId GetStock() override { return stock_; }
  BOOL HasStock() override { return hasStock_; }
  void ZoomIn() override;
  void ZoomOut() override;
  void SetNavigationList(CWnd* list) override;
  CWnd* GetNavigationList() override { return navigation_; }
  void SelectTab(int item) override;
  void ClearActiveFlags() override;
  BOOL HasOpenPopup() override { return openPopup_; }
  BOOL IsInputPopupOpen() override { return inputPopup_; }
  void CloseInputPopup() override;
  // For tests: the view's pop-ups as open or closed.
  void SetOpenPopup(BOOL open) { openPopup_ = open; }
  void SetInputPopupOpen(BOOL open) { inputPopup_ = open; }

  // DeskSideDialog
  BOOL IsShown() override { return shown_; }

  // DeskSectorPage: its own window stands for the sector list.
  void ShowSectorList() override;
  CWnd* SectorList() override { return this; }

  // DeskRobotPage
  void InitPanes() override;
  void SetOverview() override;
  void RefreshCurve() override;

  // DeskMonitoringPage
  void SetListFont(bool large) override;

  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnVScroll(UINT code, UINT pos, LPARAM lParam) override;

 private:
  void Record(const std::string& call, int64_t value = 0) const;

  std::string label_;
  int lastMode_ = -1;
  CRect lastRect_;
  std::vector<StockId> rows_;
  int selected_ = -1;
  StockId stock_ = 0;
  BOOL hasStock_ = FALSE;
  CWnd* navigation_ = nullptr;
  BOOL openPopup_ = FALSE;
  BOOL inputPopup_ = FALSE;
  BOOL shown_ = FALSE;
};
