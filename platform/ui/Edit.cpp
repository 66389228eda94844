// The edit control.
#include "platform/ui/Edit.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/ui/Menu.h"

namespace {

bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// The offset of the character after the one at pos.
int NextChar(const std::string& s, int pos) {
  if (pos >= static_cast<int>(s.size())) return static_cast<int>(s.size());
  if (s[pos] == '\r' && pos + 1 < static_cast<int>(s.size()) && s[pos + 1] == '\n') return pos + 2;
  if (IsLead(static_cast<unsigned char>(s[pos])) && pos + 1 < static_cast<int>(s.size())) return pos + 2;
  return pos + 1;
}

// The offset of the character before pos (walking from the start, since a
// trail byte can look like a lead byte).
int PrevChar(const std::string& s, int pos) {
  int at = 0;
  int prev = 0;
  while (at < pos) {
    prev = at;
    at = NextChar(s, at);
  }
  return prev;
}

// The largest character boundary not after pos.
int Boundary(const std::string& s, int pos) {
  int at = 0;
  while (true) {
    int next = NextChar(s, at);
    if (next > pos || next == at) return at;
    at = next;
  }
}

constexpr int kMargin = 2;

std::mutex g_clipboardMutex;
std::string g_clipboard;

// Ids of the edit's own context menu.
constexpr UINT kMenuUndo = 0x304;
constexpr UINT kMenuCut = 0x300;
constexpr UINT kMenuCopy = 0x301;
constexpr UINT kMenuPaste = 0x302;
constexpr UINT kMenuDelete = 0x303;
constexpr UINT kMenuSelectAll = 0xB1;

}  // namespace

namespace kiv {
namespace ui {
void SetClipboardText(const std::string& text) {
  std::lock_guard<std::mutex> lock(g_clipboardMutex);
  g_clipboard = text;
}
std::string GetClipboardText() {
  std::lock_guard<std::mutex> lock(g_clipboardMutex);
  return g_clipboard;
}
}  // namespace ui
}  // namespace kiv

std::string CEdit::SelectedText() const {
  std::string text = Text();
  int start = std::min(caret_, anchor_), end = std::max(caret_, anchor_);
  return text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
}

void CEdit::ShowContextMenu(CPoint screen) {
  bool readOnly = (GetStyle() & ES_READONLY) != 0;
  bool hasSel = caret_ != anchor_;
  bool secret = (GetStyle() & ES_PASSWORD) || passwordChar_;
  auto state = [](bool on) { return on ? MF_STRING : MF_STRING | MF_GRAYED; };
  CMenu menu;
  menu.CreatePopupMenu();
  menu.AppendMenu(state(hasUndo_ && !readOnly), kMenuUndo, "撤消(&U)");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(state(hasSel && !readOnly && !secret), kMenuCut, "剪切(&T)");
  menu.AppendMenu(state(hasSel && !secret), kMenuCopy, "复制(&C)");
  menu.AppendMenu(state(!readOnly && !kiv::ui::GetClipboardText().empty()), kMenuPaste, "粘贴(&P)");
  menu.AppendMenu(state(hasSel && !readOnly), kMenuDelete, "删除(&D)");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(state(!Text().empty()), kMenuSelectAll, "全选(&A)");
  if (screen.x == -1 && screen.y == -1) {  // from the keyboard: at the field
    CRect r;
    GetWindowRect(&r);
    screen = CPoint(r.left + 4, r.bottom);
  }
  UINT chosen = static_cast<UINT>(menu.TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, this));
  switch (chosen) {
    case kMenuUndo: SendMessage(WM_UNDO); break;
    case kMenuCut: SendMessage(WM_CUT); break;
    case kMenuCopy: SendMessage(WM_COPY); break;
    case kMenuPaste: SendMessage(WM_PASTE); break;
    case kMenuDelete: SendMessage(WM_CLEAR); break;
    case kMenuSelectAll: SendMessage(EM_SETSEL, 0, -1); break;
    default: break;
  }
}

