// CRYKIVDeskDlg: the message map's program messages, the window states, the
// page switch, the open-stock road, the stock search, the keys, the wheel,
// WM_COPYDATA and the push handler.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/GlobalObjects.h"
#include "platform/core/WinUser.h"
#include "platform/post/Posting.h"
#include "platform/sys/Clock.h"
#include "platform/sys/Thread.h"
#include "platform/sys/Trace.h"
#include "platform/ui/MessageBox.h"
#include "shell/KivDesk_Button.h"
#include "shell/KivDesk_InputDlg.h"
#include "shell/KivDesk_Title.h"
#include "shell/KivDesk_Wnd_Tab.h"
#include "shell/KivDesk_Wnd_Tab2.h"
#include "shell/MZSMDlg.h"
#include "shell/ModifyPwdDlg.h"
#include "shell/desk/DeskIds.h"
#include "shell/desk/RYKIVDeskDlg.h"

namespace {

// A key of the open-stock road whose market byte is 0 gets the market its
// code implies: the first four security classes trade in Shanghai, every
// other in Shenzhen.
StockId WithMarket(StockId stock) {
  if (StockMarket(stock) != kMarketNone) return stock;
  const int32_t securityClass = ClassifyCode(static_cast<int32_t>(StockCode(stock)));
  const uint32_t market = securityClass >= 0 && securityClass <= 3 ? kMarketShanghai : kMarketShenzhen;
  return MakeStockId(StockCode(stock), market);
}

// The copy-data text as a stock key: only a decimal number of at most 32
// bits whose code (low 24 bits) is not 0; 0 otherwise.
StockId CopyDataStock(const std::string& text) {
  if (text.empty() || text.size() > 10) return 0;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFull) return 0;
  const StockId stock = static_cast<StockId>(value);
  return StockCode(stock) == 0 ? 0 : stock;
}

}  // namespace

// --- Program messages ----------------------------------------------------------

LRESULT CRYKIVDeskDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KIV_OPEN_STOCK:
      OnOpenStock(kiv::AdoptPosted<StockId>(wParam), lParam);
      return 0;
    case WM_KIV_BUTTON_DOWN:
      // The buttons forget a press that another button took over.
      for (int slot = 0; slot < kPageButtonSlots - 1; ++slot) {
        if (CKivDesk_Button* button = PageButton(slot)) button->PostMessage(msg, wParam, lParam);
      }
      return 0;
    case WM_KIV_SELECT:
      OnSelectPage(static_cast<UINT>(wParam), static_cast<int>(lParam));
      return 0;
    case WM_KIV_EXIT:
      OnExitApp();
      return 0;
    case WM_KIV_MAXIMIZE:
      PostMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
      return 0;
    case WM_KIV_RESTORE:
      PostMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
      return 0;
    case WM_KIV_CHANGE_PASSWORD: {
      CModifyPwdDlg dialog(this);
      dialog.DoModal();
      return 0;
    }
    case WM_KIV_RISK_NOTICE: {
      CMZSMDlg dialog(2, this);
      dialog.DoModal();
      return 0;
    }
    case WM_KIV_MANUAL:
      OnOpenManual(0);
      return 0;
    case WM_KIV_MANUAL_JUDGE:
      OnOpenManual(1);
      return 0;
    case WM_KIV_MANUAL_FETCHED:
      OnManualFetched(static_cast<BOOL>(wParam), static_cast<int>(lParam));
      return 0;
    case WM_KIV_TO_TRAY:
      OnMinimizeToTray();
      return 0;
    case WM_KIV_STOCK_INPUT:
      OnStockInput(kiv::AdoptPosted<std::string>(wParam));
      return 0;
    case WM_KIV_TRAY:
      OnTrayNotify(static_cast<UINT>(wParam), static_cast<UINT>(lParam));
      return 0;
    case WM_KIV_WATCH_FORWARD:
      if (m_pWatchList && m_pWatchList->Window().m_hWnd) m_pWatchList->Window().PostMessage(msg, wParam, lParam);
      return 0;
    case WM_KIV_TIP_REFRESH:
      RefreshMonitor(wParam);
      return 0;
    case WM_KIV_WATCH_CHANGED:
      RefreshMonitor(0);
      return 0;
    case WM_KIV_CLOSE_ALERT:
      OnCloseAlert(wParam);
      return 0;
    case WM_KIV_SHOW_ALERT:
      OnShowAlert(kiv::AdoptPosted<WatchAlert>(wParam), lParam);
      return 0;
    case WM_KIV_FORCED_LOGOUT:
      OnForcedLogout(kiv::AdoptPosted<std::string>(wParam));
      return 0;
    case WM_KIV_DELETE_OWN_STOCK:
      OnDeleteOwnStock(wParam);
      return 0;
    case WM_KIV_INSTANCE_RAISE: {
      // As the tray's left click, then to the front with its last pop-up.
      m_bMinimized = TRUE;
      SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
      SetForegroundWindow();
      const HWND popup = ::GetLastActivePopup(m_hWnd);
      if (popup && popup != m_hWnd) ::SetForegroundWindow(popup);
      return 0;
    }
    case WM_KIV_INSTANCE_COPYDATA: {
      std::unique_ptr<std::string> text = kiv::AdoptPosted<std::string>(wParam);
      if (!text) return 0;
      COPYDATASTRUCT data;
      data.cbData = static_cast<DWORD>(text->size());
      data.lpData = text->empty() ? nullptr : &(*text)[0];
      SendMessage(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
      return 0;
    }
    default:
      return CKivDialogBase::OnMessage(msg, wParam, lParam);
  }
}

