// The single-line edit control.
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

LRESULT CEdit::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETTEXT: {
      std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      SetTextQuiet(text);
      caret_ = anchor_ = 0;
      scroll_ = 0;
      topLine_ = 0;
      pendingLead_ = -1;
      Changed();
      return TRUE;
    }
    case EM_GETSEL: {
      int start = std::min(caret_, anchor_);
      int end = std::max(caret_, anchor_);
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
      return MAKELONG(static_cast<WORD>(start), static_cast<WORD>(end));
    }
    case EM_SETSEL: {
      std::string text = Text();
      int size = static_cast<int>(text.size());
      int start = static_cast<int>(static_cast<intptr_t>(wParam));
      int end = static_cast<int>(lParam);
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
      return 0;
    }
    case EM_REPLACESEL:
      Insert(lParam ? reinterpret_cast<const char*>(lParam) : "");
      return 0;
    case EM_LIMITTEXT:
      limit_ = wParam ? static_cast<UINT>(wParam) : 0x7FFFFFFEu;
      return 0;
    case EM_GETLIMITTEXT:
      return limit_;
    case EM_SETREADONLY:
      ModifyStyle(wParam ? 0 : ES_READONLY, wParam ? ES_READONLY : 0);
      Invalidate();
      return TRUE;
    case EM_SETPASSWORDCHAR:
      passwordChar_ = static_cast<char>(wParam);
      Invalidate();
      return 0;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      // A multi-line field with ES_WANTRETURN takes Enter from its dialog.
      auto* m = reinterpret_cast<const MSG*>(lParam);
      if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN &&
          (GetStyle() & (ES_MULTILINE | ES_WANTRETURN)) == (ES_MULTILINE | ES_WANTRETURN)) {
        code |= DLGC_WANTALLKEYS;
      }
      return code;
    }
    case WM_COPY:
      // A password never leaves the field.
      if (caret_ != anchor_ && !(GetStyle() & ES_PASSWORD) && !passwordChar_) {
        kiv::ui::SetClipboardText(SelectedText());
      }
      return 0;
    case WM_CUT:
      if (GetStyle() & ES_READONLY) return 0;
      if (!(GetStyle() & ES_PASSWORD) && !passwordChar_ && caret_ != anchor_) {
        kiv::ui::SetClipboardText(SelectedText());
        DeleteSelection();
      }
      return 0;
    case WM_CLEAR:
      if (!(GetStyle() & ES_READONLY)) DeleteSelection();
      return 0;
    case WM_PASTE: {
      if (GetStyle() & ES_READONLY) return 0;
      std::string clip = kiv::ui::GetClipboardText();
      if (!(GetStyle() & ES_MULTILINE)) {
        // One line only: a single-line field takes the text up to a break.
        size_t cut = clip.find_first_of("\r\n");
        if (cut != std::string::npos) clip.resize(cut);
      }
      if (!clip.empty()) Insert(clip);
      return 0;
    }
    case WM_UNDO:
    case EM_UNDO: {
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
    case WM_CONTEXTMENU:
      ::SetFocus(m_hWnd);
      ShowContextMenu(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      return 0;
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(Lines(Text()).size());
    case kiv::ui::WM_KIV_SCROLLQUERY: {
      // A multi-line field scrolls by lines.
      auto* q = reinterpret_cast<kiv::ui::ScrollQuery*>(lParam);
      if (!q || wParam != SB_VERT || !(GetStyle() & ES_MULTILINE)) return 0;
      if (q->set) ScrollLines(q->pos - topLine_);
      q->minPos = 0;
      q->maxPos = std::max(0, static_cast<int>(Lines(Text()).size()) - VisibleLines());
      q->pos = topLine_;
      q->answered = true;
      return 0;
    }
    case EM_GETFIRSTVISIBLELINE:
      return topLine_;
    case EM_LINESCROLL:
      ScrollLines(static_cast<int>(lParam));
      return TRUE;
    case EM_LINEINDEX: {
      auto lines = Lines(Text());
      int line = static_cast<int>(static_cast<intptr_t>(wParam));
      if (line < 0) line = LineOf(lines, caret_);
      return line < static_cast<int>(lines.size()) ? lines[static_cast<size_t>(line)].start : -1;
    }
    case EM_LINEFROMCHAR: {
      int pos = static_cast<int>(static_cast<intptr_t>(wParam));
      return LineOf(Lines(Text()), pos < 0 ? caret_ : pos);
    }
    case WM_MOUSEWHEEL:
      if (GetStyle() & ES_MULTILINE) {
        ScrollLines(-GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3);
        return 0;
      }
      break;
    case WM_SETFOCUS:
      focused_ = true;
      Invalidate();
      Notify(EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      focused_ = false;
      selecting_ = false;
      pendingLead_ = -1;
      Invalidate();
      Notify(EN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN: {
      ::SetFocus(m_hWnd);
      bool extend = (wParam & MK_SHIFT) != 0;
      MoveCaret(OffsetAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), extend);
      selecting_ = true;
      ::SetCapture(m_hWnd);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      ::SetFocus(m_hWnd);
      anchor_ = 0;
      caret_ = static_cast<int>(Text().size());
      Invalidate();
      return 0;
    case WM_MOUSEMOVE:
      if (selecting_) MoveCaret(OffsetAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), true);
      return 0;
    case WM_LBUTTONUP:
      if (selecting_) {
        selecting_ = false;
        ::ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      selecting_ = false;
      return 0;
    case WM_KEYDOWN: {
      std::string text = Text();
      bool shift = ::GetKeyState(VK_SHIFT) < 0;
      bool readOnly = (GetStyle() & ES_READONLY) != 0;
      switch (wParam) {
        case VK_LEFT:
          if (!shift && caret_ != anchor_) MoveCaret(std::min(caret_, anchor_), false);
          else MoveCaret(PrevChar(text, caret_), shift);
          return 0;
        case VK_RIGHT:
          if (!shift && caret_ != anchor_) MoveCaret(std::max(caret_, anchor_), false);
          else MoveCaret(NextChar(text, caret_), shift);
          return 0;
        case VK_HOME:
        case VK_END: {
          auto lines = Lines(text);
          const LineSpan& span = lines[static_cast<size_t>(LineOf(lines, caret_))];
          MoveCaret(wParam == VK_HOME ? span.start : span.end, shift);
          return 0;
        }
        case VK_UP:
        case VK_DOWN: {
          if (!(GetStyle() & ES_MULTILINE)) return 0;
          auto lines = Lines(text);
          int line = LineOf(lines, caret_);
          int target = line + (wParam == VK_DOWN ? 1 : -1);
          if (target < 0 || target >= static_cast<int>(lines.size())) return 0;
          int x = XOf(text, lines[static_cast<size_t>(line)], caret_);
          MoveCaret(OffsetInLine(text, lines[static_cast<size_t>(target)], x), shift);
          return 0;
        }
        case VK_PRIOR:
        case VK_NEXT:
          if (GetStyle() & ES_MULTILINE) ScrollLines(wParam == VK_NEXT ? VisibleLines() : -VisibleLines());
          return 0;
        case VK_DELETE:
          if (readOnly) return 0;
          if (caret_ == anchor_) anchor_ = NextChar(text, caret_);
          DeleteSelection();
          return 0;
        default: break;
      }
      return CUiControl::DefWindowProc(msg, wParam, lParam);
    }
    case WM_CHAR: {
      unsigned char c = static_cast<unsigned char>(wParam);
      if (c == 3 || c == 22 || c == 24 || c == 26) {  // Ctrl+C, V, X, Z
        SendMessage(c == 3 ? WM_COPY : c == 22 ? WM_PASTE : c == 24 ? WM_CUT : WM_UNDO);
        return 0;
      }
      if (GetStyle() & ES_READONLY) return 0;
      if (pendingLead_ >= 0) {
        std::string pair{static_cast<char>(pendingLead_), static_cast<char>(c)};
        pendingLead_ = -1;
        if (c >= 0x40) Insert(pair);  // a stray lead byte is dropped, not stored half
        return 0;
      }
      if (c == VK_BACK) {
        if (caret_ == anchor_) anchor_ = PrevChar(Text(), caret_);
        DeleteSelection();
        return 0;
      }
      if (c == 1) {  // Ctrl+A
        anchor_ = 0;
        caret_ = static_cast<int>(Text().size());
        Invalidate();
        return 0;
      }
      if (c == '\r' && (GetStyle() & ES_MULTILINE)) {
        Insert("\r\n");
        return 0;
      }
      if (c < 0x20 || c == 0x7F) return 0;  // other control characters, Enter and Tab
      if (IsLead(c)) {
        pendingLead_ = c;
        return 0;
      }
      if ((GetStyle() & ES_NUMBER) && (c < '0' || c > '9')) {
        ::MessageBeep(0);
        return 0;
      }
      if ((GetStyle() & ES_UPPERCASE) && c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
      Insert(std::string(1, static_cast<char>(c)));
      return 0;
    }
    case WM_ENABLE:
      Invalidate();
      break;
    default:
      break;
  }
  return CUiControl::DefWindowProc(msg, wParam, lParam);
}

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
