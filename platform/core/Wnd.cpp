// CWnd: creation, the wrappers over the window functions, and the dispatch
// of messages to the virtual handlers.
#include "platform/core/Wnd.h"

#include <atomic>
#include <cassert>
#include <cstring>

#include "platform/core/MessageLoop.h"
#include "platform/core/WindowSystem.h"
#include "platform/sys/Trace.h"

using kiv::win::Get;
using kiv::win::Window;

namespace {
std::atomic<int> g_deletedWithLiveWindow{0};
std::atomic<bool> g_deletedWithLiveWindowTolerated{false};
}  // namespace

int kiv::DeletedWithLiveWindowCount() { return g_deletedWithLiveWindow.load(); }

void kiv::RecordDeletedWithLiveWindow(HWND hwnd) {
  ++g_deletedWithLiveWindow;
  KivTrace("CWnd deleted while its window %p lives: call DestroyWindow before deleting the object\n",
           static_cast<void*>(hwnd));
  assert(g_deletedWithLiveWindowTolerated.load() &&
         "a CWnd was deleted while its window lives: call DestroyWindow before deleting the object");
}

void kiv::TolerateDeletedWithLiveWindowForTesting(bool tolerate) { g_deletedWithLiveWindowTolerated = tolerate; }

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (Window* w = Get(m_hWnd)) {
    // A broken rule: by now the derived class's members are gone, and a
    // callback bound to the window may have run against them. Recorded so
    // that tests catch it; the window still goes.
    kiv::RecordDeletedWithLiveWindow(m_hWnd);
    // The derived part is gone: messages from here on reach only CWnd's own
    // handlers, so unhook the object and let the default handling run.
    w->wnd = nullptr;
    ::DestroyWindow(m_hWnd);
  }
  m_hWnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  auto w = kiv::win::Lookup(hwnd);
  return w ? w->wnd : nullptr;
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, void* createParam) {
  return CreateEx(0, className, windowName, style, rect, parent, id, createParam);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void* createParam) {
  return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr, id, createParam);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, UINT id, void* createParam) {
  if (m_hWnd) return FALSE;
  CREATESTRUCT cs;
  cs.dwExStyle = exStyle;
  cs.lpszClass = className;
  cs.lpszName = windowName;
  cs.style = static_cast<LONG>(style);
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.hwndParent = parent;
  cs.hMenu = reinterpret_cast<HWND>(static_cast<uintptr_t>(id));
  cs.lpCreateParams = createParam;
  if (!PreCreateWindow(cs)) return FALSE;
  return kiv::win::CreateWindowFor(this, cs) != nullptr;
}

BOOL CWnd::DestroyWindow() { return ::DestroyWindow(m_hWnd); }

BOOL CWnd::SubclassWindow(HWND hwnd) {
  Window* w = Get(hwnd);
  if (m_hWnd || !w) return FALSE;
  if (w->wnd && w->wnd != this) w->wnd->m_hWnd = nullptr;
  // Callbacks bound through the window's previous object must not reach
  // this one.
  if (w->wnd != this) w->RenewLiveness();
  w->wnd = this;
  m_hWnd = hwnd;
  return TRUE;
}

HWND CWnd::UnsubclassWindow() {
  HWND hwnd = m_hWnd;
  if (Window* w = Get(hwnd)) {
    if (w->wnd == this) {
      w->wnd = nullptr;
      // The object may be deleted now: callbacks bound through it stop.
      w->RenewLiveness();
    }
  }
  m_hWnd = nullptr;
  return hwnd;
}
BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }
void CWnd::PostNcDestroy() {}

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_EXSTYLE)); }

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
  if (!Get(m_hWnd)) return FALSE;
  DWORD old = GetStyle();
  DWORD now = (old & ~remove) | add;
  if (now == old) return FALSE;
  ::SetWindowLong(m_hWnd, GWL_STYLE, static_cast<LONG>(now));
  if (swpFlags) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, swpFlags | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
  if (!Get(m_hWnd)) return FALSE;
  DWORD old = GetExStyle();
  DWORD now = (old & ~remove) | add;
  if (now == old) return FALSE;
  ::SetWindowLong(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(now));
  if (swpFlags) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, swpFlags | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

