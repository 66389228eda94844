// The tab control.
#include "platform/ui/TabCtrl.h"

#include <algorithm>

BOOL CTabCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("SysTabControl32", "", style | WS_CHILD, rect, parent, id);
}

namespace {
CTabCtrl* Mut(const CTabCtrl* p) { return const_cast<CTabCtrl*>(p); }
}  // namespace

int CTabCtrl::InsertItem(int index, LPCSTR text, LPARAM param) {
  TCITEM item;
  item.mask = TCIF_TEXT | TCIF_PARAM;
  std::string copy = text ? text : "";
  item.pszText = &copy[0];
  item.lParam = param;
  return static_cast<int>(SendMessage(TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}
BOOL CTabCtrl::DeleteItem(int index) {
  return static_cast<BOOL>(SendMessage(TCM_DELETEITEM, static_cast<WPARAM>(index)));
}
BOOL CTabCtrl::DeleteAllItems() { return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS)); }
int CTabCtrl::GetItemCount() const { return static_cast<int>(Mut(this)->SendMessage(TCM_GETITEMCOUNT)); }
int CTabCtrl::GetCurSel() const { return static_cast<int>(Mut(this)->SendMessage(TCM_GETCURSEL)); }
int CTabCtrl::SetCurSel(int index) { return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(index))); }
BOOL CTabCtrl::GetItemRect(int index, LPRECT rect) const {
  return static_cast<BOOL>(
      Mut(this)->SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
}
std::string CTabCtrl::GetItemText(int index) const {
  return index >= 0 && index < static_cast<int>(tabs_.size()) ? tabs_[static_cast<size_t>(index)].text : std::string();
}
LPARAM CTabCtrl::GetItemParam(int index) const {
  return index >= 0 && index < static_cast<int>(tabs_.size()) ? tabs_[static_cast<size_t>(index)].param : 0;
}
void CTabCtrl::AdjustRect(BOOL larger, LPRECT rect) {
  SendMessage(TCM_ADJUSTRECT, larger, reinterpret_cast<LPARAM>(rect));
}

std::vector<CRect> CTabCtrl::Layout() const {
  std::vector<CRect> rects;
  CClientDC dc(Mut(this));
  ::SelectObject(dc.GetSafeHdc(), GetFontHandle());
  int x = 0;
  for (const auto& tab : tabs_) {
    int width = dc.GetTextExtent(tab.text).cx + 16;
    rects.emplace_back(x, 0, x + width, kTabHeight);
    x += width;
  }
  return rects;
}

LRESULT CTabCtrl::NotifyParent(UINT code) {
  HWND parent = ::GetParent(m_hWnd);
  if (!parent) return 0;
  NMHDR hdr;
  hdr.hwndFrom = m_hWnd;
  hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
  hdr.code = code;
  return ::SendMessage(parent, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

// --- Standard messages ---------------------------------------------------------

void CTabCtrl::UserSelect(int index) {
  if (index == cur_ || NotifyParent(TCN_SELCHANGING)) return;  // a non-zero answer keeps the page
  cur_ = index;
  Invalidate();
  NotifyParent(TCN_SELCHANGE);
}

void CTabCtrl::OnLButtonDown(UINT, CPoint point) {
  ::SetFocus(m_hWnd);
  auto rects = Layout();
  for (size_t i = 0; i < rects.size(); ++i) {
    if (rects[i].PtInRect(point)) {
      UserSelect(static_cast<int>(i));
      return;
    }
  }
}

void CTabCtrl::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
  int n = static_cast<int>(tabs_.size());
  if ((ch == VK_LEFT || ch == VK_RIGHT) && n > 0) {
    UserSelect(std::max(0, std::min(n - 1, cur_ + (ch == VK_RIGHT ? 1 : -1))));
    return;
  }
  CUiControl::OnKeyDown(ch, repeat, flags);
}

void CTabCtrl::OnSetFocus(CWnd* oldWnd) {
  focused_ = true;
  Invalidate();
  CUiControl::OnSetFocus(oldWnd);
}

void CTabCtrl::OnKillFocus(CWnd* newWnd) {
  focused_ = false;
  Invalidate();
  CUiControl::OnKillFocus(newWnd);
}

// --- The strip's own messages -----------------------------------------------------

LRESULT CTabCtrl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto index = static_cast<int>(static_cast<intptr_t>(wParam));
  switch (msg) {
    case TCM_INSERTITEMA: return OnInsertItem(index, reinterpret_cast<const TCITEM*>(lParam));
    case TCM_GETITEMA: return OnGetItem(index, reinterpret_cast<TCITEM*>(lParam));
    case TCM_SETITEMA: return OnSetItem(index, reinterpret_cast<const TCITEM*>(lParam));
    case TCM_DELETEITEM: return OnDeleteItem(index);
    case TCM_DELETEALLITEMS: OnDeleteAllItems(); return TRUE;
    case TCM_GETITEMCOUNT: return static_cast<LRESULT>(tabs_.size());
    case TCM_GETCURSEL: return cur_;
    case TCM_SETCURSEL: return OnSetCurSel(index);
    case TCM_GETITEMRECT: return OnGetItemRect(index, reinterpret_cast<RECT*>(lParam));
    case TCM_ADJUSTRECT: OnAdjustRect(wParam != 0, reinterpret_cast<RECT*>(lParam)); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    default: return CUiControl::DefWindowProc(msg, wParam, lParam);
  }
}

LRESULT CTabCtrl::OnInsertItem(int index, const TCITEM* item) {
  if (!item || index < 0) return -1;
  Tab tab;
  if ((item->mask & TCIF_TEXT) && item->pszText) tab.text = item->pszText;
  if (item->mask & TCIF_PARAM) tab.param = item->lParam;
  int at = std::min(index, static_cast<int>(tabs_.size()));
  tabs_.insert(tabs_.begin() + at, tab);
  if (cur_ < 0) cur_ = 0;  // the first tab is selected
  else if (cur_ >= at) ++cur_;
  Invalidate();
  return at;
}

BOOL CTabCtrl::OnGetItem(int index, TCITEM* item) const {
  if (!Valid(index) || !item) return FALSE;
  const Tab& tab = tabs_[static_cast<size_t>(index)];
  if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
    size_t count = std::min(tab.text.size(), static_cast<size_t>(item->cchTextMax - 1));
    std::copy(tab.text.begin(), tab.text.begin() + static_cast<std::ptrdiff_t>(count), item->pszText);
    item->pszText[count] = '\0';
  }
  if (item->mask & TCIF_PARAM) item->lParam = tab.param;
  return TRUE;
}