std::vector<CEdit::LineSpan> CEdit::Lines(const std::string& text) const {
  std::vector<LineSpan> lines;
  int size = static_cast<int>(text.size());
  if (!(GetStyle() & ES_MULTILINE)) return {{0, size}};
  int start = 0;
  for (int i = 0; i < size; ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      lines.push_back({start, i});
      if (text[i] == '\r' && i + 1 < size && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  lines.push_back({start, size});
  return lines;
}

int CEdit::LineOf(const std::vector<LineSpan>& lines, int pos) {
  int line = 0;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    if (lines[static_cast<size_t>(i)].start <= pos) line = i;
  }
  return line;
}

int CEdit::LineHeight() {
  CClientDC dc(this);
  ::SelectObject(dc.GetSafeHdc(), GetFontHandle());
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  return std::max<int>(1, tm.tmHeight);
}

int CEdit::VisibleLines() {
  CRect client;
  GetClientRect(&client);
  return std::max(1, static_cast<int>(client.Height()) / LineHeight());
}

void CEdit::KeepCaretLineShown() {
  if (!(GetStyle() & ES_MULTILINE)) return;
  int line = LineOf(Lines(Text()), caret_);
  if (line < topLine_) topLine_ = line;
  if (line >= topLine_ + VisibleLines()) topLine_ = line - VisibleLines() + 1;
}

void CEdit::ScrollLines(int delta) {
  int count = static_cast<int>(Lines(Text()).size());
  int top = std::max(0, std::min(topLine_ + delta, count - VisibleLines()));
  top = std::max(0, top);
  if (top != topLine_) {
    topLine_ = top;
    Invalidate();
  }
}

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("EDIT", "", style | WS_CHILD, rect, parent, id);
}

void CEdit::SetSel(int start, int end, BOOL) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
void CEdit::GetSel(int& start, int& end) const {
  start = std::min(caret_, anchor_);
  end = std::max(caret_, anchor_);
}
void CEdit::ReplaceSel(LPCSTR text, BOOL canUndo) {
  SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
}
void CEdit::SetLimitText(UINT maxBytes) { SendMessage(EM_LIMITTEXT, maxBytes); }
BOOL CEdit::SetReadOnly(BOOL readOnly) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
void CEdit::SetPasswordChar(char ch) { SendMessage(EM_SETPASSWORDCHAR, static_cast<unsigned char>(ch)); }

std::string CEdit::Text() const {
  std::string text;
  GetWindowText(text);
  return text;
}

std::string CEdit::Shown(const std::string& text) const {
  char mask = passwordChar_ ? passwordChar_ : ((GetStyle() & ES_PASSWORD) ? '*' : 0);
  if (!mask) return text;
  std::string shown;
  for (int at = 0; at < static_cast<int>(text.size()); at = NextChar(text, at)) shown += mask;
  return shown;
}

void CEdit::Changed() {
  Invalidate();
  Notify(EN_UPDATE);
  Notify(EN_CHANGE);
}

void CEdit::SetTextQuiet(const std::string& text) { CWnd::DefWindowProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }

void CEdit::Insert(const std::string& input) {
  std::string text = Text();
  int start = std::min(caret_, anchor_);
  int end = std::max(caret_, anchor_);
  std::string add = input;
  size_t room = limit_ > text.size() - (end - start) ? limit_ - (text.size() - (end - start)) : 0;
  bool cut = add.size() > room;
  if (cut) add.resize(Boundary(add, static_cast<int>(room)));
  if (add.empty() && start == end) {
    if (cut) Notify(EN_MAXTEXT);
    return;
  }
  undoText_ = text;
  undoCaret_ = caret_;
  hasUndo_ = true;
  text.replace(start, end - start, add);
  SetTextQuiet(text);
  caret_ = anchor_ = start + static_cast<int>(add.size());
  KeepCaretLineShown();
  Changed();
  if (cut) Notify(EN_MAXTEXT);
}

void CEdit::DeleteSelection() {
  if (caret_ == anchor_) return;
  Insert("");
}

void CEdit::MoveCaret(int pos, bool extend) {
  caret_ = pos;
  if (!extend) anchor_ = pos;
  KeepCaretLineShown();
  Invalidate();
}

