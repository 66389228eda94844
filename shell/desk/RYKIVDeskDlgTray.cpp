// CRYKIVDeskDlg: the tray icon and its menu, the hover monitor window,
// minimising to the tray, the alert pop-ups, the removal of an own stock,
// the forced-logout notice, the two user manuals and the exit.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "data/GlobalObjects.h"
#include "data/HttpClient.h"
#include "data/ServerConfig.h"
#include "platform/core/WinUser.h"
#include "platform/sys/Files.h"
#include "platform/sys/ProfileFile.h"
#include "platform/sys/Shell.h"
#include "platform/sys/Thread.h"
#include "platform/sys/Trace.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "shell/KivDesk_Dlg_Msg.h"
#include "shell/KivDesk_Dlg_Tip.h"
#include "shell/Kiv_Dlg_About.h"
#include "shell/desk/DeskEnvironment.h"
#include "shell/desk/DeskIds.h"
#include "shell/desk/RYKIVDeskDlg.h"
#include "shell/notice/KivUpWarnDlg.h"

namespace {

// A manual download, run on a worker: the thread owns the job.
struct ManualFetchJob {
  HWND hwnd = nullptr;
  std::string url;
  std::string path;  // GBK
  int which = 0;
};

UINT FetchManualThread(void* param) {
  std::unique_ptr<ManualFetchJob> job(static_cast<ManualFetchJob*>(param));
  // Staged in a temporary file that replaces the target only after a whole
  // status-200 reply, so a failure leaves no file behind.
  const bool ok = HttpGetToFile(job->url, job->path);
  ::PostMessage(job->hwnd, WM_KIV_MANUAL_FETCHED, ok ? 1 : 0, job->which);
  return 0;
}

// A change of the watch list on the web service, run on a worker.
struct WatchChangeJob {
  HWND hwnd = nullptr;
  CKIVDesk_ZiXuan* list = nullptr;
  bool add = false;
  StockId stock = 0;
};

UINT ChangeWatchListThread(void* param) {
  std::unique_ptr<WatchChangeJob> job(static_cast<WatchChangeJob*>(param));
  if (job->add) {
    job->list->Add(&job->stock);
  } else {
    job->list->Remove(&job->stock);
  }
  ::PostMessage(job->hwnd, WM_KIV_WATCH_CHANGED, 0, 0);
  return 0;
}

bool FileExists(const std::string& gbkPath) {
  std::error_code error;
  return std::filesystem::is_regular_file(kiv::NativePath(gbkPath), error);
}

const char* ManualName(int which) { return which == 0 ? kManualName : kJudgeManualName; }

}  // namespace

// --- Tray icon -------------------------------------------------------------------

void CRYKIVDeskDlg::OnTrayNotify(UINT id, UINT mouseMessage) {
  if (id != kTrayIconId) return;
  switch (mouseMessage) {
    case WM_MOUSEMOVE:
      if (!m_bHoverMonitor) return;
      if (!m_pTipDlg) {
        m_pTipDlg = std::make_unique<CKivDesk_Dlg_Tip>(this);
        if (!m_pTipDlg->Create()) {
          m_pTipDlg.reset();
          return;
        }
      }
      ::GetCursorPos(&m_ptTrayCursor);
      if (!m_pTipDlg->IsShown()) ShowMonitorAtTray();
      SetTimer(kMonitorTimer, kMonitorHoverMs);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (m_bTrayMenuOpen) return;
      m_bMinimized = TRUE;
      PostMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
      return;
    case WM_RBUTTONDOWN:
      ShowTrayMenu();
      return;
    default:
      return;
  }
}

