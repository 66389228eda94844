#include "shell/KivDesk_Dlg_Tip.h"

#include <cstdlib>

#include "platform/post/Posting.h"
#include "shell/ChromeIds.h"
#include "shell/KivUiTheme.h"

CKivDesk_Dlg_Tip::CKivDesk_Dlg_Tip(CWnd* owner, CWnd* parent) : CKivDialogBase(kIddMonitor, parent), m_pOwner(owner) {}

CKivDesk_Dlg_Tip::~CKivDesk_Dlg_Tip() {
  // The list is a child: normally gone with this window already.
  if (m_pList && ::IsWindow(m_pList->Window().m_hWnd)) m_pList->Window().DestroyWindow();
}

BOOL CKivDesk_Dlg_Tip::Create(CWnd* parent) { return CDialog::Create(kIddMonitor, parent); }

bool CKivDesk_Dlg_Tip::ListHasWindow() const { return m_pList && ::IsWindow(m_pList->Window().m_hWnd); }

BOOL CKivDesk_Dlg_Tip::OnInitDialog() {
  CKivDialogBase::OnInitDialog();
  if (!m_pList) {
    std::unique_ptr<CompactWatchList> list = MakeCompactWatchList();
    CRect client;
    GetClientRect(&client);
    client.DeflateRect(1, 1);
    if (list->CreateList("Kiv_List_ZiXuan4", WS_CHILD | WS_VISIBLE, client, this, kIdcMonitorList)) {
      list->SetListFont(UiTheme().lfSmall);
      list->Window().ShowWindow(SW_SHOW);
    }
    m_pList = std::move(list);
  }
  return TRUE;
}

void CKivDesk_Dlg_Tip::ReloadList() {
  if (ListHasWindow()) m_pList->RefreshNames();
}

void CKivDesk_Dlg_Tip::RefreshList() {
  if (ListHasWindow()) m_pList->RefreshRows();
}

void CKivDesk_Dlg_Tip::OnShowWindow(BOOL show, UINT status) {
  CKivDialogBase::OnShowWindow(show, status);
  m_bShown = show ? TRUE : FALSE;
}

BOOL CKivDesk_Dlg_Tip::OnMouseWheel(UINT flags, short delta, CPoint point) {
  if (ListHasWindow()) {
    CRect list;
    m_pList->Window().GetWindowRect(&list);
    if (list.PtInRect(point)) {
      const WPARAM code = delta > 0 ? SB_PAGEDOWN : SB_PAGEUP;
      const WPARAM wParam = (static_cast<WPARAM>(std::abs(static_cast<int>(delta))) << 16) | code;
      const LPARAM lParam = (static_cast<LPARAM>(point.y) << 16) + point.x;
      ::PostMessage(m_pList->Window().m_hWnd, WM_VSCROLL, wParam, lParam);
    }
  }
  return CKivDialogBase::OnMouseWheel(flags, delta, point);
}

LRESULT CKivDesk_Dlg_Tip::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_OPEN_STOCK) {
    // Passed on as it came; freed here when the owner cannot take it.
    std::unique_ptr<StockId> stock = kiv::AdoptPosted<StockId>(wParam);
    HWND owner = m_pOwner != nullptr ? m_pOwner->GetSafeHwnd() : nullptr;
    if (stock && owner != nullptr) kiv::PostOwned(owner, WM_KIV_OPEN_STOCK, std::move(stock), lParam);
    return 0;
  }
  if (msg == WM_KIV_WATCH_FORWARD) {
    HWND owner = m_pOwner != nullptr ? m_pOwner->GetSafeHwnd() : nullptr;
    if (ListHasWindow() && owner != nullptr && ::IsWindow(owner)) {
      ::PostMessage(owner, WM_KIV_WATCH_FORWARD, 0, m_pList->WatchForwardParam());
    }
    return 0;
  }
  return CKivDialogBase::OnMessage(msg, wParam, lParam);
}