// --- Window states ---------------------------------------------------------------

void CRYKIVDeskDlg::OnSysCommand(UINT id, LPARAM lParam) {
  CWnd* side = m_pStockDlg && m_pStockDlg->Window().m_hWnd ? &m_pStockDlg->Window() : nullptr;
  switch (id & 0xFFF0) {
    case SC_MAXIMIZE: {
      if (!m_bMinimized) m_nPage = m_nLastPage;
      if (side) side->ShowWindow(SW_HIDE);
      m_nWndState = 2;
      CRect work;
      ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
      MoveWindow(&work);
      if (m_pTitle) m_pTitle->SetMaximized(TRUE);
      m_bMinimized = FALSE;
      ShowWindow(SW_SHOW);
      SetForegroundWindow();
      // Only the page now current stays shown.
      ShowPage();
      return;
    }
    case SC_MINIMIZE:
      CKivDialogBase::OnSysCommand(id, lParam);
      m_bMinimized = TRUE;
      ShowWindow(SW_HIDE);
      if (side) side->ShowWindow(SW_HIDE);
      return;
    case SC_RESTORE:
      if (m_bMinimized) {
        if (m_nWndState != 1) {
          CKivDialogBase::OnSysCommand(id, lParam);
          PostMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        } else {
          if (side) side->ShowWindow(SW_SHOW);
          CKivDialogBase::OnSysCommand(id, lParam);
          m_bMinimized = FALSE;
          if (m_pTitle) m_pTitle->SetMaximized(FALSE);
          SetForegroundWindow();
        }
        return;
      }
      if (side) side->ShowWindow(SW_SHOW);
      m_nWndState = 1;
      m_bMinimized = FALSE;
      MoveWindow(&m_rcNormal);
      if (m_pTitle) m_pTitle->SetMaximized(FALSE);
      CKivDialogBase::OnSysCommand(id, lParam);
      DockSideDialog();
      return;
    default:
      CKivDialogBase::OnSysCommand(id, lParam);
      return;
  }
}

void CRYKIVDeskDlg::OnMove(int x, int y) {
  CKivDialogBase::OnMove(x, y);
  if (m_nWndState != 1 || m_bMinimized) return;
  GetWindowRect(&m_rcNormal);
  DockSideDialog();
}

LRESULT CRYKIVDeskDlg::OnNcHitTest(CPoint screenPoint) {
  if (m_nWndState == 1) return CKivDialogBase::OnNcHitTest(screenPoint);
  return CWnd::OnNcHitTest(screenPoint);
}

void CRYKIVDeskDlg::OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) {
  const int slot = idCtl - static_cast<int>(kIdcFirstPageButton);
  if (CKivDesk_Button* button = PageButton(slot)) {
    button->DrawButton(CDC::FromHandle(drawItem->hDC));
    return;
  }
  CKivDialogBase::OnDrawItem(idCtl, drawItem);
}

void CRYKIVDeskDlg::OnPaint() {
  if (m_nWndState != 1 && !m_bMinimized) {
    CRect work;
    CRect window;
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(&window);
    if (window != work) MoveWindow(&work);
  }
  CKivDialogBase::OnPaint();
}