BOOL CWnd::ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const { return ::IsZoomed(m_hWnd); }
void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}
void CWnd::MoveWindow(LPCRECT rect, BOOL repaint) {
  ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}
BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
  // The special values (wndTop, wndTopMost, ...) arrive as pointers.
  HWND after = reinterpret_cast<HWND>(const_cast<CWnd*>(insertAfter));
  intptr_t v = reinterpret_cast<intptr_t>(insertAfter);
  if (v != 0 && v != 1 && v != -1 && v != -2) after = insertAfter->m_hWnd;
  return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
}
void CWnd::GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
void CWnd::ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
void CWnd::ScreenToClient(LPRECT rect) const {
  ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&rect->left));
  ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&rect->right));
}
void CWnd::ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
void CWnd::ClientToScreen(LPRECT rect) const {
  ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&rect->left));
  ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&rect->right));
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
  Window* w = Get(m_hWnd);
  if (!w) return;
  CRect area;
  if (w->IsChild()) {
    ::GetClientRect(w->parent->hwnd, &area);
  } else {
    HWND owner = alternateOwner ? alternateOwner->m_hWnd : (w->owner ? w->owner->hwnd : nullptr);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
      ::GetWindowRect(owner, &area);
    } else {
      SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
  }
  int x = area.left + (area.Width() - w->rect.Width()) / 2;
  int y = area.top + (area.Height() - w->rect.Height()) / 2;
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
CWnd* CWnd::GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
CWnd* CWnd::GetLastActivePopup() const { return FromHandle(::GetLastActivePopup(m_hWnd)); }

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetOwner() const {
  Window* w = Get(m_hWnd);
  if (!w) return nullptr;
  return FromHandle(w->IsChild() ? w->parent->hwnd : (w->owner ? w->owner->hwnd : nullptr));
}
CWnd* CWnd::SetParent(CWnd* newParent) {
  return FromHandle(::SetParent(m_hWnd, newParent ? newParent->m_hWnd : nullptr));
}
CWnd* CWnd::GetTopLevelParent() const { return FromHandle(::GetAncestor(m_hWnd, GA_ROOT)); }
BOOL CWnd::IsChild(const CWnd* wnd) const { return wnd && ::IsChild(m_hWnd, wnd->m_hWnd); }
CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
int CWnd::SetDlgCtrlID(int id) { return static_cast<int>(::SetWindowLong(m_hWnd, GWL_ID, id)); }
CWnd* CWnd::GetWindow(UINT cmd) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
CWnd* CWnd::ChildWindowFromPoint(POINT clientPoint) const {
  return FromHandle(::ChildWindowFromPoint(m_hWnd, clientPoint));
}
CWnd* CWnd::WindowFromPoint(POINT screenPoint) { return FromHandle(::WindowFromPoint(screenPoint)); }

