// CRYKIVDeskDlg: the terminal's main window, a modal dialog (template 102)
// that the start-up runs once the user is logged in. It hosts everything the
// user sees: the title bar, the status toolbar, the column of page buttons,
// two tab strips, the watch list, the stock side dialog, the monitor window,
// the alert pop-ups, the tray icon and the pages of the window rooms, each
// made through the ShellPlugins table on first use.
//
// Two states: normal (m_nWndState 1: a 300 x 250 panel with the watch list
// and the tab strips, the side dialog docked below it) and maximised (2:
// the work area, page buttons left, the current page right of them).
//
// What it reaches of the program comes from DeskEnvironment (the global
// objects, the single-instance channel, system.ini), set by start-up before
// construction.
//
// Ownership: every child window and pop-up is the dialog's, made on first
// use and destroyed (window first, then the object) by the destructor. The
// dialog's own object belongs to start-up, which destroys the window before
// deleting it, after the network service has stopped.
//
// Threads: everything runs on the UI thread except OnNetPack, the network
// service's push handler, which runs on its I/O thread through the dialog's
// lifeline (revoked and unregistered first thing in the destructor) and
// only stops the connection and posts. The single-instance handlers run on
// the channel's thread and only post.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/KivNetPack.h"
#include "net/KivRWLock.h"
#include "net/StockId.h"
#include "platform/gdi/GdiObject.h"
#include "platform/post/Lifeline.h"
#include "platform/sys/Thread.h"
#include "platform/sys/TrayIcon.h"
#include "shell/DeskPages.h"
#include "shell/KivDialogBase.h"
#include "shell/WatchAlert.h"

class CKivDesk_Button;
class CKivDesk_Dlg_Msg;
class CKivDesk_Dlg_Tip;
class CKivDesk_Title;
class CKivDesk_Wnd_HeadPhoto;
class CKivDesk_Wnd_ServerAddr;
class CKivDesk_Wnd_Tab;
class CKivDesk_Wnd_Tab2;
class CKivDesk_Wnd_Toolbar;
class CNetService;
namespace kiv {
class KivGlobalObjects;
}

class CRYKIVDeskDlg : public CKivDialogBase {
 public:
  // Registers the push handler with the network service of the
  // environment's global objects.
  explicit CRYKIVDeskDlg(CWnd* parent = nullptr);
  // Unregisters the push handler (revoking the lifeline first), removes the
  // tray icon, destroys every child and pop-up.
  ~CRYKIVDeskDlg() override;