HCURSOR CRYKIVDeskDlg::OnQueryDragIcon() { return m_hIcon; }

BOOL CRYKIVDeskDlg::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  return CKivDialogBase::OnSetCursor(wnd, hitTest, message);
}

// --- Page switch ---------------------------------------------------------------

void CRYKIVDeskDlg::OnSelectPage(UINT id, int item) {
  int page;
  if (id == kIdcTabSmall) {
    if (item == 1) {
      if (m_pTab2) m_pTab2->ShowWindow(SW_SHOW);
      page = 1;
    } else {
      if (m_pTab2) m_pTab2->ShowWindow(SW_HIDE);
      page = item == 2 ? kPageMarkRisk : 0;
    }
  } else if (id == kIdcTabFull) {
    page = item + 1;
  } else if (id > 9) {
    page = static_cast<int>(id) - static_cast<int>(kIdcFirstPageButton);
  } else {
    page = static_cast<int>(id);
  }
  if (page < 0 || page > 9) return;

  for (int slot = 0; slot < kPageButtonSlots; ++slot) {
    if (slot == 8) continue;
    if (CKivDesk_Button* button = PageButton(slot)) button->SetActive(slot == page);
  }
  auto strips = [this](int first, int second) {
    if (m_pTab) m_pTab->SetCurSel(first);
    if (second >= 0 && m_pTab2) {
      m_pTab2->SetCurSel(second);
      m_pTab2->Invalidate(FALSE);
    }
  };
  int next = m_nPage;
  switch (page) {
    case 0:
      next = kPageWatchList;
      strips(0, -1);
      break;
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
      next = page;
      strips(1, page - 1);
      break;
    case 7:
      next = kPageMarkRisk;
      strips(0, -1);
      break;
    case 8:
      break;
    case 9:
      next = kPageRobot;
      strips(0, -1);
      break;
    default:
      return;
  }
  m_nLastPage = m_nPage;
  m_nPage = next;
  ShowPage();
}

// --- Open-stock road -------------------------------------------------------------

void CRYKIVDeskDlg::PostOpenStock(StockId stock, LPARAM origin) {
  kiv::PostOwned(m_hWnd, WM_KIV_OPEN_STOCK, std::make_unique<StockId>(stock), origin);
}

void CRYKIVDeskDlg::OnOpenStock(std::unique_ptr<StockId> stock, LPARAM origin) {
  if (!stock) return;
  if (m_bMinimized) SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  *stock = WithMarket(*stock);
  if (m_nPage == kPageGenre) m_pLastGenreStock = std::make_unique<StockId>(*stock);
  if (m_pStockDlg && m_pStockDlg->Window().m_hWnd) {
    kiv::PostOwned(m_pStockDlg->Window().m_hWnd, WM_KIV_OPEN_STOCK, std::make_unique<StockId>(*stock), origin);
  }
  if (m_nWndState == 1) return;

  if (m_pF10 && m_pF10->Window().m_hWnd) m_pF10->Window().ShowWindow(SW_HIDE);
  // Leaving the view (Esc, the compact panel) returns to the page the stock
  // was opened from.
  if (m_nPage != kPageStockView) m_nLastPage = m_nPage;
  m_nPage = kPageStockView;
  HideOtherPages(kPageStockView);
  if (!CreateKLineView()) return;
  CWnd* navigation = nullptr;
  if (origin == KIV_ORIGIN_WATCHLIST) {
    if (m_pWatchList && m_pWatchList->Window().m_hWnd) {
      navigation = &m_pWatchList->Window();
      if (m_pWatchList->GetRowCount() > 0) m_pWatchList->SetSelectedRow(0);
    }
  } else if (origin != KIV_ORIGIN_NONE && origin != 0) {
    navigation = CWnd::FromHandle(reinterpret_cast<HWND>(origin));
  }
  m_pKLine->SetNavigationList(navigation);
  {
    ScopedWriteLock write(&m_lock);
    if (m_bCopyDataTab) {
      m_pKLine->SelectTab(1);
      m_bCopyDataTab = FALSE;
    }
  }
  m_pKLine->Window().ShowWindow(SW_SHOW);
  m_pKLine->SetStock(stock.get());
}