BOOL CTabCtrl::OnSetItem(int index, const TCITEM* item) {
  if (!Valid(index) || !item) return FALSE;
  Tab& tab = tabs_[static_cast<size_t>(index)];
  if ((item->mask & TCIF_TEXT) && item->pszText) tab.text = item->pszText;
  if (item->mask & TCIF_PARAM) tab.param = item->lParam;
  Invalidate();
  return TRUE;
}

BOOL CTabCtrl::OnDeleteItem(int index) {
  if (!Valid(index)) return FALSE;
  tabs_.erase(tabs_.begin() + index);
  if (cur_ == index) cur_ = -1;
  else if (cur_ > index) --cur_;
  Invalidate();
  return TRUE;
}

void CTabCtrl::OnDeleteAllItems() {
  tabs_.clear();
  cur_ = -1;
  Invalidate();
}

LRESULT CTabCtrl::OnSetCurSel(int index) {
  if (!Valid(index)) return -1;
  int old = cur_;
  cur_ = index;
  Invalidate();
  return old;
}

BOOL CTabCtrl::OnGetItemRect(int index, RECT* rect) const {
  if (!Valid(index) || !rect) return FALSE;
  *rect = Layout()[static_cast<size_t>(index)];
  return TRUE;
}

void CTabCtrl::OnAdjustRect(bool larger, RECT* rect) const {
  if (!rect) return;
  // The page area lies inside a one-pixel frame below the tabs.
  int grow = larger ? 1 : -1;
  rect->top -= grow * (kTabHeight + 1);
  rect->left -= grow;
  rect->right += grow;
  rect->bottom += grow;
}

void CTabCtrl::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  PrepareAndFill(dc, WM_CTLCOLORSTATIC, client, kiv::ui::kDialogBack);
  CRect page(client.left, kTabHeight, client.right, client.bottom);
  dc.Draw3dRect(&page, kiv::ui::kFrame, kiv::ui::kFrame);
  auto rects = Layout();
  COLORREF text = dc.GetTextColor();
  for (size_t i = 0; i < rects.size(); ++i) {
    CRect r = rects[i];
    bool selected = static_cast<int>(i) == cur_;
    if (!selected) r.top += 2;
    dc.FillSolidRect(&r, selected ? kiv::ui::kDialogBack : kiv::ui::kButtonFace);
    dc.Draw3dRect(&r, kiv::ui::kFrame, kiv::ui::kFrame);
    if (selected) dc.FillSolidRect(r.left + 1, r.bottom - 1, r.Width() - 2, 2, kiv::ui::kDialogBack);
    dc.SetTextColor(selected ? kiv::ui::kSelectionText : text);
    dc.DrawText(tabs_[i].text, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    if (selected && focused_) {
      CRect focus = r;
      focus.DeflateRect(3, 3);
      dc.DrawFocusRect(&focus);
    }
  }
}