void CRYKIVDeskDlg::ShowMonitorAtTray() {
  if (!m_pTipDlg || !m_pTipDlg->m_hWnd) return;
  CRect tip;
  m_pTipDlg->GetWindowRect(&tip);
  // Above the window under the cursor (the tray icon), right edges lined
  // up; flipped to its left edge where the work area ends.
  CRect under(m_ptTrayCursor, CSize(0, 0));
  if (CWnd* below = CWnd::WindowFromPoint(m_ptTrayCursor)) below->GetWindowRect(&under);
  CRect work;
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  int right = under.right;
  if (right > work.right) right = under.left;
  const int left = right - tip.Width();
  const int top = under.top - tip.Height();
  ::SetWindowPos(m_pTipDlg->m_hWnd, HWND_TOPMOST, left, top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  m_pTipDlg->ShowWindow(SW_SHOWNOACTIVATE);
  m_pTipDlg->Invalidate(FALSE);
}

void CRYKIVDeskDlg::ShowTrayMenu() {
  CMenu menu;
  if (!menu.CreatePopupMenu()) return;
  if (m_bMinimized) {
    menu.AppendMenu(MF_STRING, kTrayMenuShow, kTrayShow);
  } else {
    menu.AppendMenu(MF_STRING, kTrayMenuToTray, kTrayToTray);
  }
  menu.AppendMenu(MF_STRING | (m_bHoverMonitor ? MF_CHECKED : 0), kTrayMenuMonitor, kTrayMonitor);
  if (m_pTipDlg) {
    menu.AppendMenu(MF_STRING, kTrayMenuMonitorAlways, MonitorAlways() ? kTrayMonitorDefault : kTrayMonitorAlways);
  }
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING | (NoticesOn() ? MF_CHECKED : 0), kTrayMenuNotices, kTrayNotices);
  menu.AppendMenu(MF_STRING, kTrayMenuAbout, kTrayAbout);
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, kTrayMenuExit, kTrayExit);

  POINT cursor;
  ::GetCursorPos(&cursor);
  m_bTrayMenuOpen = TRUE;
  const UINT command =
      static_cast<UINT>(menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, cursor.x, cursor.y, this));
  m_bTrayMenuOpen = FALSE;

  switch (command) {
    case kTrayMenuShow:
      m_bMinimized = TRUE;
      PostMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
      break;
    case kTrayMenuToTray:
      PostMessage(WM_KIV_TO_TRAY, 0, 0);
      break;
    case kTrayMenuMonitor:
      m_bHoverMonitor = !m_bHoverMonitor;
      break;
    case kTrayMenuMonitorAlways:
      if (!m_pTipDlg) break;
      if (MonitorAlways()) {
        m_nMonitorFlags &= ~1;
        m_pTipDlg->ShowWindow(SW_HIDE);
        SetTimer(kMonitorTimer, kMonitorAlwaysOffMs);
      } else {
        m_nMonitorFlags |= 1;
        KillTimer(kMonitorTimer);
        m_pTipDlg->ShowWindow(SW_SHOWNOACTIVATE);
      }
      break;
    case kTrayMenuNotices: {
      ScopedWriteLock write(&m_lock);
      m_bNotices = !m_bNotices;
      break;
    }
    case kTrayMenuAbout: {
      CKiv_Dlg_About about(this);
      about.DoModal();
      break;
    }
    case kTrayMenuExit:
      PostMessage(WM_KIV_EXIT, 0, 0);
      break;
    default:
      break;
  }
}

void CRYKIVDeskDlg::OnTimer(UINT_PTR id) {
  if (id == kTypedTimer) {
    KillTimer(kTypedTimer);
    FlushTyped();
    return;
  }
  if (id != kMonitorTimer) {
    CKivDialogBase::OnTimer(id);
    return;
  }
  if (!m_pTipDlg || !m_pTipDlg->m_hWnd) return;
  if (MonitorAlways()) {
    if (!m_pTipDlg->IsShown()) m_pTipDlg->ShowWindow(SW_SHOWNOACTIVATE);
    return;
  }
  if (!m_pTipDlg->IsShown()) return;
  POINT cursor;
  ::GetCursorPos(&cursor);
  CRect tip;
  m_pTipDlg->GetWindowRect(&tip);
  const bool stillOnIcon = cursor.x == m_ptTrayCursor.x && cursor.y == m_ptTrayCursor.y;
  if (!stillOnIcon && !tip.PtInRect(cursor)) m_pTipDlg->ShowWindow(SW_HIDE);
}

void CRYKIVDeskDlg::OnMinimizeToTray() {
  m_bMinimized = TRUE;
  SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ShowWindow(SW_HIDE);
  if (m_pStockDlg && m_pStockDlg->Window().m_hWnd) m_pStockDlg->Window().ShowWindow(SW_HIDE);
  SetTimer(kMonitorTimer, kMonitorToTrayMs);
}

void CRYKIVDeskDlg::RefreshMonitor(WPARAM how) {
  if (!m_pTipDlg) return;
  if (how == 100) m_pTipDlg->ReloadList();
  m_pTipDlg->RefreshList();
}

// --- Alerts --------------------------------------------------------------------

void CRYKIVDeskDlg::OnShowAlert(std::unique_ptr<WatchAlert> alert, LPARAM flags) {
  if (!alert) return;
  if (!NoticesOn()) return;
  const int watched = Globals() ? Globals()->WatchList().GetCount() : 0;
  CKivDesk_Dlg_Msg* shown = nullptr;
  {
    ScopedWriteLock write(&m_lock);
    if (m_bSearchOpen) return;
    // No more pop-ups than watched stocks, nor than the screen holds.
    const int limit = std::min(watched, m_nAlertSlots);
    for (int slot = 0; slot < limit; ++slot) {
      std::unique_ptr<CKivDesk_Dlg_Msg>& entry = m_pAlertSlots[static_cast<size_t>(slot)];
      if (entry) continue;
      auto popup = std::make_unique<CKivDesk_Dlg_Msg>(slot, alert.get(), static_cast<AlertSignalFlags>(flags), this);
      if (!popup->Create()) break;
      entry = std::move(popup);
      shown = entry.get();
      break;
    }
  }
  if (!shown) return;
  // Shown without taking the keyboard from the main window.
  shown->ShowWindow(SW_SHOWNOACTIVATE);
}