BOOL CRYKIVDeskDlg::OnCopyData(CWnd* wnd, COPYDATASTRUCT* data) {
  ::OutputDebugStringA("---------------------收到消息\r\n");
  std::string text;
  if (data && data->lpData && data->cbData > 0) {
    const char* bytes = static_cast<const char*>(data->lpData);
    const size_t size = std::min<size_t>(data->cbData, 271);
    text.assign(bytes, std::find(bytes, bytes + size, '\0'));
  }
  if (text.empty()) {
    ::OutputDebugStringA("---------------------id为空\r\n");
    return FALSE;
  }
  // Only a number that names a stock opens one; anything else leaves the
  // next ordinary open as it was.
  const StockId stock = CopyDataStock(text);
  if (stock == 0) return FALSE;
  char line[64];
  std::snprintf(line, sizeof line, "---------------------stockid = %d \n", static_cast<int>(stock));
  ::OutputDebugStringA(line);
  {
    ScopedWriteLock write(&m_lock);
    m_bCopyDataTab = TRUE;
  }
  PostOpenStock(stock, 0);
  return CKivDialogBase::OnCopyData(wnd, data);
}

// --- Stock search ----------------------------------------------------------------

void CRYKIVDeskDlg::SetSearchOpen(BOOL open) {
  ScopedWriteLock write(&m_lock);
  m_bSearchOpen = open;
}

void CRYKIVDeskDlg::OnStockInput(std::unique_ptr<std::string> typed) {
  if (SearchOpen()) return;
  if (!Globals()) return;
  CKivDesk_InputDlg dialog(Globals()->Stocks(), typed ? *typed : std::string(), this);
  SetSearchOpen(TRUE);
  const INT_PTR result = dialog.DoModal();
  SetSearchOpen(FALSE);
  if (result != IDOK) return;
  const StockId chosen = dialog.GetStockId();
  if (StockMarket(chosen) != kMarketNone) {
    PostOpenStock(chosen, 0);
    return;
  }
  RunShortcut(dialog.GetShortcutNumber());
}

BOOL CRYKIVDeskDlg::ShownStockView() {
  return m_pKLine && m_pKLine->Window().m_hWnd && m_pKLine->Window().IsWindowVisible() && m_pKLine->HasStock();
}

void CRYKIVDeskDlg::OpenRankingTab(int item) {
  m_nLastPage = m_nPage;
  m_nPage = kPageRise;
  ShowPage();
  if (CWnd* rise = PageCWnd(kPageRise)) rise->PostMessage(WM_KIV_SELECT, kIdcRiseTab, item);
}

void CRYKIVDeskDlg::RunShortcut(int code) {
  switch (code) {
    case 3:
      PostOpenStock(MakeStockId(1, kMarketShanghai), 0);
      break;
    case 4:
      PostOpenStock(MakeStockId(399001, kMarketShenzhen), 0);
      break;
    case 5:
      if (ShownStockView()) {
        if (StockMarket(m_pKLine->GetStock()) != kMarketFourthBoard) {
          m_pKLine->Window().PostMessage(WM_KIV_KLINE_TYPE, 0, 0);
        }
      } else if (m_pWatchList) {
        const int selected = m_pWatchList->GetSelectedRow();
        const StockId stock = m_pWatchList->StockAtPosition(selected < 0 ? 0 : selected);
        if (stock != 0) PostOpenStock(stock, 0);
      }
      break;
    case 6:
      m_nLastPage = m_nPage;
      m_nPage = kPageWatchList;
      ShowPage();
      break;
    case 10:
      if (ShownStockView()) {
        const uint32_t market = StockMarket(m_pKLine->GetStock());
        if (market != kMarketThirdBoard && market != kMarketFourthBoard) {
          m_pKLine->Window().PostMessage(WM_KIV_KLINE_F10, 0, 0);
        }
      } else {
        AfxMessageBox(kF10OnlyInViewText);
      }
      break;
    case 31:
      m_nLastPage = m_nPage;
      m_nPage = kPageGenre;
      ShowPage();
      break;
    case 60:
    case 67:
      OpenRankingTab(6);
      break;
    case 61:
      OpenRankingTab(0);
      break;
    case 63:
      OpenRankingTab(2);
      break;
    default:
      break;
  }
}

// --- Keys ------------------------------------------------------------------------