void CWnd::SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
int CWnd::GetWindowText(LPSTR buffer, int size) const { return ::GetWindowTextA(m_hWnd, buffer, size); }
void CWnd::GetWindowText(std::string& text) const {
  int n = ::GetWindowTextLengthA(m_hWnd);
  std::string buffer(static_cast<size_t>(n) + 1, '\0');
  int got = ::GetWindowTextA(m_hWnd, &buffer[0], n + 1);
  buffer.resize(static_cast<size_t>(got));
  text = buffer;
}
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
std::string CWnd::GetClassName() const {
  Window* w = Get(m_hWnd);
  return w ? w->className : std::string();
}

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::SendMessage(m_hWnd, msg, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::PostMessage(m_hWnd, msg, wParam, lParam);
}
UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  return ::SetTimer(m_hWnd, id, elapseMs, proc);
}
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) { ::InvalidateRect(m_hWnd, rect, erase); }
void CWnd::InvalidateRgn(CRgn* rgn, BOOL erase) { ::InvalidateRgn(m_hWnd, rgn ? static_cast<HRGN>(*rgn) : nullptr, erase); }
void CWnd::ValidateRect(LPCRECT rect) { ::ValidateRect(m_hWnd, rect); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
BOOL CWnd::RedrawWindow(LPCRECT rect, CRgn* rgn, UINT flags) {
  return ::RedrawWindow(m_hWnd, rect, rgn ? static_cast<HRGN>(*rgn) : nullptr, flags);
}
void CWnd::SetRedraw(BOOL redraw) { ::SendMessage(m_hWnd, WM_SETREDRAW, redraw, 0); }
BOOL CWnd::GetUpdateRect(LPRECT rect, BOOL erase) { return ::GetUpdateRect(m_hWnd, rect, erase); }
CDC* CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
CDC* CWnd::GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
int CWnd::ReleaseDC(CDC* dc) { return dc ? ::ReleaseDC(m_hWnd, dc->GetSafeHdc()) : 0; }

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }

