// ShellPlugins: how the shell makes the windows of the rooms above it that it
// creates or runs itself. The shell sits under the window rooms (lists,
// advisory, chart, panes) and includes none of their headers: it knows such
// a window only by the small interface below, and gets one from the maker
// the program's start-up registered in the one ShellPlugins table. Until a
// room registers its maker, the shell gets a dark, empty stand-in of the same
// interface (StandInCompactWatchList, StandInAdviceDialog) that records the
// calls it receives, so every shell window works, and can be tested, before
// the room exists.
//
// What the shell makes today:
//   - the compact watch list of the monitor window (CKivDesk_Dlg_Tip): a
//     child window whose names and rows the monitor window refreshes;
//   - the two advice dialogs that the mask (CMENGBANDLG) runs modally for one
//     stock: the per-stock investment proposal and the market service plan.
//   - the main dialog's pages and the windows it hosts (DeskPages.h): the
//     watch list, the panels of pages 1 to 12, the stock view, the stock
//     side dialog, the F10 window and the hidden stock-table window; their
//     stand-in is StandInDeskPage.
//
// Ownership: a maker returns a new object that the caller owns; a window
// made from it is destroyed (DestroyWindow) by its owner before the object
// goes. Threads: the table is filled by start-up and read by the shell on
// the UI thread; every interface below is the UI thread's.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "net/StockId.h"
#include "platform/core/Wnd.h"
#include "shell/DeskPages.h"

// The monitor window's compact watch list.
class CompactWatchList {
 public:
  virtual ~CompactWatchList() = default;
  // Makes the list's window: a child of parent with this window name, style,
  // rectangle (parent's client coordinates) and control id.
  virtual BOOL CreateList(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) = 0;
  // The list's window object (m_hWnd null until CreateList).
  virtual CWnd& Window() = 0;
  virtual void SetListFont(const LOGFONT& font) = 0;
  // Copies the watch list's names into the rows; the row count.
  virtual int RefreshNames() = 0;
  // Rebuilds the rows from the watch list.
  virtual void RefreshRows() = 0;
  // What the monitor window passes on to its owner with
  // WM_KIV_WATCH_FORWARD: the list's own data, opaque to the shell.
  virtual LPARAM WatchForwardParam() = 0;
};

// An advice dialog run modally for one stock.
class AdviceDialog {
 public:
  virtual ~AdviceDialog() = default;
  // The stock the dialog is about (0: none).
  virtual void SetStock(StockId stock) = 0;
  // Runs the dialog until it ends; its result (-1 when it could not show).
  virtual INT_PTR DoModal() = 0;
};

struct ShellPlugins {
  std::function<std::unique_ptr<CompactWatchList>()> compactWatchList;
  // parent: the window the dialog is modal over.
  std::function<std::unique_ptr<AdviceDialog>(CWnd* parent)> personAnalysis;
  std::function<std::unique_ptr<AdviceDialog>(CWnd* parent)> allAnalysis;

  // The main dialog's windows. resources: the bitmap and icon ids the main
  // dialog hands to the window's constructor, in the constructor's order.
  std::function<std::unique_ptr<DeskWatchList>()> watchList;
  // Pages 1, 2, 4, 6, 7, 8, 10 and 11, by page number.
  std::function<std::unique_ptr<DeskPage>(int page, const std::vector<UINT>& resources)> page;
  std::function<std::unique_ptr<DeskMonitoringPage>(const std::vector<UINT>& resources)> monitoringPage;
  std::function<std::unique_ptr<DeskSectorPage>(const std::vector<UINT>& resources)> sectorPage;
  std::function<std::unique_ptr<DeskRobotPage>(const std::vector<UINT>& resources)> robotPage;
  std::function<std::unique_ptr<DeskStockView>(const std::vector<UINT>& resources)> stockView;
  std::function<std::unique_ptr<DeskSideDialog>()> sideDialog;
  std::function<std::unique_ptr<DeskPage>()> stockTableWindow;
  std::function<std::unique_ptr<DeskPage>(const std::vector<UINT>& resources)> f10Window;
};

// The program's one table, empty until start-up fills it.
ShellPlugins& GetShellPlugins();

// The registered maker's window, or the stand-in when none is registered
// (or the maker made nothing).
std::unique_ptr<CompactWatchList> MakeCompactWatchList();
std::unique_ptr<AdviceDialog> MakePersonAnalysisDialog(CWnd* parent);
std::unique_ptr<AdviceDialog> MakeAllAnalysisDialog(CWnd* parent);
std::unique_ptr<DeskWatchList> MakeDeskWatchList();
std::unique_ptr<DeskPage> MakeDeskPage(int page, const std::vector<UINT>& resources);
std::unique_ptr<DeskMonitoringPage> MakeDeskMonitoringPage(const std::vector<UINT>& resources);
std::unique_ptr<DeskSectorPage> MakeDeskSectorPage(const std::vector<UINT>& resources);
std::unique_ptr<DeskRobotPage> MakeDeskRobotPage(const std::vector<UINT>& resources);
std::unique_ptr<DeskStockView> MakeDeskStockView(const std::vector<UINT>& resources);
std::unique_ptr<DeskSideDialog> MakeDeskSideDialog();
std::unique_ptr<DeskPage> MakeDeskStockTableWindow();
std::unique_ptr<DeskPage> MakeDeskF10Window(const std::vector<UINT>& resources);