void CRYKIVDeskDlg::PostStockInput(const std::string& text) {
  kiv::PostOwned(m_hWnd, WM_KIV_STOCK_INPUT, std::make_unique<std::string>(text));
}

void CRYKIVDeskDlg::FlushTyped() {
  if (!m_strTyped.empty()) PostStockInput(m_strTyped);
  m_strTyped.clear();
  m_nTypedPrev = 0;
  m_nTypedCount = 0;
}

BOOL CRYKIVDeskDlg::PreTranslateMessage(MSG* msg) {
  if (m_pKLine && m_pKLine->Window().m_hWnd && m_pKLine->IsInputPopupOpen()) {
    return CKivDialogBase::PreTranslateMessage(msg);
  }
  // Typed bytes travel together: once a message passes without a new one,
  // what was typed goes to the search (a double-byte character's two
  // WM_CHARs arrive back to back).
  if (m_nTypedCount == m_nTypedPrev) {
    if (!m_strTyped.empty()) FlushTyped();
  }
  m_nTypedPrev = m_nTypedCount;

  switch (msg->message) {
    case WM_SYSKEYDOWN:
      if (msg->wParam == VK_F10) {
        if (ShownStockView()) {
          const uint32_t market = StockMarket(m_pKLine->GetStock());
          if (market != kMarketThirdBoard && market != kMarketFourthBoard) {
            m_pKLine->Window().PostMessage(WM_KIV_KLINE_F10, 0, 0);
          }
        }
        return TRUE;
      }
      break;
    case WM_KEYDOWN:
      if (OnKeyDownMessage(msg)) return TRUE;
      break;
    case WM_KEYUP:
      if (OnKeyUpMessage(msg)) return TRUE;
      break;
    case WM_CHAR:
      OnCharMessage(msg);
      break;
    case WM_IME_COMPOSITION:
      if (msg->lParam & GCS_RESULTSTR) {
        HIMC context = ::ImmGetContext(msg->hwnd);
        const LONG size = ::ImmGetCompositionString(context, GCS_RESULTSTR, nullptr, 0);
        std::string text(static_cast<size_t>(std::max<LONG>(size, 0)), '\0');
        if (size > 0) ::ImmGetCompositionString(context, GCS_RESULTSTR, &text[0], static_cast<DWORD>(size));
        ::ImmReleaseContext(msg->hwnd, context);
        if (!text.empty()) PostStockInput(text);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return CKivDialogBase::PreTranslateMessage(msg);
}

void CRYKIVDeskDlg::OnCharMessage(MSG* msg) {
  const unsigned ch = static_cast<unsigned>(msg->wParam) & 0xFF;
  // Letters, digits and the period open the search from their WM_KEYDOWN
  // already; their characters would open it a second time.
  if (std::isalnum(static_cast<int>(ch)) || ch == '.') return;
  if ((ch >= 0x20 && ch <= 0x7E) || (ch & 0x80)) {
    m_strTyped.push_back(static_cast<char>(ch));
    ++m_nTypedCount;
    // A message must pass once the typing stops, so that what was typed
    // goes on even when nothing else happens.
    SetTimer(kTypedTimer, kTypedMs);
  }
}

BOOL CRYKIVDeskDlg::OnKeyDownMessage(MSG* msg) {
  const UINT vk = static_cast<UINT>(msg->wParam);
  const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
  const bool shift = ::GetKeyState(VK_SHIFT) < 0;
  if (vk == VK_LEFT || vk == VK_RIGHT) {
    if (ShownStockView()) {
      const WPARAM how = ctrl ? (vk == VK_LEFT ? kKLineCtrlLeft : kKLineCtrlRight) : 0;
      m_pKLine->Window().PostMessage(vk == VK_LEFT ? WM_KIV_KLINE_LEFT : WM_KIV_KLINE_RIGHT, how, 0);
    }
    return FALSE;
  }
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
    if (!ctrl) PostStockInput(std::string(1, static_cast<char>(vk)));
    return FALSE;
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
    PostStockInput(std::string(1, static_cast<char>('0' + (vk - VK_NUMPAD0))));
    return FALSE;
  }
  if (vk == VK_DECIMAL || vk == VK_OEM_PERIOD) {
    // The period lists the shortcut rows.
    PostStockInput(".");
    return FALSE;
  }
  if (vk == VK_INSERT) {
    if (m_nPage != kPageStockView || !ShownStockView() || !Globals()) return FALSE;
    const StockId stock = m_pKLine->GetStock();
    const uint32_t market = StockMarket(stock);
    if (market != kMarketShanghai && market != kMarketShenzhen) return FALSE;
    StockRecord record;
    if (!Globals()->Stocks().Find(stock, record)) return FALSE;
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, kAddStockPrefix, static_cast<int>(StockCode(stock)));
    const std::string name(record.name, strnlen(record.name, sizeof record.name));
    const std::string question = std::string(prefix) + name + kAddStockSuffix;
    if (AfxMessageBox(question, MB_YESNO) == IDYES) ChangeWatchList(true, stock);
    return FALSE;
  }
  if (vk == VK_DELETE) {
    if (m_nPage != kPageWatchList || !m_pWatchList || !Globals()) return FALSE;
    const int index = m_pWatchList->GetSelectedRow();
    const std::vector<WatchEntry> entries = Globals()->WatchList().GetEntries();
    if (index >= 0 && index < static_cast<int>(entries.size())) {
      ChangeWatchList(false, entries[static_cast<size_t>(index)].id);
    }
    return FALSE;
  }
  if (vk == VK_F1 && ctrl && shift) {
    if (!Globals() || Globals()->Stocks().IsEmpty()) return FALSE;
    if (AfxMessageBox(kDownloadAllText, MB_OKCANCEL) == IDOK) {
      if (CWinThreadPtr worker = AfxBeginThread(kiv::RefreshAllStocks, Globals())) workers_.push_back(worker);
    }
    return FALSE;
  }
  if (vk == VK_F3) {
    OnOpenStock(std::make_unique<StockId>(MakeStockId(1, kMarketShanghai)), 0);
    return FALSE;
  }
  if (vk == VK_F4) {
    OnOpenStock(std::make_unique<StockId>(MakeStockId(399001, kMarketShenzhen)), 0);
    return FALSE;
  }
  return FALSE;
}