int CEdit::OffsetAt(int x, int y) {
  std::string text = Text();
  auto lines = Lines(text);
  int line = 0;
  if (GetStyle() & ES_MULTILINE) {
    line = topLine_ + (y - kMargin) / LineHeight();
    line = std::max(0, std::min(line, static_cast<int>(lines.size()) - 1));
  }
  return OffsetInLine(text, lines[static_cast<size_t>(line)], x + scroll_ - kMargin);
}

int CEdit::OffsetInLine(const std::string& text, const LineSpan& span, int target) {
  std::string shown = Shown(text);
  bool masked = shown.size() != text.size();
  CClientDC dc(this);
  ::SelectObject(dc.GetSafeHdc(), GetFontHandle());
  int at = span.start;
  int shownAt = 0;
  while (at < span.end) {
    int next = NextChar(text, at);
    int shownNext = masked ? shownAt + 1 : next - span.start;
    const std::string& base = masked ? shown : text;
    int from = masked ? 0 : span.start;
    int left = dc.GetTextExtent(base.substr(static_cast<size_t>(from), static_cast<size_t>(shownAt))).cx;
    int right = dc.GetTextExtent(base.substr(static_cast<size_t>(from), static_cast<size_t>(shownNext))).cx;
    if (target < (left + right) / 2) return at;
    at = next;
    shownAt = shownNext;
  }
  return span.end;
}

int CEdit::XOf(const std::string& text, const LineSpan& span, int pos) {
  CClientDC dc(this);
  ::SelectObject(dc.GetSafeHdc(), GetFontHandle());
  return dc.GetTextExtent(text.substr(static_cast<size_t>(span.start), static_cast<size_t>(pos - span.start))).cx;
}

void CEdit::SelectAll() {
  anchor_ = 0;
  caret_ = static_cast<int>(Text().size());
  Invalidate();
}

// --- Standard messages ---------------------------------------------------------

void CEdit::OnChar(UINT ch, UINT, UINT) {
  auto c = static_cast<unsigned char>(ch);
  if (RunShortcut(c)) return;
  if (GetStyle() & ES_READONLY) return;
  if (pendingLead_ >= 0) {
    std::string pair{static_cast<char>(pendingLead_), static_cast<char>(c)};
    pendingLead_ = -1;
    if (c >= 0x40) Insert(pair);  // a stray lead byte is dropped, not stored half
    return;
  }
  if (c == VK_BACK) {
    if (caret_ == anchor_) anchor_ = PrevChar(Text(), caret_);
    DeleteSelection();
    return;
  }
  if (c == 1) {  // Ctrl+A
    SelectAll();
    return;
  }
  if (c == '\r' && (GetStyle() & ES_MULTILINE)) {
    Insert("\r\n");
    return;
  }
  if (c < 0x20 || c == 0x7F) return;  // other control characters, Enter and Tab
  if (IsLead(c)) {
    pendingLead_ = c;
    return;
  }
  if ((GetStyle() & ES_NUMBER) && (c < '0' || c > '9')) {
    ::MessageBeep(0);
    return;
  }
  if ((GetStyle() & ES_UPPERCASE) && c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
  Insert(std::string(1, static_cast<char>(c)));
}

bool CEdit::RunShortcut(unsigned char ch) {
  switch (ch) {
    case 3: SendMessage(WM_COPY); return true;
    case 22: SendMessage(WM_PASTE); return true;
    case 24: SendMessage(WM_CUT); return true;
    case 26: SendMessage(WM_UNDO); return true;
    default: return false;
  }
}

void CEdit::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
  bool shift = ::GetKeyState(VK_SHIFT) < 0;
  if (MoveCaretByKey(ch, shift)) return;
  if (ch == VK_DELETE) {
    if (GetStyle() & ES_READONLY) return;
    if (caret_ == anchor_) anchor_ = NextChar(Text(), caret_);
    DeleteSelection();
    return;
  }
  CUiControl::OnKeyDown(ch, repeat, flags);
}

