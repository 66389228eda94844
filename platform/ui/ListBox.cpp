// The list box.
#include "platform/ui/ListBox.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/core/RedrawState.h"

namespace {

int CompareNoCase(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ca = std::tolower(static_cast<unsigned char>(a[i])), cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

BOOL CListBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("LISTBOX", "", style | WS_CHILD, rect, parent, id);
}

namespace {
template <typename T>
T* Mut(const T* p) {
  return const_cast<T*>(p);
}
}  // namespace

int CListBox::AddString(LPCSTR text) {
  return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}
int CListBox::InsertString(int index, LPCSTR text) {
  return static_cast<int>(SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}
int CListBox::DeleteString(UINT index) { return static_cast<int>(SendMessage(LB_DELETESTRING, index)); }
void CListBox::ResetContent() { SendMessage(LB_RESETCONTENT); }
int CListBox::GetCount() const { return static_cast<int>(Mut(this)->SendMessage(LB_GETCOUNT)); }
int CListBox::GetText(int index, std::string& text) const {
  int n = GetTextLen(index);
  if (n == LB_ERR) {
    text.clear();
    return LB_ERR;
  }
  text.assign(static_cast<size_t>(n) + 1, '\0');
  Mut(this)->SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(n));
  return n;
}
int CListBox::GetTextLen(int index) const {
  return static_cast<int>(Mut(this)->SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index)));
}
int CListBox::GetCurSel() const { return static_cast<int>(Mut(this)->SendMessage(LB_GETCURSEL)); }
int CListBox::SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index))); }
int CListBox::GetSel(int index) const {
  return static_cast<int>(Mut(this)->SendMessage(LB_GETSEL, static_cast<WPARAM>(index)));
}
int CListBox::SetSel(int index, BOOL select) {
  return static_cast<int>(SendMessage(LB_SETSEL, select, index));
}
int CListBox::GetSelCount() const { return static_cast<int>(Mut(this)->SendMessage(LB_GETSELCOUNT)); }
int CListBox::GetSelItems(int maxItems, int* indexes) const {
  return static_cast<int>(
      Mut(this)->SendMessage(LB_GETSELITEMS, static_cast<WPARAM>(maxItems), reinterpret_cast<LPARAM>(indexes)));
}
uintptr_t CListBox::GetItemData(int index) const {
  return static_cast<uintptr_t>(Mut(this)->SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index)));
}
int CListBox::SetItemData(int index, uintptr_t data) {
  return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
}
int CListBox::FindString(int startAfter, LPCSTR prefix) const {
  return static_cast<int>(Mut(this)->SendMessage(LB_FINDSTRING, static_cast<WPARAM>(startAfter),
                                                 reinterpret_cast<LPARAM>(prefix)));
}
int CListBox::FindStringExact(int startAfter, LPCSTR text) const {
  return static_cast<int>(Mut(this)->SendMessage(LB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter),
                                                 reinterpret_cast<LPARAM>(text)));
}
int CListBox::GetTopIndex() const { return static_cast<int>(Mut(this)->SendMessage(LB_GETTOPINDEX)); }
int CListBox::SetTopIndex(int index) { return static_cast<int>(SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(index))); }
int CListBox::SetItemHeight(int index, UINT height) {
  return static_cast<int>(SendMessage(LB_SETITEMHEIGHT, static_cast<WPARAM>(index), height));
}
int CListBox::GetItemHeight(int index) const {
  return static_cast<int>(Mut(this)->SendMessage(LB_GETITEMHEIGHT, static_cast<WPARAM>(index)));
}

int CListBox::VisibleRows() const {
  CRect client;
  GetClientRect(&client);
  return std::max(1, static_cast<int>(client.Height()) / itemHeight_);
}

void CListBox::EnsureVisible(int index) {
  if (index < 0) return;
  if (index < top_) top_ = index;
  if (index >= top_ + VisibleRows()) top_ = index - VisibleRows() + 1;
}

int CListBox::IndexAt(int y) const {
  if (y < 0) return -1;
  int index = top_ + y / itemHeight_;
  return index < static_cast<int>(items_.size()) ? index : -1;
}

int CListBox::Find(int startAfter, const char* text, bool exact) const {
  if (!text) return LB_ERR;
  int n = static_cast<int>(items_.size());
  std::string wanted = text;
  for (int k = 1; k <= n; ++k) {
    int i = ((startAfter < 0 ? -1 : startAfter) + k) % n;
    const std::string& s = items_[static_cast<size_t>(i)].text;
    if (exact ? CompareNoCase(s, wanted) == 0 : CompareNoCase(s.substr(0, wanted.size()), wanted) == 0) return i;
  }
  return LB_ERR;
}

void CListBox::NotifyIf(UINT code) {
  if (GetStyle() & LBS_NOTIFY) Notify(code);
}