BOOL CRYKIVDeskDlg::OnKeyUpMessage(MSG* msg) {
  if (m_pStockDlg && m_pStockDlg->Window().m_hWnd && m_pStockDlg->IsShown()) return FALSE;
  const UINT vk = static_cast<UINT>(msg->wParam);
  const bool inView = m_nPage == kPageStockView && ShownStockView();
  switch (vk) {
    case VK_RETURN:
      if (m_pKLine && m_pKLine->IsInputPopupOpen()) {
        m_pKLine->CloseInputPopup();
      } else if (SearchOpen()) {
        SetSearchOpen(FALSE);
      } else if (ShownStockView()) {
        m_pKLine->Window().PostMessage(WM_KIV_KLINE_MARKS, 0, 0);
      }
      break;
    case VK_ESCAPE:
      if (SearchOpen()) {
        SetSearchOpen(FALSE);
      } else if (m_nPage == kPageStockView) {
        CWnd* sectorList = m_pGenre ? m_pGenre->SectorList() : nullptr;
        if (m_pKLine && sectorList && m_pKLine->GetNavigationList() == sectorList && m_pLastGenreStock) {
          // A fresh key: the kept one stays for the next Esc.
          m_nPage = kPageGenre;
          PostOpenStock(*m_pLastGenreStock, reinterpret_cast<LPARAM>(sectorList->m_hWnd));
        } else {
          m_nPage = m_nLastPage;
          ShowPage();
        }
      } else if (m_nPage == kPageGenre) {
        if (CWnd* genre = PageCWnd(kPageGenre)) genre->PostMessage(WM_KIV_ROBOT_OVERVIEW, 0, 0);
      } else if (m_nPage == kPageRobot) {
        ShowRobotOverview();
      }
      break;
    case VK_PRIOR:
    case VK_NEXT:
      if (inView) OpenFromNavigation(vk == VK_PRIOR);
      break;
    case VK_UP:
      if (inView) m_pKLine->ZoomIn();
      break;
    case VK_DOWN:
      if (inView) m_pKLine->ZoomOut();
      break;
    case VK_F5:
      if (ShownStockView() && StockMarket(m_pKLine->GetStock()) != kMarketFourthBoard) {
        m_pKLine->Window().PostMessage(WM_KIV_KLINE_TYPE, 0, 0);
      }
      break;
    case VK_F6: {
      HideOtherPages(-1);
      m_nPage = kPageWatchList;
      CRect client;
      GetClientRect(&client);
      LayOut(client.Width(), client.Height());
      PostMessage(WM_KIV_SELECT, kIdcFirstPageButton, 0);
      break;
    }
    default:
      break;
  }
  return FALSE;
}