bool CEdit::MoveCaretByKey(UINT key, bool extend) {
  std::string text = Text();
  bool multi = (GetStyle() & ES_MULTILINE) != 0;
  switch (key) {
    case VK_LEFT:
      // Without Shift, a selection collapses to its start first.
      if (!extend && caret_ != anchor_) MoveCaret(std::min(caret_, anchor_), false);
      else MoveCaret(PrevChar(text, caret_), extend);
      return true;
    case VK_RIGHT:
      if (!extend && caret_ != anchor_) MoveCaret(std::max(caret_, anchor_), false);
      else MoveCaret(NextChar(text, caret_), extend);
      return true;
    case VK_HOME:
    case VK_END: {
      auto lines = Lines(text);
      const LineSpan& span = lines[static_cast<size_t>(LineOf(lines, caret_))];
      MoveCaret(key == VK_HOME ? span.start : span.end, extend);
      return true;
    }
    case VK_UP:
    case VK_DOWN: {
      if (!multi) return true;
      // To the same x on the line above or below.
      auto lines = Lines(text);
      int line = LineOf(lines, caret_);
      int target = line + (key == VK_DOWN ? 1 : -1);
      if (target < 0 || target >= static_cast<int>(lines.size())) return true;
      int x = XOf(text, lines[static_cast<size_t>(line)], caret_);
      MoveCaret(OffsetInLine(text, lines[static_cast<size_t>(target)], x), extend);
      return true;
    }
    case VK_PRIOR:
    case VK_NEXT:
      if (multi) ScrollLines(key == VK_NEXT ? VisibleLines() : -VisibleLines());
      return true;
    default:
      return false;
  }
}

void CEdit::OnLButtonDown(UINT flags, CPoint point) {
  ::SetFocus(m_hWnd);
  MoveCaret(OffsetAt(point.x, point.y), (flags & MK_SHIFT) != 0);
  selecting_ = true;
  ::SetCapture(m_hWnd);
}

void CEdit::OnLButtonDblClk(UINT, CPoint) {
  ::SetFocus(m_hWnd);
  SelectAll();
}

void CEdit::OnMouseMove(UINT, CPoint point) {
  if (selecting_) MoveCaret(OffsetAt(point.x, point.y), true);
}

void CEdit::OnLButtonUp(UINT, CPoint) {
  if (selecting_) {
    selecting_ = false;
    ::ReleaseCapture();
  }
}

void CEdit::OnCaptureChanged(CWnd*) { selecting_ = false; }

BOOL CEdit::OnMouseWheel(UINT flags, short delta, CPoint point) {
  // A single-line field leaves the wheel to its parent.
  if (!(GetStyle() & ES_MULTILINE)) return CUiControl::OnMouseWheel(flags, delta, point);
  ScrollLines(-delta / WHEEL_DELTA * 3);
  return FALSE;
}

void CEdit::OnContextMenu(CWnd*, CPoint screenPoint) {
  ::SetFocus(m_hWnd);
  ShowContextMenu(screenPoint);
}

void CEdit::OnSetFocus(CWnd*) {
  focused_ = true;
  Invalidate();
  Notify(EN_SETFOCUS);
}

void CEdit::OnKillFocus(CWnd*) {
  focused_ = false;
  selecting_ = false;
  pendingLead_ = -1;
  Invalidate();
  Notify(EN_KILLFOCUS);
}

void CEdit::OnEnable(BOOL enable) {
  Invalidate();
  CUiControl::OnEnable(enable);
}

// --- The edit's own messages -----------------------------------------------------

LRESULT CEdit::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto index = static_cast<int>(static_cast<intptr_t>(wParam));
  switch (msg) {
    case WM_SETTEXT: return OnSetText(reinterpret_cast<LPCSTR>(lParam));
    case EM_GETSEL: return OnGetSel(reinterpret_cast<DWORD*>(wParam), reinterpret_cast<DWORD*>(lParam));
    case EM_SETSEL: OnSetSel(index, static_cast<int>(lParam)); return 0;
    case EM_REPLACESEL: OnReplaceSel(reinterpret_cast<LPCSTR>(lParam)); return 0;
    case EM_LIMITTEXT: OnLimitText(static_cast<UINT>(wParam)); return 0;
    case EM_GETLIMITTEXT: return limit_;
    case EM_SETREADONLY: OnSetReadOnly(wParam != 0); return TRUE;
    case EM_SETPASSWORDCHAR: OnSetPasswordChar(static_cast<char>(wParam)); return 0;
    case WM_GETDLGCODE: return OnGetDlgCode(reinterpret_cast<const MSG*>(lParam));
    case WM_COPY: OnCopy(); return 0;
    case WM_CUT: OnCut(); return 0;
    case WM_CLEAR: OnClear(); return 0;
    case WM_PASTE: OnPaste(); return 0;
    case WM_UNDO:
    case EM_UNDO: return OnUndo();
    case EM_GETLINECOUNT: return static_cast<LRESULT>(Lines(Text()).size());
    case kiv::ui::WM_KIV_SCROLLQUERY:
      OnScrollQuery(index, reinterpret_cast<kiv::ui::ScrollQuery*>(lParam));
      return 0;
    case EM_GETFIRSTVISIBLELINE: return topLine_;
    case EM_LINESCROLL: ScrollLines(static_cast<int>(lParam)); return TRUE;
    case EM_LINEINDEX: return OnLineIndex(index);
    case EM_LINEFROMCHAR: return OnLineFromChar(index);
    default: return CUiControl::DefWindowProc(msg, wParam, lParam);
  }
}