void CRYKIVDeskDlg::OnCloseAlert(WPARAM slot) {
  if (slot >= static_cast<WPARAM>(std::max(m_nAlertSlots, 0))) return;
  std::unique_ptr<CKivDesk_Dlg_Msg>& entry = m_pAlertSlots[static_cast<size_t>(slot)];
  if (!entry) return;
  if (::IsWindow(entry->m_hWnd)) entry->DestroyWindow();
  entry.reset();
}

// --- Watch list ----------------------------------------------------------------

void CRYKIVDeskDlg::ChangeWatchList(bool add, StockId stock) {
  if (!Globals()) return;
  auto job = std::make_unique<WatchChangeJob>();
  job->hwnd = m_hWnd;
  job->list = &Globals()->WatchList();
  job->add = add;
  job->stock = stock;
  CWinThreadPtr thread = AfxBeginThread(ChangeWatchListThread, job.get());
  if (!thread) return;
  job.release();
  workers_.push_back(thread);
}

void CRYKIVDeskDlg::OnDeleteOwnStock(WPARAM index) {
  if (m_nPage != kPageWatchList || !m_pWatchList || !m_pWatchList->Window().m_hWnd || !Globals()) return;
  const std::vector<WatchEntry> entries = Globals()->WatchList().GetEntries();
  if (index >= entries.size()) return;
  ChangeWatchList(false, entries[index].id);
}

// --- Forced logout ----------------------------------------------------------------

void CRYKIVDeskDlg::OnForcedLogout(std::unique_ptr<std::string> ip) {
  CKivUpWarnDlg notice(this);
  notice.SetMode(1);
  notice.SetSeconds(kForcedLogoutSeconds);
  notice.SetText(std::string(kForcedLogoutBefore) + (ip ? *ip : std::string()) + kForcedLogoutAfter);
  ip.reset();
  notice.DoModal();
  OnCancel();
}

// --- Manuals -------------------------------------------------------------------

void CRYKIVDeskDlg::OnOpenManual(int which) {
  const std::string dataFolder = GetDeskEnvironment().programFolder + "Data/";
  const std::string name = ManualName(which);
  char question[512];
  if (FileExists(dataFolder + name)) {
    std::snprintf(question, sizeof question, kOpenManualText, name.c_str());
    if (::MessageBox(m_hWnd, question, kOpenCaption, MB_OKCANCEL) == IDOK) OpenManualFile(name);
    return;
  }
  std::snprintf(question, sizeof question, kDownloadManualText, name.c_str());
  if (::MessageBox(m_hWnd, question, kDownloadCaption, MB_OKCANCEL) != IDOK) return;
  std::error_code error;
  std::filesystem::create_directories(kiv::NativePath(dataFolder), error);
  const ServerConfig config = GetServerConfig();
  auto job = std::make_unique<ManualFetchJob>();
  job->hwnd = m_hWnd;
  job->url = "http://" + config.HttpAuthority(config.makerWebHost) + (which == 0 ? kManualPath : kJudgeManualPath);
  job->path = dataFolder + name;
  job->which = which;
  CWinThreadPtr thread = AfxBeginThread(FetchManualThread, job.get());
  if (!thread) return;
  job.release();
  workers_.push_back(thread);
}

void CRYKIVDeskDlg::OnManualFetched(BOOL ok, int which) {
  // A failed download opens nothing and says nothing.
  if (!ok || (which != 0 && which != 1)) return;
  const std::string name = ManualName(which);
  if (FileExists(GetDeskEnvironment().programFolder + "Data/" + name)) OpenManualFile(name);
}

void CRYKIVDeskDlg::OpenManualFile(const std::string& name) {
  const std::string dataFolder = GetDeskEnvironment().programFolder + "Data/";
  const intptr_t result =
      kiv::ShellResultCode(::ShellExecuteA(m_hWnd, "open", name.c_str(), nullptr, dataFolder.c_str(), SW_SHOW));
  if (result <= 32) KivTrace("main dialog: the manual could not be opened (%d)", static_cast<int>(result));
}

// --- Exit ------------------------------------------------------------------------

void CRYKIVDeskDlg::OnExitApp() {
  const char* ini = GetDeskEnvironment().systemIniPath.c_str();
  ::WritePrivateProfileString(kInterfaceSection, kPlacementKey,
                              m_nWndState == 1 ? kPlacementRestore : kPlacementMaximize, ini);
  ::WritePrivateProfileString(kInterfaceSection, kNoticesKey, NoticesOn() ? "1" : "0", ini);
  OnCancel();
}

void CRYKIVDeskDlg::OnCancel() { CKivDialogBase::OnCancel(); }