BOOL CWnd::SetProp(LPCSTR name, HANDLE data) { return ::SetPropA(m_hWnd, name, data); }
HANDLE CWnd::GetProp(LPCSTR name) const { return ::GetPropA(m_hWnd, name); }
HANDLE CWnd::RemoveProp(LPCSTR name) { return ::RemovePropA(m_hWnd, name); }
int CWnd::SetWindowRgn(HRGN region, BOOL redraw) { return ::SetWindowRgn(m_hWnd, region, redraw); }
int CWnd::GetWindowRgn(HRGN region) const { return ::GetWindowRgn(m_hWnd, region); }
BOOL CWnd::SetLayeredWindowAttributes(COLORREF key, BYTE alpha, DWORD flags) {
  return ::SetLayeredWindowAttributes(m_hWnd, key, alpha, flags);
}
HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
  return reinterpret_cast<HICON>(
      ::SendMessage(m_hWnd, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}
HICON CWnd::GetIcon(BOOL bigIcon) const {
  return reinterpret_cast<HICON>(::SendMessage(m_hWnd, WM_GETICON, bigIcon ? ICON_BIG : ICON_SMALL, 0));
}

int CWnd::RunModalLoop(DWORD) { return static_cast<int>(kiv::RunModalLoop(m_hWnd)); }
void CWnd::EndModalLoop(int result) { ::EndDialog(m_hWnd, result); }

// --- Dispatch ----------------------------------------------------------------

namespace {
CPoint PointOf(LPARAM lParam) { return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); }
UINT RepeatOf(LPARAM lParam) { return static_cast<UINT>(lParam & 0xFFFF); }
UINT KeyFlagsOf(LPARAM lParam) { return static_cast<UINT>((static_cast<uintptr_t>(lParam) >> 16) & 0xFFFF); }
}  // namespace

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_NCDESTROY: OnNcDestroy(); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
    case WM_SIZE: OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_MOVE: OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_WINDOWPOSCHANGING: OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam)); return 0;
    case WM_WINDOWPOSCHANGED: OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam)); return 0;
    case WM_SHOWWINDOW: OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)); return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam) != 0);
      return 0;
    case WM_MOUSEACTIVATE:
      return OnMouseActivate(FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam));
    case WM_SETFOCUS: OnSetFocus(FromHandle(reinterpret_cast<HWND>(wParam))); return 0;
    case WM_KILLFOCUS: OnKillFocus(FromHandle(reinterpret_cast<HWND>(wParam))); return 0;
    case WM_ENABLE: OnEnable(static_cast<BOOL>(wParam)); return 0;
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_LBUTTONUP: OnLButtonUp(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_RBUTTONDOWN: OnRButtonDown(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_RBUTTONUP: OnRButtonUp(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_RBUTTONDBLCLK: OnRButtonDblClk(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_MBUTTONDOWN: OnMButtonDown(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_MBUTTONUP: OnMButtonUp(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_MOUSEWHEEL:
      return OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), PointOf(lParam));
    case WM_NCHITTEST: return OnNcHitTest(PointOf(lParam));
    case WM_NCLBUTTONDOWN: OnNcLButtonDown(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_NCLBUTTONUP: OnNcLButtonUp(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_NCLBUTTONDBLCLK: OnNcLButtonDblClk(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_NCMOUSEMOVE: OnNcMouseMove(static_cast<UINT>(wParam), PointOf(lParam)); return 0;
    case WM_SETCURSOR:
      return OnSetCursor(FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam));
    case WM_CAPTURECHANGED: OnCaptureChanged(FromHandle(reinterpret_cast<HWND>(lParam))); return 0;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wParam), RepeatOf(lParam), KeyFlagsOf(lParam)); return 0;
    case WM_KEYUP: OnKeyUp(static_cast<UINT>(wParam), RepeatOf(lParam), KeyFlagsOf(lParam)); return 0;
    case WM_CHAR: OnChar(static_cast<UINT>(wParam), RepeatOf(lParam), KeyFlagsOf(lParam)); return 0;
    case WM_SYSKEYDOWN: OnSysKeyDown(static_cast<UINT>(wParam), RepeatOf(lParam), KeyFlagsOf(lParam)); return 0;
    case WM_SYSKEYUP: OnSysKeyUp(static_cast<UINT>(wParam), RepeatOf(lParam), KeyFlagsOf(lParam)); return 0;
    case WM_SYSCHAR: OnSysChar(static_cast<UINT>(wParam), RepeatOf(lParam), KeyFlagsOf(lParam)); return 0;
    case WM_SYSCOMMAND: OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;
    case WM_VSCROLL: OnVScroll(LOWORD(wParam), HIWORD(wParam), lParam); return 0;
    case WM_HSCROLL: OnHScroll(LOWORD(wParam), HIWORD(wParam), lParam); return 0;
    case WM_COMMAND: return OnCommand(wParam, lParam) ? 0 : Default();
    case WM_NOTIFY: {
      LRESULT result = 0;
      return OnNotify(wParam, lParam, &result) ? result : Default();
    }
    case WM_DRAWITEM:
      OnDrawItem(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
      return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)),
                                                  FromHandle(reinterpret_cast<HWND>(lParam)),
                                                  msg - WM_CTLCOLORMSGBOX));
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    case WM_COPYDATA:
      return OnCopyData(FromHandle(reinterpret_cast<HWND>(wParam)), reinterpret_cast<COPYDATASTRUCT*>(lParam));
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
    case WM_CONTEXTMENU: OnContextMenu(FromHandle(reinterpret_cast<HWND>(wParam)), PointOf(lParam)); return 0;
    // Everything without a handler above, and only that.
    default: return OnMessage(msg, wParam, lParam);
  }
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProc(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default() {
  const MSG* current = kiv::win::CurrentMessage();
  if (!current) return 0;
  return DefWindowProc(current->message, current->wParam, current->lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
LRESULT CWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProc(msg, wParam, lParam); }
void CWnd::DrawItem(LPDRAWITEMSTRUCT) {}

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return static_cast<int>(Default()); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
void CWnd::OnNcLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnNcMouseMove(UINT, CPoint) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnVScroll(UINT, UINT, LPARAM) { Default(); }
void CWnd::OnHScroll(UINT, UINT, LPARAM) { Default(); }
BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) { return FALSE; }
void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT) { Default(); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
BOOL CWnd::OnCopyData(CWnd*, COPYDATASTRUCT*) { return static_cast<BOOL>(Default()); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