LRESULT CEdit::OnSetText(LPCSTR text) {
  SetTextQuiet(text ? text : "");
  caret_ = anchor_ = 0;
  scroll_ = 0;
  topLine_ = 0;
  pendingLead_ = -1;
  Changed();
  return TRUE;
}

LRESULT CEdit::OnGetSel(DWORD* start, DWORD* end) const {
  int from = std::min(caret_, anchor_);
  int to = std::max(caret_, anchor_);
  if (start) *start = static_cast<DWORD>(from);
  if (end) *end = static_cast<DWORD>(to);
  return MAKELONG(static_cast<WORD>(from), static_cast<WORD>(to));
}

void CEdit::OnSetSel(int start, int end) {
  std::string text = Text();
  int size = static_cast<int>(text.size());
  // (0, -1) selects everything; -1 as the start removes the selection.
  if (start < 0) {
    anchor_ = caret_;
  } else {
    if (end < 0 || end > size) end = size;
    if (start > size) start = size;
    anchor_ = Boundary(text, start);
    caret_ = Boundary(text, end);
  }
  Invalidate();
}

void CEdit::OnReplaceSel(LPCSTR text) { Insert(text ? text : ""); }

void CEdit::OnLimitText(UINT maxBytes) { limit_ = maxBytes ? maxBytes : 0x7FFFFFFEu; }

void CEdit::OnSetReadOnly(bool readOnly) {
  ModifyStyle(readOnly ? 0 : ES_READONLY, readOnly ? ES_READONLY : 0);
  Invalidate();
}

void CEdit::OnSetPasswordChar(char ch) {
  passwordChar_ = ch;
  Invalidate();
}

LRESULT CEdit::OnGetDlgCode(const MSG* msg) const {
  LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  // A multi-line field with ES_WANTRETURN takes Enter from its dialog.
  if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN &&
      (GetStyle() & (ES_MULTILINE | ES_WANTRETURN)) == (ES_MULTILINE | ES_WANTRETURN)) {
    code |= DLGC_WANTALLKEYS;
  }
  return code;
}

void CEdit::OnCopy() {
  // A password never leaves the field.
  if (caret_ != anchor_ && !(GetStyle() & ES_PASSWORD) && !passwordChar_) {
    kiv::ui::SetClipboardText(SelectedText());
  }
}

void CEdit::OnCut() {
  if (GetStyle() & ES_READONLY) return;
  if (!(GetStyle() & ES_PASSWORD) && !passwordChar_ && caret_ != anchor_) {
    kiv::ui::SetClipboardText(SelectedText());
    DeleteSelection();
  }
}

void CEdit::OnClear() {
  if (!(GetStyle() & ES_READONLY)) DeleteSelection();
}

void CEdit::OnPaste() {
  if (GetStyle() & ES_READONLY) return;
  std::string clip = kiv::ui::GetClipboardText();
  if (!(GetStyle() & ES_MULTILINE)) {
    // One line only: a single-line field takes the text up to a break.
    size_t cut = clip.find_first_of("\r\n");
    if (cut != std::string::npos) clip.resize(cut);
  }
  if (!clip.empty()) Insert(clip);
}

