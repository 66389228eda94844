// The read-only rich text view.
#include "platform/ui/RichTextView.h"

#include <algorithm>
#include <cstdio>

#include "platform/sys/GbkText.h"

namespace {

int CharLen(const std::string& s, size_t at) {
  return kiv::IsGbkLeadByte(static_cast<unsigned char>(s[at])) && at + 1 < s.size() ? 2 : 1;
}

constexpr int kTextMargin = 4;

}  // namespace

BOOL CRichTextView::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("RichEdit20A", "", style | WS_CHILD, rect, parent, id);
}

void CRichTextView::Clear() { SetRuns({}); }

void CRichTextView::AppendRun(const TextRun& run) {
  runs_.push_back(run);
  std::string plain = GetPlainText();
  CWnd::DefWindowProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(plain.c_str()));
  dirty_ = true;
  Invalidate();
}

void CRichTextView::SetRuns(std::vector<TextRun> runs) {
  runs_ = std::move(runs);
  // GetWindowText gives the plain text, as the program reads it back.
  std::string plain = GetPlainText();
  CWnd::DefWindowProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(plain.c_str()));
  dirty_ = true;
  scroll_ = 0;
  Invalidate();
}

std::string CRichTextView::GetPlainText() const {
  std::string text;
  for (const auto& run : runs_) text += run.text;
  return text;  // the window text is this too, once runs are set
}

void CRichTextView::FormatRange(size_t start, size_t end, bool bold, int pointSize) {
  const std::string plain = GetPlainText();
  // Character boundaries at or before each end.
  auto boundary = [&](size_t at) {
    at = std::min(at, plain.size());
    size_t i = 0;
    while (i < at) {
      const size_t next = i + static_cast<size_t>(CharLen(plain, i));
      if (next > at) break;  // at falls inside this character
      i = next;
    }
    return i;
  };
  start = boundary(start);
  end = boundary(end);
  if (start >= end) return;
  std::vector<TextRun> split;
  size_t offset = 0;
  for (const TextRun& run : runs_) {
    const size_t runEnd = offset + run.text.size();
    const size_t from = std::max(start, offset), to = std::min(end, runEnd);
    if (from >= to) {
      split.push_back(run);
    } else {
      if (from > offset) split.push_back(TextRun{run.text.substr(0, from - offset), run.bold, run.pointSize, run.color});
      split.push_back(TextRun{run.text.substr(from - offset, to - from), bold, pointSize, run.color});
      if (to < runEnd) split.push_back(TextRun{run.text.substr(to - offset), run.bold, run.pointSize, run.color});
    }
    offset = runEnd;
  }
  runs_ = std::move(split);
  dirty_ = true;
  Invalidate();
}

CFont* CRichTextView::FontFor(const TextRun& run) {
  auto key = std::make_pair(run.bold, run.pointSize);
  auto& font = fonts_[key];
  if (!font) {
    font = std::make_unique<CFont>();
    LOGFONT lf{};
    // Points at 96 pixels per inch, as character height.
    lf.lfHeight = -(run.pointSize * 96 + 36) / 72;
    lf.lfWeight = run.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = 134;  // GB2312
    std::snprintf(lf.lfFaceName, sizeof(lf.lfFaceName), "%s", "宋体");
    font->CreateFontIndirect(&lf);
  }
  return font.get();
}

void CRichTextView::Layout() {
  CRect client;
  GetClientRect(&client);
  int width = std::max<int>(1, client.Width() - 2 * kTextMargin);
  if (!dirty_ && width == laidOutWidth_) return;
  dirty_ = false;
  laidOutWidth_ = width;
  lines_.clear();
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CFont* original = dc.GetCurrentFont();
  Line line;
  int x = 0;
  auto finishLine = [&](int fallbackHeight, int fallbackAscent) {
    if (line.height == 0) {
      line.height = fallbackHeight;
      line.ascent = fallbackAscent;
    }
    lines_.push_back(line);
    line = Line();
    x = 0;
  };
  TEXTMETRIC tm{};
  for (size_t r = 0; r < runs_.size(); ++r) {
    const TextRun& run = runs_[r];
    dc.SelectObject(FontFor(run));
    dc.GetTextMetrics(&tm);
    const std::string& s = run.text;
    size_t at = 0;
    while (at < s.size()) {
      if (s[at] == '\n') {
        finishLine(tm.tmHeight, tm.tmAscent);
        ++at;
        continue;
      }
      // The longest fragment of this paragraph that fits the rest of the line.
      size_t end = at, lastSpace = std::string::npos;
      while (end < s.size() && s[end] != '\n') {
        size_t next = end + static_cast<size_t>(CharLen(s, end));
        if (x + dc.GetTextExtent(s.substr(at, next - at)).cx > width) break;
        if (s[end] == ' ') lastSpace = next;
        end = next;
      }
      bool wrapped = end < s.size() && s[end] != '\n';
      if (wrapped && lastSpace != std::string::npos && lastSpace > at) end = lastSpace;
      if (end == at && x == 0) end = at + static_cast<size_t>(CharLen(s, at));  // one character always fits an empty line
      if (end > at) {
        Fragment fragment{r, s.substr(at, end - at), x};
        x += dc.GetTextExtent(fragment.text).cx;
        line.fragments.push_back(fragment);
        line.height = std::max<int>(line.height, tm.tmHeight);
        line.ascent = std::max<int>(line.ascent, tm.tmAscent);
      }
      at = end;
      if (wrapped) finishLine(tm.tmHeight, tm.tmAscent);
    }
  }
  if (!line.fragments.empty()) finishLine(tm.tmHeight, tm.tmAscent);
  dc.SelectObject(original);
  int y = kTextMargin;
  for (auto& l : lines_) {
    l.top = y;
    y += l.height;
  }
  contentHeight_ = lines_.empty() ? 0 : y + kTextMargin;
  scroll_ = std::min(scroll_, MaxScroll());
}