  // The program runs the dialog with DoModal (CDialog's). Create makes it
  // modeless, for a host that runs its own loop (the tests).
  BOOL Create(CWnd* parent = nullptr);

  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* msg) override;

  // Shows m_nPage (making its window on first use), hides the others and
  // lays the window out again.
  void ShowPage();

  // Child creators: nonzero on success; nothing when the child exists.
  BOOL CreateTitle();
  BOOL CreateToolBar();
  BOOL CreatePageButtons(int x, int y);
  BOOL CreateTab();
  BOOL CreateTab2();
  BOOL CreateServerAddr();
  BOOL CreateHeadPhoto();
  BOOL CreateKLineView();
  BOOL CreateGenre();
  BOOL CreateShortEx();
  BOOL CreateF10();

  // The push handler (a PacketHandler): type 101 with 300001 = 6 stops the
  // connection and posts the forced-logout notice to the dialog; any other
  // push is ignored. Always true. The network I/O thread.
  bool OnNetPack(KivNetPack& pack, const uint32_t& type, const uint32_t& extra);

  // Waits for the dialog's workers (watch-list changes, manual downloads)
  // to end; their results are posted, so handle them afterwards.
  void WaitForWorkers();

  // --- State, for the program's other windows and the tests ---------------
  int WndState() const { return m_nWndState; }
  int Page() const { return m_nPage; }
  int LastPage() const { return m_nLastPage; }
  BOOL IsMinimized() const { return m_bMinimized; }
  BOOL NoticesOn();
  BOOL HoverMonitor() const { return m_bHoverMonitor; }
  BOOL MonitorAlways() const { return (m_nMonitorFlags & 1) != 0; }
  BOOL SearchOpen();
  BOOL CopyDataTab();
  int AlertSlotCount() const { return m_nAlertSlots; }
  CKivDesk_Dlg_Msg* AlertInSlot(int slot) const;
  CRect NormalRect() const { return m_rcNormal; }
  int StatusHeight() const { return m_nStatusHeight; }
  int TitleHeight() const { return m_nTitleHeight; }
  int TabHeight() const { return m_nTabHeight; }
  int ButtonColumnWidth() const { return m_nButtonColumnWidth; }
  const NOTIFYICONDATA& TrayIconData() const { return m_nid; }

  CKivDesk_Title* Title() const { return m_pTitle.get(); }
  CKivDesk_Wnd_Toolbar* ToolBar() const { return m_pToolBar.get(); }
  CKivDesk_Button* PageButton(int slot) const;
  CKivDesk_Wnd_Tab* Tab() const { return m_pTab.get(); }
  CKivDesk_Wnd_Tab2* Tab2() const { return m_pTab2.get(); }
  CKivDesk_Wnd_ServerAddr* ServerAddr() const { return m_pServerAddr.get(); }
  CKivDesk_Wnd_HeadPhoto* HeadPhoto() const { return m_pHeadPhoto.get(); }
  CKivDesk_Dlg_Tip* TipDlg() const { return m_pTipDlg.get(); }
  DeskSideDialog* StockDlg() const { return m_pStockDlg.get(); }
  DeskWatchList* WatchList() const { return m_pWatchList.get(); }
  DeskStockView* KLineView() const { return m_pKLine.get(); }
  DeskPage* MarketWindow() const { return m_pMarket.get(); }
  DeskPage* F10Window() const { return m_pF10.get(); }
  // The window object of a page (0-12), null before it exists.
  DeskPage* PageWindow(int page) const;

 protected:
  int OnCreate(LPCREATESTRUCT cs) override;
  void OnDestroy() override;
  void OnSysCommand(UINT id, LPARAM lParam) override;
  void OnMove(int x, int y) override;
  void OnSize(UINT type, int cx, int cy) override;
  LRESULT OnNcHitTest(CPoint screenPoint) override;
  void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) override;
  void OnTimer(UINT_PTR id) override;
  BOOL OnMouseWheel(UINT flags, short delta, CPoint point) override;
  void OnPaint() override;
  HCURSOR OnQueryDragIcon() override;
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
  BOOL OnCopyData(CWnd* wnd, COPYDATASTRUCT* data) override;
  void OnCancel() override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  kiv::KivGlobalObjects* Globals() const;
  CNetService* Net() const;

  // Layout and pages.
  void LayOut(int cx, int cy);
  void PlaceCurrentPage(int mode, const CRect& pageRect);
  CRect PageRect();
  // The page area of a client of this size in the current state (sets the
  // status bar's height).
  CRect PageArea(int cx, int cy);
  BOOL CreatePageWindow(int page);
  void HideOtherPages(int keep);
  void DockSideDialog();
  void ShowRobotOverview();
  CWnd* PageCWnd(int page) const;

  // Commands and routing.
  void OnSelectPage(UINT id, int item);
  void OnOpenStock(std::unique_ptr<StockId> stock, LPARAM origin);
  void OnStockInput(std::unique_ptr<std::string> typed);
  void RunShortcut(int code);
  void OpenRankingTab(int item);
  void PostOpenStock(StockId stock, LPARAM origin);
  void OnExitApp();
  void OnMinimizeToTray();
  void OnTrayNotify(UINT id, UINT mouseMessage);
  void ShowTrayMenu();
  void ShowMonitorAtTray();
  void OnShowAlert(std::unique_ptr<WatchAlert> alert, LPARAM flags);
  void OnCloseAlert(WPARAM slot);
  void OnDeleteOwnStock(WPARAM index);
  void OnForcedLogout(std::unique_ptr<std::string> ip);
  void OnOpenManual(int which);
  void OnManualFetched(BOOL ok, int which);
  void OpenManualFile(const std::string& name);
  void ChangeWatchList(bool add, StockId stock);
  void RefreshMonitor(WPARAM how);
  void SetSearchOpen(BOOL open);
  BOOL ShownStockView();
  void OpenFromNavigation(bool previous);

  // Keys.
  BOOL OnKeyDownMessage(MSG* msg);
  BOOL OnKeyUpMessage(MSG* msg);
  void OnCharMessage(MSG* msg);
  void FlushTyped();
  void PostStockInput(const std::string& text);

  // --- Members the window's design names ----------------------------------
  CRect m_rcNormal;
  int m_nWndState = 1;
  int m_nPage = 0;
  int m_nLastPage = 0;
  CFont m_font;
  int m_nButtonColumnWidth = 0;
  int m_nTitleHeight = 0;
  int m_nTabHeight = 0;
  int m_nTab2Height = 24;
  int m_nStatusHeight = 0;
  CPoint m_ptTrayCursor;
  int m_nMonitorFlags = 0;
  BOOL m_bHoverMonitor = TRUE;
  BOOL m_bNotices = TRUE;  // guarded by m_lock
  NOTIFYICONDATA m_nid;
  int64_t m_tLastWheel = 0;  // seconds
  CKivRWLock m_lock;
  BOOL m_bSearchOpen = FALSE;   // guarded by m_lock
  BOOL m_bCopyDataTab = FALSE;  // guarded by m_lock
  BOOL m_bTrayMenuOpen = FALSE;
  std::string m_strTyped;  // GBK bytes typed, not yet handed to the search
  int m_nTypedPrev = 0;
  int m_nTypedCount = 0;
  std::unique_ptr<DeskSideDialog> m_pStockDlg;
  std::unique_ptr<CKivDesk_Dlg_Tip> m_pTipDlg;
  std::unique_ptr<CKivDesk_Title> m_pTitle;
  std::unique_ptr<CKivDesk_Wnd_Toolbar> m_pToolBar;
  std::array<std::unique_ptr<CKivDesk_Button>, 10> m_pButtons;  // ids 154-163 by slot
  std::unique_ptr<DeskWatchList> m_pWatchList;                   // page 0
  std::array<std::unique_ptr<DeskPage>, 13> m_pPages;            // pages 1, 2, 4, 6, 7, 8, 10, 11
  std::unique_ptr<DeskMonitoringPage> m_pShortEx;                // page 3
  std::unique_ptr<DeskSectorPage> m_pGenre;                      // page 5
  std::unique_ptr<DeskStockView> m_pKLine;                       // page 9
  std::unique_ptr<DeskRobotPage> m_pRobot;                       // page 12
  std::unique_ptr<CKivDesk_Wnd_Tab> m_pTab;
  std::unique_ptr<CKivDesk_Wnd_Tab2> m_pTab2;
  std::unique_ptr<DeskPage> m_pMarket;
  std::unique_ptr<CKivDesk_Wnd_ServerAddr> m_pServerAddr;
  std::unique_ptr<CKivDesk_Wnd_HeadPhoto> m_pHeadPhoto;
  std::unique_ptr<DeskPage> m_pF10;
  std::vector<std::unique_ptr<CKivDesk_Dlg_Msg>> m_pAlertSlots;
  int m_nAlertSlots = 0;
  BOOL m_bMinimized = FALSE;
  std::unique_ptr<StockId> m_pLastGenreStock;

  // --- Ours -----------------------------------------------------------------
  CNetService* net_ = nullptr;          // whose push handler is ours
  std::atomic<HWND> hwnd_{nullptr};     // read by the push handler
  bool pushHandlerSet_ = false;
  // Workers that change the watch list or fetch a manual: joined by the
  // destructor, since they use the global watch list.
  std::vector<CWinThreadPtr> workers_;
  kiv::Lifeline life_;  // last: revoked before the members above go
};
