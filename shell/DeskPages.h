// DeskPages: how the main dialog sees the windows of the rooms above the
// shell that it creates, places and commands: its pages (the lists, panels
// and robot page), the single-stock view, the stock side dialog, the F10
// window and the hidden stock-table window. The main dialog includes none of
// those rooms' headers; each room's window implements the interface of its
// kind, and the program's start-up registers a maker for it in the
// ShellPlugins table (ShellPlugins.h). A kind without a registered maker is
// served by StandInDeskPage: an empty dark page that records its calls.
//
// Every page is placed by PlacePane(mode, rect): mode 0 hides it, 1 is the
// compact (normal-state) placement, 2 the full (maximised) one; rect is in
// the main dialog's client coordinates.
//
// Ownership: the main dialog owns what a maker returns, destroys the window
// (Window().DestroyWindow()) before it deletes the object. Threads: the UI
// thread only.
#pragma once

#include "net/StockId.h"
#include "platform/core/Wnd.h"

// A child window of the main dialog.
class DeskPage {
 public:
  virtual ~DeskPage() = default;
  // Makes the window: a child (or, for the side dialog, a pop-up) of
  // parent with this window name, style, rectangle and control id.
  virtual BOOL CreatePage(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) = 0;
  // The window object (m_hWnd null until created).
  virtual CWnd& Window() = 0;
  // 0 hide, 1 compact, 2 full; rect in the parent's client coordinates.
  virtual void PlacePane(int mode, const RECT& rect) = 0;
};

// A list of stocks the user steps through with Page Up / Page Down and the
// wheel in the stock view: the watch list, a ranking list, a sector's list.
// Positions are display positions, rows storage indexes.
class NavigationList {
 public:
  virtual ~NavigationList() = default;
  // The storage index of the selected row, -1 for none.
  virtual int GetSelectedRow() = 0;
  // Selects a storage row and repaints.
  virtual void SetSelectedRow(int index) = 0;
  // Move the selection one row in display order, wrapping; the new position.
  virtual int SelectNextRow() = 0;
  virtual int SelectPrevRow() = 0;
  // The stock at a display position; 0 when out of range.
  virtual StockId StockAtPosition(int position) = 0;
  virtual int GetRowCount() = 0;
};

// The watch list of the main dialog (page 0).
class DeskWatchList : public virtual DeskPage, public NavigationList {
 public:
  virtual void SetFontIndirect(const LOGFONT& font) = 0;
};

// The single-stock view (page 9).
class DeskStockView : public virtual DeskPage {
 public:
  // Switches the view to a stock; the caller keeps and frees the key.
  virtual void SetStock(const StockId* stock) = 0;
  // The stock shown, 0 before the first.
  virtual StockId GetStock() = 0;
  // Whether a stock is shown.
  virtual BOOL HasStock() = 0;
  virtual void ZoomIn() = 0;
  virtual void ZoomOut() = 0;
  // The list the stock was opened from (a window implementing
  // NavigationList), or null.
  virtual void SetNavigationList(CWnd* list) = 0;
  virtual CWnd* GetNavigationList() = 0;
  // Selects an item of the view's period tab strip.
  virtual void SelectTab(int item) = 0;
  // Clears the view's active-page flags (another page is shown).
  virtual void ClearActiveFlags() = 0;
  // Whether one of the view's own pop-ups is open (keys and the wheel then
  // pass by unchanged).
  virtual BOOL HasOpenPopup() = 0;
  // The view's inner input pop-up: whether it is open; closes it.
  virtual BOOL IsInputPopupOpen() = 0;
  virtual void CloseInputPopup() = 0;
};

// The stock side dialog, beside the compact main window; a pop-up owned by
// the main dialog that gets every opened stock as WM_KIV_OPEN_STOCK.
class DeskSideDialog : public virtual DeskPage {
 public:
  // Whether it is shown (follows WM_SHOWWINDOW).
  virtual BOOL IsShown() = 0;
};

// The sector page (page 5).
class DeskSectorPage : public virtual DeskPage {
 public:
  // Hides the stocks of a sector and shows the sector list again.
  virtual void ShowSectorList() = 0;
  // The sector list window, the origin of the stocks opened from it.
  virtual CWnd* SectorList() = 0;
};

// The robot page (page 12).
class DeskRobotPage : public virtual DeskPage {
 public:
  // Lays the panes out and starts their first loads; once, after creation.
  virtual void InitPanes() = 0;
  // Clears the kept stock of the curve and sets the overview flag.
  virtual void SetOverview() = 0;
  // With the overview flag set: the whole-market curve.
  virtual void RefreshCurve() = 0;
};

// The monitoring page (page 3).
class DeskMonitoringPage : public virtual DeskPage {
 public:
  // The large (true) or small shared list font on its alert list.
  virtual void SetListFont(bool large) = 0;
};