BOOL CEdit::OnUndo() {
  if (!hasUndo_ || (GetStyle() & ES_READONLY)) return FALSE;
  std::string now = Text();
  int caretNow = caret_;
  SetTextQuiet(undoText_);
  caret_ = anchor_ = std::min<int>(undoCaret_, static_cast<int>(undoText_.size()));
  undoText_ = now;  // a second undo redoes, as in every edit
  undoCaret_ = caretNow;
  KeepCaretLineShown();
  Changed();
  return TRUE;
}

void CEdit::OnScrollQuery(int bar, kiv::ui::ScrollQuery* query) {
  // A multi-line field scrolls by lines.
  if (!query || bar != SB_VERT || !(GetStyle() & ES_MULTILINE)) return;
  if (query->set) ScrollLines(query->pos - topLine_);
  query->minPos = 0;
  query->maxPos = std::max(0, static_cast<int>(Lines(Text()).size()) - VisibleLines());
  query->pos = topLine_;
  query->answered = true;
}

LRESULT CEdit::OnLineIndex(int line) const {
  auto lines = Lines(Text());
  if (line < 0) line = LineOf(lines, caret_);
  return line < static_cast<int>(lines.size()) ? lines[static_cast<size_t>(line)].start : -1;
}

LRESULT CEdit::OnLineFromChar(int pos) const { return LineOf(Lines(Text()), pos < 0 ? caret_ : pos); }

void CEdit::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  bool passive = (GetStyle() & ES_READONLY) || !IsWindowEnabled();
  PrepareAndFill(dc, passive ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT, client,
                 passive ? kiv::ui::kDialogBack : kiv::ui::kEditBack);
  std::string text = Text();
  bool multi = (GetStyle() & ES_MULTILINE) != 0;
  // A single-line field shows one mask byte a character for a password.
  std::string shown = multi ? text : Shown(text);
  bool masked = shown.size() != text.size();
  auto shownOffset = [&](int pos) {
    if (!masked) return pos;
    int n = 0;
    for (int at = 0; at < pos; at = NextChar(text, at)) ++n;
    return n;
  };
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  auto lines = Lines(text);
  int selStart = std::min(caret_, anchor_), selEnd = std::max(caret_, anchor_);
  int caretLine = LineOf(lines, caret_);
  if (!multi) {
    int caretX = dc.GetTextExtent(shown.substr(0, static_cast<size_t>(shownOffset(caret_)))).cx;
    int width = client.Width() - 2 * kMargin;
    if (caretX - scroll_ > width) scroll_ = caretX - width;
    if (caretX < scroll_) scroll_ = caretX;
  }
  for (int i = multi ? topLine_ : 0; i < static_cast<int>(lines.size()); ++i) {
    const LineSpan& span = lines[static_cast<size_t>(i)];
    int y = multi ? kMargin + (i - topLine_) * tm.tmHeight : (client.Height() - tm.tmHeight) / 2;
    if (y >= client.bottom) break;
    int x = kMargin - scroll_;
    int from = shownOffset(span.start), to = shownOffset(span.end);
    std::string lineText = shown.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
    dc.TextOut(x, y, lineText);
    int a = std::max(selStart, span.start), b = std::min(selEnd, span.end);
    if (focused_ && a < b) {
      int sa = shownOffset(a) - from, sb = shownOffset(b) - from;
      int left = x + dc.GetTextExtent(lineText.substr(0, static_cast<size_t>(sa))).cx;
      int right = x + dc.GetTextExtent(lineText.substr(0, static_cast<size_t>(sb))).cx;
      CRect sel(left, y, right, y + tm.tmHeight);
      dc.FillSolidRect(&sel, kiv::ui::kSelectionBack);
      COLORREF old = dc.SetTextColor(kiv::ui::kSelectionText);
      dc.TextOut(left, y, lineText.substr(static_cast<size_t>(sa), static_cast<size_t>(sb - sa)));
      dc.SetTextColor(old);
    }
    if (focused_ && i == caretLine) {
      int cx = x + dc.GetTextExtent(lineText.substr(0, static_cast<size_t>(shownOffset(caret_) - from))).cx;
      CRect caret(cx, y, cx + 1, y + tm.tmHeight);
      dc.FillSolidRect(&caret, dc.GetTextColor());
    }
  }
}