int CRichTextView::GetContentHeight() {
  Layout();
  return contentHeight_;
}

int CRichTextView::GetLineCount() {
  Layout();
  return static_cast<int>(lines_.size());
}

int CRichTextView::MaxScroll() {
  CRect client;
  GetClientRect(&client);
  return std::max(0, contentHeight_ - static_cast<int>(client.Height()));
}

void CRichTextView::GetScrollRange(int* minPos, int* maxPos) {
  Layout();
  if (minPos) *minPos = 0;
  if (maxPos) *maxPos = MaxScroll();
}

int CRichTextView::SetScrollPos(int pos) {
  Layout();
  int old = scroll_;
  scroll_ = std::max(0, std::min(pos, MaxScroll()));
  if (scroll_ != old) {
    Invalidate();
    Notify(EN_UPDATE);
  }
  return old;
}

void CRichTextView::ScrollBy(int delta) { SetScrollPos(scroll_ + delta); }

BOOL CRichTextView::OnMouseWheel(UINT, short delta, CPoint) {
  ScrollBy(-delta / WHEEL_DELTA * 3 * kLineStep);
  return FALSE;
}

void CRichTextView::OnVScroll(UINT sbCode, UINT pos, LPARAM) {
  CRect client;
  GetClientRect(&client);
  switch (sbCode) {
    case SB_LINEUP: ScrollBy(-kLineStep); break;
    case SB_LINEDOWN: ScrollBy(kLineStep); break;
    case SB_PAGEUP: ScrollBy(-client.Height()); break;
    case SB_PAGEDOWN: ScrollBy(client.Height()); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: SetScrollPos(static_cast<SHORT>(pos)); break;
    case SB_TOP: SetScrollPos(0); break;
    case SB_BOTTOM: SetScrollPos(GetContentHeight()); break;
    default: break;
  }
}

void CRichTextView::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
  CRect client;
  GetClientRect(&client);
  switch (ch) {
    case VK_UP: ScrollBy(-kLineStep); return;
    case VK_DOWN: ScrollBy(kLineStep); return;
    case VK_PRIOR: ScrollBy(-client.Height()); return;
    case VK_NEXT: ScrollBy(client.Height()); return;
    case VK_HOME: SetScrollPos(0); return;
    case VK_END: SetScrollPos(GetContentHeight()); return;
    default: CUiControl::OnKeyDown(ch, repeat, flags); return;
  }
}

void CRichTextView::OnLButtonDown(UINT, CPoint) { ::SetFocus(m_hWnd); }

void CRichTextView::OnSize(UINT type, int cx, int cy) {
  dirty_ = true;  // lines wrap at the new width
  CUiControl::OnSize(type, cx, cy);
}

LRESULT CRichTextView::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kiv::ui::WM_KIV_SCROLLQUERY: {
      auto* q = reinterpret_cast<kiv::ui::ScrollQuery*>(lParam);
      if (!q || wParam != SB_VERT) return 0;
      if (q->set) SetScrollPos(q->pos);
      GetScrollRange(&q->minPos, &q->maxPos);
      q->pos = scroll_;
      q->answered = true;
      return 0;
    }
    case WM_SETTEXT: {
      // Plain text: one run in the view's own font size.
      CUiControl::DefWindowProc(msg, wParam, lParam);
      SetRuns({TextRun{lParam ? reinterpret_cast<const char*>(lParam) : "", false, 9, CLR_INVALID}});
      return TRUE;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    default:
      return CUiControl::DefWindowProc(msg, wParam, lParam);
  }
}

void CRichTextView::OnPaint() {
  Layout();
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  PrepareAndFill(dc, WM_CTLCOLORSTATIC, client, kiv::ui::kEditBack);
  COLORREF text = dc.GetTextColor();
  dc.SetBkMode(TRANSPARENT);
  TEXTMETRIC tm{};
  for (const auto& line : lines_) {
    int top = line.top - scroll_;
    if (top + line.height <= 0) continue;
    if (top >= client.bottom) break;
    for (const auto& fragment : line.fragments) {
      const TextRun& run = runs_[fragment.run];
      dc.SelectObject(FontFor(run));
      dc.GetTextMetrics(&tm);
      dc.SetTextColor(run.color == CLR_INVALID ? text : run.color);
      // Runs of different sizes share the line's baseline.
      dc.TextOut(kTextMargin + fragment.x, top + line.ascent - tm.tmAscent, fragment.text);
    }
  }
}
