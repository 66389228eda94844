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

LRESULT CTabCtrl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  int n = static_cast<int>(tabs_.size());
  int index = static_cast<int>(static_cast<intptr_t>(wParam));
  bool valid = index >= 0 && index < n;
  switch (msg) {
    case TCM_INSERTITEMA: {
      auto* item = reinterpret_cast<const TCITEM*>(lParam);
      if (!item || index < 0) return -1;
      Tab tab;
      if ((item->mask & TCIF_TEXT) && item->pszText) tab.text = item->pszText;
      if (item->mask & TCIF_PARAM) tab.param = item->lParam;
      int at = std::min(index, n);
      tabs_.insert(tabs_.begin() + at, tab);
      if (cur_ < 0) cur_ = 0;  // the first tab is selected
      else if (cur_ >= at) ++cur_;
      Invalidate();
      return at;
    }
    case TCM_GETITEMA: {
      auto* item = reinterpret_cast<TCITEM*>(lParam);
      if (!valid || !item) return FALSE;
      const Tab& tab = tabs_[static_cast<size_t>(index)];
      if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        size_t count = std::min(tab.text.size(), static_cast<size_t>(item->cchTextMax - 1));
        std::copy(tab.text.begin(), tab.text.begin() + static_cast<std::ptrdiff_t>(count), item->pszText);
        item->pszText[count] = '\0';
      }
      if (item->mask & TCIF_PARAM) item->lParam = tab.param;
      return TRUE;
    }
    case TCM_SETITEMA: {
      auto* item = reinterpret_cast<const TCITEM*>(lParam);
      if (!valid || !item) return FALSE;
      Tab& tab = tabs_[static_cast<size_t>(index)];
      if ((item->mask & TCIF_TEXT) && item->pszText) tab.text = item->pszText;
      if (item->mask & TCIF_PARAM) tab.param = item->lParam;
      Invalidate();
      return TRUE;
    }
    case TCM_DELETEITEM:
      if (!valid) return FALSE;
      tabs_.erase(tabs_.begin() + index);
      if (cur_ == index) cur_ = -1;
      else if (cur_ > index) --cur_;
      Invalidate();
      return TRUE;
    case TCM_DELETEALLITEMS:
      tabs_.clear();
      cur_ = -1;
      Invalidate();
      return TRUE;
    case TCM_GETITEMCOUNT:
      return n;
    case TCM_GETCURSEL:
      return cur_;
    case TCM_SETCURSEL: {
      if (!valid) return -1;
      int old = cur_;
      cur_ = index;
      Invalidate();
      return old;
    }
    case TCM_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!valid || !rect) return FALSE;
      *rect = Layout()[static_cast<size_t>(index)];
      return TRUE;
    }
    case TCM_ADJUSTRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect) return 0;
      if (wParam) {
        rect->top -= kTabHeight + 1;
        rect->left -= 1;
        rect->right += 1;
        rect->bottom += 1;
      } else {
        rect->top += kTabHeight + 1;
        rect->left += 1;
        rect->right -= 1;
        rect->bottom -= 1;
      }
      return 0;
    }
    case WM_LBUTTONDOWN: {
      ::SetFocus(m_hWnd);
      CPoint p(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      auto rects = Layout();
      for (int i = 0; i < n; ++i) {
        if (rects[static_cast<size_t>(i)].PtInRect(p) && i != cur_) {
          if (NotifyParent(TCN_SELCHANGING)) return 0;  // the parent keeps the current page
          cur_ = i;
          Invalidate();
          NotifyParent(TCN_SELCHANGE);
          break;
        }
      }
      return 0;
    }
    case WM_KEYDOWN:
      if ((wParam == VK_LEFT || wParam == VK_RIGHT) && n > 0) {
        int next = std::max(0, std::min(n - 1, cur_ + (wParam == VK_RIGHT ? 1 : -1)));
        if (next != cur_ && !NotifyParent(TCN_SELCHANGING)) {
          cur_ = next;
          Invalidate();
          NotifyParent(TCN_SELCHANGE);
        }
        return 0;
      }
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      focused_ = msg == WM_SETFOCUS;
      Invalidate();
      break;
    default:
      break;
  }
  return CUiControl::DefWindowProc(msg, wParam, lParam);
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
