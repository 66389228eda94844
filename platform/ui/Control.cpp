// The shared part of the standard controls.
#include "platform/ui/Control.h"

CUiControl::CUiControl() { defaultFont_.CreatePointFont(90, "宋体"); }
CUiControl::~CUiControl() = default;

void CUiControl::SetFont(CFont* font, BOOL redraw) {
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? static_cast<HFONT>(*font) : nullptr), redraw);
}

LRESULT CUiControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (lParam) Invalidate();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    default:
      return CWnd::DefWindowProc(msg, wParam, lParam);
  }
}

BOOL CUiControl::OnEraseBkgnd(CDC*) { return TRUE; }

void CUiControl::PrepareAndFill(CDC& dc, UINT ctlColorMsg, const RECT& area, COLORREF defaultBack) {
  ::SelectObject(dc.GetSafeHdc(), GetFontHandle());
  dc.SetTextColor(IsWindowEnabled() ? kiv::ui::kText : kiv::ui::kGrayText);
  dc.SetBkColor(defaultBack);
  dc.SetBkMode(TRANSPARENT);
  UINT kind = ctlColorMsg - WM_CTLCOLORMSGBOX;
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessage(WM_REFLECT_CTLCOLOR, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), static_cast<LPARAM>(kind)));
  HWND parent = brush ? nullptr : ::GetParent(m_hWnd);
  if (parent) {
    brush = reinterpret_cast<HBRUSH>(::SendMessage(parent, ctlColorMsg, reinterpret_cast<WPARAM>(dc.GetSafeHdc()),
                                                   reinterpret_cast<LPARAM>(m_hWnd)));
  }
  if (brush) {
    ::FillRect(dc.GetSafeHdc(), &area, brush);
  } else {
    dc.FillSolidRect(&area, defaultBack);
  }
}

void CUiControl::Notify(UINT code) {
  if (HWND parent = ::GetParent(m_hWnd)) {
    ::SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), code), reinterpret_cast<LPARAM>(m_hWnd));
  }
}

namespace {

bool Query(HWND hwnd, int bar, kiv::ui::ScrollQuery* q) {
  if (!::IsWindow(hwnd)) return false;
  ::SendMessage(hwnd, kiv::ui::WM_KIV_SCROLLQUERY, static_cast<WPARAM>(bar), reinterpret_cast<LPARAM>(q));
  return q->answered;
}

}  // namespace

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
  kiv::ui::ScrollQuery q;
  bool ok = Query(hwnd, bar, &q);
  if (minPos) *minPos = ok ? q.minPos : 0;
  if (maxPos) *maxPos = ok ? q.maxPos : 0;
  return ok ? TRUE : FALSE;
}

int GetScrollPos(HWND hwnd, int bar) {
  kiv::ui::ScrollQuery q;
  return Query(hwnd, bar, &q) ? q.pos : 0;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL) {
  kiv::ui::ScrollQuery q;
  q.set = true;
  q.pos = pos;
  kiv::ui::ScrollQuery before;
  if (!Query(hwnd, bar, &before)) return 0;
  Query(hwnd, bar, &q);
  return before.pos;
}