void CRYKIVDeskDlg::OpenFromNavigation(bool previous) {
  CWnd* navigation = m_pKLine ? m_pKLine->GetNavigationList() : nullptr;
  if (auto* list = dynamic_cast<NavigationList*>(navigation)) {
    const int position = previous ? list->SelectPrevRow() : list->SelectNextRow();
    const StockId stock = list->StockAtPosition(position);
    if (stock != 0) PostOpenStock(stock, reinterpret_cast<LPARAM>(navigation->m_hWnd));
    return;
  }
  if (!Globals() || !m_pKLine) return;
  std::vector<StockRecord> records;
  Globals()->Stocks().CopyTo(records);
  if (records.empty()) return;
  const StockId current = m_pKLine->GetStock();
  const int count = static_cast<int>(records.size());
  // The whole key first: a code can stand in two markets (000001 is the
  // Shanghai index and a Shenzhen share).
  int at = -1;
  for (int i = 0; i < count && at < 0; ++i) {
    if (records[static_cast<size_t>(i)].id == current) at = i;
  }
  for (int i = 0; i < count && at < 0; ++i) {
    if (SameStockCode(records[static_cast<size_t>(i)].id, current)) at = i;
  }
  const int next = at < 0 ? 0 : (previous ? (at + count - 1) % count : (at + 1) % count);
  PostOpenStock(records[static_cast<size_t>(next)].id, 0);
}

// --- Wheel -------------------------------------------------------------------------

BOOL CRYKIVDeskDlg::OnMouseWheel(UINT flags, short delta, CPoint point) {
  const bool scrollsPage = (m_nPage >= 0 && m_nPage <= 6) || m_nPage == kPageZhxg || m_nPage == kPageRobot;
  if (scrollsPage) {
    if (CWnd* page = PageCWnd(m_nPage)) {
      CRect rect;
      page->GetWindowRect(&rect);
      if (rect.PtInRect(point)) {
        const UINT code = delta > 0 ? SB_PAGEDOWN : SB_PAGEUP;
        const WPARAM wParam = (static_cast<WPARAM>(std::abs(static_cast<int>(delta))) << 16) | code;
        const LPARAM lParam = (static_cast<LPARAM>(point.y) << 16) + point.x;
        page->PostMessage(WM_VSCROLL, wParam, lParam);
      }
    }
  } else if (m_nPage == kPageStockView && m_pKLine && m_pKLine->Window().m_hWnd && !m_pKLine->HasOpenPopup()) {
    // One stock per second, however fast the wheel turns.
    const int64_t now = kiv::CurrentClock().UnixTimeMs() / 1000;
    if (now != m_tLastWheel) {
      CWnd* navigation = m_pKLine->GetNavigationList();
      auto* list = dynamic_cast<NavigationList*>(navigation);
      CRect view;
      m_pKLine->Window().GetWindowRect(&view);
      if (m_pKLine->HasStock() && list && view.PtInRect(point)) {
        m_tLastWheel = now;
        const int position = delta > 0 ? list->SelectPrevRow() : list->SelectNextRow();
        const StockId stock = list->StockAtPosition(position);
        if (stock != 0) PostOpenStock(stock, reinterpret_cast<LPARAM>(navigation->m_hWnd));
      }
    }
  }
  return CKivDialogBase::OnMouseWheel(flags, delta, point);
}

// --- Push --------------------------------------------------------------------------

bool CRYKIVDeskDlg::OnNetPack(KivNetPack& pack, const uint32_t& type, const uint32_t&) {
  if (type != kPushForcedLogoutType) return true;
  if (pack.GetInt32(static_cast<int32_t>(kPushReasonField), 0) != kPushReasonOtherLogin) return true;
  auto ip = std::make_unique<std::string>();
  if (!pack.GetString(*ip, static_cast<int32_t>(kPushIpField), 0)) ip->clear();
  if (net_) net_->StopConnection();
  const HWND hwnd = hwnd_.load();
  if (hwnd) kiv::PostOwned(hwnd, WM_KIV_FORCED_LOGOUT, std::move(ip), kPushReasonOtherLogin);
  return true;
}