void CListBox::UserSelect(int index, bool toggle) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  bool changed = false;
  if (Multi()) {
    if (toggle) {
      items_[static_cast<size_t>(index)].selected = !items_[static_cast<size_t>(index)].selected;
      changed = true;
    }
    cur_ = index;
  } else if (cur_ != index) {
    cur_ = index;
    changed = true;
  }
  EnsureVisible(index);
  Changed();
  if (changed) NotifyIf(LBN_SELCHANGE);
}

// --- Standard messages ---------------------------------------------------------

void CListBox::OnLButtonDown(UINT, CPoint point) {
  ::SetFocus(m_hWnd);
  UserSelect(IndexAt(point.y), true);
}

void CListBox::OnLButtonDblClk(UINT, CPoint point) {
  if (IndexAt(point.y) >= 0) NotifyIf(LBN_DBLCLK);
}

BOOL CListBox::OnMouseWheel(UINT, short delta, CPoint) {
  int rows = -delta / WHEEL_DELTA * 3;
  int last = std::max(0, static_cast<int>(items_.size()) - VisibleRows());
  top_ = std::max(0, std::min(top_ + rows, last));
  Changed();
  return FALSE;
}

void CListBox::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
  int n = static_cast<int>(items_.size());
  int at = cur_;
  switch (ch) {
    case VK_UP: at = std::max(0, cur_ - 1); break;
    case VK_DOWN: at = std::min(n - 1, cur_ + 1); break;
    case VK_HOME: at = 0; break;
    case VK_END: at = n - 1; break;
    case VK_PRIOR: at = std::max(0, cur_ - VisibleRows()); break;
    case VK_NEXT: at = std::min(n - 1, cur_ + VisibleRows()); break;
    case VK_SPACE:
      if (Multi()) UserSelect(cur_, true);  // toggles the focused item
      return;
    default:
      CUiControl::OnKeyDown(ch, repeat, flags);
      return;
  }
  if (n > 0) UserSelect(at, false);
}

void CListBox::OnSetFocus(CWnd*) {
  focused_ = true;
  Changed();
  NotifyIf(LBN_SETFOCUS);
}

void CListBox::OnKillFocus(CWnd*) {
  focused_ = false;
  Changed();
  NotifyIf(LBN_KILLFOCUS);
}

// --- The list's own messages -------------------------------------------------------

LRESULT CListBox::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto index = static_cast<int>(static_cast<intptr_t>(wParam));
  auto text = reinterpret_cast<LPCSTR>(lParam);
  switch (msg) {
    case LB_ADDSTRING: return OnAddString(text);
    case LB_INSERTSTRING: return OnInsertString(index, text);
    case LB_DELETESTRING: return OnDeleteString(index);
    case LB_RESETCONTENT: OnResetContent(); return 0;
    case LB_GETCOUNT: return static_cast<LRESULT>(items_.size());
    case LB_GETTEXTLEN: return OnGetTextLen(index);
    case LB_GETTEXT: return OnGetText(index, reinterpret_cast<char*>(lParam));
    case LB_GETCURSEL: return cur_ >= 0 ? cur_ : LB_ERR;
    case LB_SETCURSEL: return OnSetCurSel(index);
    case LB_GETSEL: return OnGetSel(index);
    case LB_SETSEL: return OnSetSel(wParam != 0, static_cast<int>(lParam));
    case LB_GETSELCOUNT: return OnGetSelCount();
    case LB_GETSELITEMS: return OnGetSelItems(index, reinterpret_cast<int*>(lParam));
    case LB_GETITEMDATA: return OnGetItemData(index);
    case LB_SETITEMDATA: return OnSetItemData(index, static_cast<uintptr_t>(lParam));
    case LB_FINDSTRING: return OnFindString(index, text, false);
    case LB_FINDSTRINGEXACT: return OnFindString(index, text, true);
    case LB_GETTOPINDEX: return top_;
    case LB_SETTOPINDEX: return OnSetTopIndex(index);
    case LB_SETITEMHEIGHT: return OnSetItemHeight(LOWORD(static_cast<uintptr_t>(lParam)));
    case LB_GETITEMHEIGHT: return itemHeight_;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETREDRAW: {
      const LRESULT result = CUiControl::DefWindowProc(msg, wParam, lParam);
      if (wParam && repaintHeld_) {
        repaintHeld_ = false;
        Invalidate();  // once for every change made while redraw was off
      }
      return result;
    }
    default: return CUiControl::DefWindowProc(msg, wParam, lParam);
  }
}

void CListBox::Changed() {
  // With redraw off a change costs no invalidation: a list filled row by
  // row with redraw off is repainted once, when redraw is turned on.
  if (!kiv::IsRedrawOn(m_hWnd)) {
    repaintHeld_ = true;
    return;
  }
  repaintHeld_ = false;
  Invalidate();
}

int CListBox::InsertAt(int at, LPCSTR text) {
  Item item;
  item.text = text ? text : "";
  items_.insert(items_.begin() + at, item);
  if (cur_ >= at) ++cur_;
  Changed();
  return at;
}

LRESULT CListBox::OnAddString(LPCSTR text) {
  int at = static_cast<int>(items_.size());
  if (GetStyle() & LBS_SORT) {
    std::string wanted = text ? text : "";
    at = static_cast<int>(std::upper_bound(items_.begin(), items_.end(), wanted,
                                           [](const std::string& a, const Item& b) {
                                             return CompareNoCase(a, b.text) < 0;
                                           }) -
                          items_.begin());
  }
  return InsertAt(at, text);
}

LRESULT CListBox::OnInsertString(int index, LPCSTR text) {
  int n = static_cast<int>(items_.size());
  if (index > n) return LB_ERR;
  return InsertAt(index >= 0 ? index : n, text);  // -1 appends
}

LRESULT CListBox::OnDeleteString(int index) {
  if (!Valid(index)) return LB_ERR;
  items_.erase(items_.begin() + index);
  if (cur_ == index) cur_ = -1;
  else if (cur_ > index) --cur_;
  top_ = std::max(0, std::min(top_, static_cast<int>(items_.size()) - 1));
  Changed();
  return static_cast<LRESULT>(items_.size());
}

void CListBox::OnResetContent() {
  items_.clear();
  cur_ = -1;
  top_ = 0;
  Changed();
}

LRESULT CListBox::OnGetTextLen(int index) const {
  return Valid(index) ? static_cast<LRESULT>(items_[static_cast<size_t>(index)].text.size()) : LB_ERR;
}

LRESULT CListBox::OnGetText(int index, char* buffer) const {
  if (!Valid(index)) return LB_ERR;
  const std::string& s = items_[static_cast<size_t>(index)].text;
  if (buffer) std::memcpy(buffer, s.c_str(), s.size() + 1);
  return static_cast<LRESULT>(s.size());
}

LRESULT CListBox::OnSetCurSel(int index) {
  if (Multi()) return LB_ERR;
  bool valid = Valid(index);
  cur_ = valid ? index : -1;
  EnsureVisible(cur_);
  Changed();
  return valid ? index : LB_ERR;
}

LRESULT CListBox::OnGetSel(int index) const {
  if (!Valid(index)) return LB_ERR;
  return Multi() ? (items_[static_cast<size_t>(index)].selected ? 1 : 0) : (cur_ == index ? 1 : 0);
}

LRESULT CListBox::OnSetSel(bool select, int index) {
  if (!Multi()) return LB_ERR;
  if (index == -1) {
    for (auto& item : items_) item.selected = select;
  } else if (Valid(index)) {
    items_[static_cast<size_t>(index)].selected = select;
  } else {
    return LB_ERR;
  }
  Changed();
  return 0;
}

LRESULT CListBox::OnGetSelCount() const {
  if (!Multi()) return LB_ERR;
  return std::count_if(items_.begin(), items_.end(), [](const Item& i) { return i.selected; });
}

LRESULT CListBox::OnGetSelItems(int maxItems, int* indexes) const {
  if (!Multi()) return LB_ERR;
  int count = 0;
  for (int i = 0; i < static_cast<int>(items_.size()) && count < maxItems; ++i) {
    if (items_[static_cast<size_t>(i)].selected) {
      if (indexes) indexes[count] = i;
      ++count;
    }
  }
  return count;
}

LRESULT CListBox::OnGetItemData(int index) const {
  return Valid(index) ? static_cast<LRESULT>(items_[static_cast<size_t>(index)].data) : LB_ERR;
}

LRESULT CListBox::OnSetItemData(int index, uintptr_t data) {
  if (!Valid(index)) return LB_ERR;
  items_[static_cast<size_t>(index)].data = data;
  return 0;
}

LRESULT CListBox::OnFindString(int startAfter, LPCSTR text, bool exact) const {
  return items_.empty() ? LB_ERR : Find(startAfter, text, exact);
}

LRESULT CListBox::OnSetTopIndex(int index) {
  if (!Valid(index)) return LB_ERR;
  top_ = index;
  Changed();
  return 0;
}

LRESULT CListBox::OnSetItemHeight(UINT height) {
  if (height == 0) return LB_ERR;
  itemHeight_ = static_cast<int>(height);
  Changed();
  return 0;
}

void CListBox::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  PrepareAndFill(dc, WM_CTLCOLORLISTBOX, client, kiv::ui::kEditBack);
  COLORREF text = dc.GetTextColor();
  for (int i = top_, y = 0; i < static_cast<int>(items_.size()) && y < client.bottom; ++i, y += itemHeight_) {
    CRect row(0, y, client.right, y + itemHeight_);
    bool selected = Multi() ? items_[static_cast<size_t>(i)].selected : i == cur_;
    if (selected) dc.FillSolidRect(&row, kiv::ui::kSelectionBack);
    dc.SetTextColor(selected ? kiv::ui::kSelectionText : text);
    CRect textRow = row;
    textRow.left += 2;
    dc.DrawText(items_[static_cast<size_t>(i)].text, &textRow, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (focused_ && Multi() && i == cur_) dc.DrawFocusRect(&row);
  }
}
