// The window tree: creation and destruction, parents, owners and z-order,
// showing, moving and sizing with their messages, activation, text, styles
// and properties.
#include <algorithm>

#include "platform/core/Display.h"
#include "platform/core/SystemMenuHooks.h"
#include "platform/core/WindowSystem.h"
#include "platform/core/Wnd.h"
#include "platform/gdi/Surface.h"
#include "platform/post/CrossThreadSend.h"

namespace kiv {
namespace win {

Window::~Window() = default;

UiState& Ui() {
  static UiState state;
  return state;
}

CPoint ClientOriginInRoot(Window* w) {
  CPoint p(0, 0);
  while (w->IsChild()) {
    p.Offset(w->rect.left, w->rect.top);
    w = w->parent;
  }
  return p;
}

CPoint ClientOriginOnScreen(Window* w) {
  Window* root = w->Root();
  return ClientOriginInRoot(w) + root->rect.TopLeft();
}

bool IsShownOnScreen(Window* w) {
  for (; w; w = w->IsChild() ? w->parent : nullptr) {
    if (!w->Visible() || w->minimized || w->destroying) return false;
  }
  return true;
}

namespace {

void NotifyDisplay(Window* w) {
  if (!w->IsChild()) CurrentDisplay().TopLevelChanged(w->hwnd);
}

std::vector<Window*>& Siblings(Window* w) {
  return w->IsChild() ? w->parent->children : TopLevels();
}

bool IsTopmost(Window* w) { return (w->exStyle & WS_EX_TOPMOST) != 0; }

// Index where a top-level window of w's band goes to be the top of it.
size_t TopOfBand(std::vector<Window*>& list, Window* w) {
  if (IsTopmost(w)) return list.size();
  size_t i = 0;
  while (i < list.size() && !IsTopmost(list[i])) ++i;
  return i;
}

void Remove(std::vector<Window*>& list, Window* w) {
  list.erase(std::remove(list.begin(), list.end(), w), list.end());
}

void PlaceOnTop(Window* w) {
  auto& list = Siblings(w);
  Remove(list, w);
  if (w->IsChild()) {
    list.push_back(w);
  } else {
    list.insert(list.begin() + static_cast<long>(TopOfBand(list, w)), w);
  }
}

bool IsOwnedBy(Window* w, Window* owner) {
  for (Window* o = w->owner; o; o = o->owner) {
    if (o == owner) return true;
  }
  return false;
}

void Restack(Window* w, HWND after) {
  auto& list = Siblings(w);
  if (after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
    if (w->IsChild()) return;
    if (after == HWND_TOPMOST) {
      w->exStyle |= WS_EX_TOPMOST;
    } else {
      w->exStyle &= ~WS_EX_TOPMOST;
    }
    RaiseTopLevel(w);
    return;
  }
  if (after == HWND_TOP) {
    if (w->IsChild()) {
      PlaceOnTop(w);
    } else {
      RaiseTopLevel(w);
    }
    return;
  }
  Remove(list, w);
  if (after == HWND_BOTTOM) {
    list.insert(list.begin(), w);
    return;
  }
  // "After" in Windows' top-to-bottom order: just beneath that window.
  auto it = std::find_if(list.begin(), list.end(), [&](Window* s) { return s->hwnd == after; });
  list.insert(it == list.end() ? list.end() : it, w);
}

void ReleaseInputFrom(Window* w) {
  UiState& ui = Ui();
  auto inside = [&](HWND h) { return h && (h == w->hwnd || ::IsChild(w->hwnd, h)); };
  if (inside(ui.capture)) ::ReleaseCapture();
  if (inside(ui.focus)) {
    HWND old = ui.focus;
    ui.focus = nullptr;
    if (Window* o = Get(old)) CallProc(o, WM_KILLFOCUS, 0, 0);
    // A hidden child hands the focus to its parent, as a dialog expects.
    if (w->IsChild() && !w->destroying && IsShownOnScreen(w->parent)) ::SetFocus(w->parent->hwnd);
  }
}

// The next top-level window to activate when w goes away or hides.
Window* NextToActivate(Window* w) {
  if (w->owner && IsShownOnScreen(w->owner) && !w->owner->destroying) return w->owner;
  auto& list = TopLevels();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (*it != w && IsShownOnScreen(*it) && !(*it)->destroying && (*it)->Enabled()) return *it;
  }
  return nullptr;
}

void SetVisible(Window* w, bool visible) {
  if (visible == w->Visible()) return;
  if (visible) {
    w->style |= WS_VISIBLE;
    if (!w->IsChild()) EnsureStore(w);
    InvalidateTree(w, true);
  } else {
    Footprint before = TakeFootprint(w);
    w->style &= ~WS_VISIBLE;
    RepaintUncovered(w, before);
    ReleaseInputFrom(w);
    if (!w->IsChild() && Ui().active == w->hwnd) {
      Ui().active = nullptr;
      CallProc(w, WM_ACTIVATE, WA_INACTIVE, 0);
      if (Window* next = NextToActivate(w)) ActivateTopLevel(next, WA_ACTIVE);
    }
  }
  NotifyDisplay(w);
}

// Stops every callback bound to w or to one of its children; DestroyWindow
// does it before any of them hears WM_DESTROY, so that no callback runs
// against a window that is coming apart, nor later against its object.
void RevokeTreeLiveness(Window* w) {
  w->RevokeLiveness();
  for (Window* c : w->children) RevokeTreeLiveness(c);
}

void DestroyTree(Window* w) {
  HWND hwnd = w->hwnd;
  w->destroying = true;
  w->RevokeLiveness();  // done already, unless w was made during an ancestor's WM_DESTROY
  CallProc(w, WM_DESTROY, 0, 0);
  std::vector<Window*> children = w->children;
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (Get((*it)->hwnd)) DestroyTree(*it);
  }
  CallProc(w, WM_NCDESTROY, 0, 0);
  if (GetSystemMenuHooks().forget) GetSystemMenuHooks().forget(hwnd);
  KillWindowTimers(w);
  ForgetWindowInInputState(w);
  if (w->IsChild()) {
    Remove(w->parent->children, w);
  } else {
    Remove(TopLevels(), w);
    for (Window* t : TopLevels()) {
      if (t->owner == w) t->owner = nullptr;
    }
  }
  CWnd* wnd = w->wnd;
  w->wnd = nullptr;
  std::shared_ptr<post::ThreadQueue> queue = w->queue;
  Unregister(hwnd);  // the record may be gone from here on
  post::AbandonSendsTo(hwnd);
  queue->DiscardOwnedPostsTo(hwnd);
  if (wnd) {
    wnd->m_hWnd = nullptr;
    wnd->PostNcDestroy();
  }
}

}  // namespace

void RaiseTopLevel(Window* w) {
  if (w->IsChild()) {
    PlaceOnTop(w);
    return;
  }
  std::vector<Window*> before = TopLevels();
  PlaceOnTop(w);
  // Owned windows stay above their owner, in their own order.
  std::vector<Window*> owned;
  for (Window* t : TopLevels()) {
    if (IsOwnedBy(t, w)) owned.push_back(t);
  }
  for (Window* t : owned) PlaceOnTop(t);
  if (before != TopLevels()) RepaintRestackedTopLevels(before);
  for (Window* t : TopLevels()) CurrentDisplay().TopLevelChanged(t->hwnd);
}

void ActivateTopLevel(Window* w, UINT how) {
  w = w->Root();
  UiState& ui = Ui();
  RaiseTopLevel(w);
  if (ui.active == w->hwnd) return;
  HWND old = ui.active;
  ui.active = w->hwnd;
  // The first owner of the chain remembers which of its windows was active
  // last, for GetLastActivePopup.
  Window* first = w;
  while (first->owner) first = first->owner;
  first->lastActivePopup = first == w ? nullptr : w->hwnd;
  if (Window* o = Get(old)) CallProc(o, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(w->hwnd));
  if (Get(w->hwnd)) CallProc(w, WM_ACTIVATE, how, reinterpret_cast<LPARAM>(old));
}

}  // namespace win
}  // namespace kiv

using kiv::win::Get;
using kiv::win::Window;
using kiv::win::CallProc;

// --- Creation ----------------------------------------------------------------

namespace kiv {
namespace win {

HWND CreateWindowFor(CWnd* wnd, CREATESTRUCT cs) {
  auto thread = CurrentThread();
  if (!UiThread()) SetUiThread(thread);
  Window* parent = nullptr;
  Window* owner = nullptr;
  if (cs.style & WS_CHILD) {
    parent = Get(cs.hwndParent);
    if (!parent) return nullptr;
  } else if (cs.hwndParent) {
    Window* p = Get(cs.hwndParent);
    if (!p) return nullptr;
    owner = p->Root();
  }
  auto sp = std::make_shared<Window>();
  Window* w = sp.get();
  w->wnd = wnd;
  w->queue = thread->queue;
  w->thread = thread;
  w->className = cs.lpszClass && reinterpret_cast<uintptr_t>(cs.lpszClass) > 0xFFFF ? cs.lpszClass : "";
  w->cursor = ClassCursor(w->className);
  w->text = cs.lpszName ? cs.lpszName : "";
  bool visible = (cs.style & WS_VISIBLE) != 0;
  w->style = static_cast<DWORD>(cs.style) & ~WS_VISIBLE;
  w->exStyle = cs.dwExStyle;
  w->id = parent ? static_cast<UINT>(reinterpret_cast<uintptr_t>(cs.hMenu)) : 0;
  w->parent = parent;
  w->owner = owner;
  w->rect = CRect(cs.x, cs.y, cs.x + std::max(cs.cx, 0), cs.y + std::max(cs.cy, 0));
  w->restoreRect = w->rect;
  HWND hwnd = Register(sp);
  if (!hwnd) return nullptr;
  wnd->m_hWnd = hwnd;
  if (parent) {
    parent->children.push_back(w);
  } else {
    auto& list = TopLevels();
    list.insert(list.begin() + static_cast<long>(TopOfBand(list, w)), w);
  }
  cs.hwndParent = parent ? parent->hwnd : (owner ? owner->hwnd : nullptr);
  if (!CallProc(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
      (Get(hwnd) && CallProc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1)) {
    if (Get(hwnd)) ::DestroyWindow(hwnd);
    wnd->m_hWnd = nullptr;
    return nullptr;
  }
  if (!Get(hwnd)) return nullptr;
  CallProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->rect.Width(), w->rect.Height()));
  CallProc(w, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
  if (visible && Get(hwnd)) ::ShowWindow(hwnd, SW_SHOW);
  if (Get(hwnd)) NotifyDisplay(w);
  return Get(hwnd) ? hwnd : nullptr;
}

void ResetForTesting() {
  auto q = post::CurrentQueue();
  for (;;) {
    // Top-level windows first: destroying them takes their trees along.
    HWND victim = nullptr;
    for (Window* t : TopLevels()) {
      if (t->queue == q) victim = t->hwnd;
    }
    if (!victim) break;
    ::DestroyWindow(victim);
  }
  Ui() = UiState();
  ResetQueuesForTesting();
}

}  // namespace win
}  // namespace kiv

BOOL DestroyWindow(HWND hwnd) {
  Window* w = Get(hwnd);
  if (!w || w->destroying) return FALSE;
  kiv::win::RevokeTreeLiveness(w);
  // Owned windows go first, as on Windows.
  for (;;) {
    Window* owned = nullptr;
    for (Window* t : kiv::win::TopLevels()) {
      if (t->owner == w && !t->destroying) owned = t;
    }
    if (!owned) break;
    ::DestroyWindow(owned->hwnd);
  }
  bool wasActive = kiv::win::Ui().active == hwnd;
  if (w->Visible()) {
    kiv::win::Footprint before = kiv::win::TakeFootprint(w);
    w->style &= ~WS_VISIBLE;
    kiv::win::RepaintUncovered(w, before);
    kiv::win::NotifyDisplay(w);
  }
  w->destroying = true;
  if (wasActive) {
    kiv::win::Ui().active = nullptr;
    if (Window* next = kiv::win::NextToActivate(w)) kiv::win::ActivateTopLevel(next, WA_ACTIVE);
  }
  bool top = !w->IsChild();
  kiv::win::DestroyTree(w);
  if (top) kiv::CurrentDisplay().TopLevelChanged(hwnd);
  return TRUE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  Window* w = Get(hwnd);
  if (!w || !parent) return FALSE;
  while (w->IsChild()) {
    w = w->parent;
    if (w->hwnd == parent) return TRUE;
  }
  return FALSE;
}

HWND GetParent(HWND hwnd) {
  Window* w = Get(hwnd);
  if (!w) return nullptr;
  if (w->IsChild()) return w->parent->hwnd;
  return w->owner ? w->owner->hwnd : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  Window* w = Get(child);
  Window* p = Get(newParent);
  if (!w || !w->IsChild() || !p || p == w || IsChild(child, newParent)) return nullptr;
  HWND old = w->parent->hwnd;
  kiv::win::Footprint before = kiv::win::TakeFootprint(w);
  kiv::win::Remove(w->parent->children, w);
  w->parent = p;
  p->children.push_back(w);
  kiv::win::RepaintUncovered(w, before);
  if (w->Visible()) kiv::win::InvalidateTree(w, true);
  return old;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  Window* w = Get(hwnd);
  if (!w) return nullptr;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.back()->hwnd;
  if (cmd == GW_OWNER) return !w->IsChild() && w->owner ? w->owner->hwnd : nullptr;
  auto& list = kiv::win::Siblings(w);
  auto it = std::find(list.begin(), list.end(), w);
  if (it == list.end()) return nullptr;
  // The list runs bottom to top; Windows counts from the top.
  switch (cmd) {
    case GW_HWNDFIRST: return list.back()->hwnd;
    case GW_HWNDLAST: return list.front()->hwnd;
    case GW_HWNDNEXT: return it == list.begin() ? nullptr : (*(it - 1))->hwnd;
    case GW_HWNDPREV: return it + 1 == list.end() ? nullptr : (*(it + 1))->hwnd;
    default: return nullptr;
  }
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Window* w = Get(hwnd);
  if (!w) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->IsChild() ? w->parent->hwnd : nullptr;
    case GA_ROOT: return w->Root()->hwnd;
    case GA_ROOTOWNER: {
      Window* r = w->Root();
      while (r->owner) r = r->owner;
      return r->hwnd;
    }
    default: return nullptr;
  }
}

HWND GetTopWindow(HWND parent) {
  if (!parent) {
    auto& list = kiv::win::TopLevels();
    return list.empty() ? nullptr : list.back()->hwnd;
  }
  return GetWindow(parent, GW_CHILD);
}

HWND GetDlgItem(HWND parent, int id) {
  Window* w = Get(parent);
  if (!w) return nullptr;
  for (Window* c : w->children) {
    if (static_cast<int>(c->id) == id) return c->hwnd;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  Window* w = Get(hwnd);
  return w ? static_cast<int>(w->id) : 0;
}

LONG GetWindowLong(HWND hwnd, int index) {
  Window* w = Get(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_ID: return static_cast<LONG>(w->id);
    case GWLP_USERDATA: return w->userData;
    default: return 0;
  }
}

LONG SetWindowLong(HWND hwnd, int index, LONG value) {
  Window* w = Get(hwnd);
  if (!w) return 0;
  LONG old = GetWindowLong(hwnd, index);
  switch (index) {
    case GWL_STYLE: {
      DWORD v = static_cast<DWORD>(value);
      bool visible = (v & WS_VISIBLE) != 0;
      w->style = (v & ~WS_VISIBLE) | (w->style & WS_VISIBLE);
      kiv::win::SetVisible(w, visible);
      break;
    }
    case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(value); break;
    case GWL_ID: w->id = static_cast<UINT>(value); break;
    case GWLP_USERDATA: w->userData = value; break;
    default: return 0;
  }
  kiv::win::NotifyDisplay(w);
  return old;
}

// --- Showing, moving, sizing -------------------------------------------------

BOOL ShowWindow(HWND hwnd, int cmd) {
  Window* w = Get(hwnd);
  if (!w) return FALSE;
  bool was = w->Visible();
  bool top = !w->IsChild();
  switch (cmd) {
    case SW_HIDE:
      if (was) {
        CallProc(w, WM_SHOWWINDOW, FALSE, 0);
        if (Get(hwnd)) kiv::win::SetVisible(w, false);
      }
      return was;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      if (!was) CallProc(w, WM_SHOWWINDOW, TRUE, 0);
      if (!w->minimized) {
        kiv::win::Footprint before = kiv::win::TakeFootprint(w);
        w->minimized = true;
        kiv::win::SetVisible(w, true);
        kiv::win::RepaintUncovered(w, before);
        kiv::win::ReleaseInputFrom(w);
        if (top && kiv::win::Ui().active == hwnd) {
          kiv::win::Ui().active = nullptr;
          CallProc(w, WM_ACTIVATE, WA_INACTIVE, 0);
          if (Window* next = kiv::win::NextToActivate(w)) kiv::win::ActivateTopLevel(next, WA_ACTIVE);
        }
        CallProc(w, WM_SIZE, SIZE_MINIMIZED, 0);
        kiv::win::NotifyDisplay(w);
      }
      return was;
    case SW_MAXIMIZE: {
      if (!was) CallProc(w, WM_SHOWWINDOW, TRUE, 0);
      w->minimized = false;
      if (!w->maximized) {
        w->restoreRect = w->rect;
        w->maximized = true;
      }
      kiv::win::SetVisible(w, true);
      CRect area = top ? kiv::CurrentDisplay().WorkArea() : CRect();
      if (!top) ::GetClientRect(w->parent->hwnd, &area);
      ::SetWindowPos(hwnd, HWND_TOP, area.left, area.top, area.Width(), area.Height(), SWP_NOZORDER);
      if (top) kiv::win::ActivateTopLevel(w, WA_ACTIVE);
      return was;
    }
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT: {
      if (!was) CallProc(w, WM_SHOWWINDOW, TRUE, 0);
      bool wasMin = w->minimized;
      w->minimized = false;
      kiv::win::SetVisible(w, true);
      if (w->maximized) {
        w->maximized = false;
        CRect r = w->restoreRect;
        ::SetWindowPos(hwnd, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
      } else if (wasMin) {
        kiv::win::InvalidateTree(w, true);
        CallProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->rect.Width(), w->rect.Height()));
      }
      if (top && Get(hwnd)) kiv::win::ActivateTopLevel(w, WA_ACTIVE);
      kiv::win::NotifyDisplay(w);
      return was;
    }
    default: {  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE
      if (!was) {
        CallProc(w, WM_SHOWWINDOW, TRUE, 0);
        if (!Get(hwnd)) return was;
        kiv::win::SetVisible(w, true);
      }
      if (top && cmd == SW_SHOW && (w->exStyle & WS_EX_NOACTIVATE) == 0 && w->Enabled()) {
        kiv::win::ActivateTopLevel(w, WA_ACTIVE);
      } else if (top && !was) {
        kiv::win::RaiseTopLevel(w);
      }
      return was;
    }
  }
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = Get(hwnd);
  if (!w) return FALSE;
  for (; w; w = w->IsChild() ? w->parent : nullptr) {
    if (!w->Visible()) return FALSE;
  }
  return TRUE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Window* w = Get(hwnd);
  if (!w) return FALSE;
  BOOL wasDisabled = !w->Enabled();
  if (enable == wasDisabled) {
    if (enable) {
      w->style &= ~WS_DISABLED;
    } else {
      w->style |= WS_DISABLED;
      kiv::win::ReleaseInputFrom(w);
    }
    CallProc(w, WM_ENABLE, enable ? TRUE : FALSE, 0);
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = Get(hwnd);
  return w && w->Enabled();
}

HWND GetLastActivePopup(HWND hwnd) {
  Window* w = Get(hwnd);
  if (!w) return nullptr;
  Window* popup = Get(w->lastActivePopup);
  // A pop-up that went away, was hidden or disabled, or changed owners
  // since is no answer: the window itself is.
  if (popup && !popup->destroying && popup->Visible() && popup->Enabled() && kiv::win::IsOwnedBy(popup, w)) {
    return popup->hwnd;
  }
  return hwnd;
}

BOOL IsIconic(HWND hwnd) {
  Window* w = Get(hwnd);
  return w && w->minimized;
}

BOOL IsZoomed(HWND hwnd) {
  Window* w = Get(hwnd);
  return w && w->maximized;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

namespace {
constexpr UINT kNoClientSize = 0x0800;  // the window system's own WINDOWPOS flags
constexpr UINT kNoClientMove = 0x1000;
}  // namespace

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* w = Get(hwnd);
  if (!w) return FALSE;
  WINDOWPOS pos;
  pos.hwnd = hwnd;
  pos.hwndInsertAfter = insertAfter;
  pos.x = (flags & SWP_NOMOVE) ? w->rect.left : x;
  pos.y = (flags & SWP_NOMOVE) ? w->rect.top : y;
  pos.cx = (flags & SWP_NOSIZE) ? w->rect.Width() : cx;
  pos.cy = (flags & SWP_NOSIZE) ? w->rect.Height() : cy;
  pos.flags = flags;
  if (!(flags & SWP_NOSENDCHANGING)) {
    CallProc(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (!Get(hwnd)) return FALSE;
  }
  CRect old = w->rect;
  kiv::win::Footprint before = kiv::win::TakeFootprint(w);
  std::vector<Window*> topLevelsBefore = kiv::win::TopLevels();
  CRect now(pos.x, pos.y, pos.x + std::max(pos.cx, 0), pos.y + std::max(pos.cy, 0));
  bool moved = now.TopLeft() != old.TopLeft();
  bool resized = now.Size() != old.Size();
  w->rect = now;
  bool restacked = false;
  if (!(pos.flags & SWP_NOZORDER)) {
    auto& list = kiv::win::Siblings(w);
    std::vector<Window*> before = list;
    bool wasTopmost = kiv::win::IsTopmost(w);
    kiv::win::Restack(w, pos.hwndInsertAfter);
    restacked = before != list || wasTopmost != kiv::win::IsTopmost(w);
  }
  if (!w->IsChild() && resized) kiv::win::EnsureStore(w);
  if ((pos.flags & SWP_SHOWWINDOW) && !w->Visible()) kiv::win::SetVisible(w, true);
  if ((pos.flags & SWP_HIDEWINDOW) && w->Visible()) kiv::win::SetVisible(w, false);
  if (!(pos.flags & SWP_NOREDRAW) && (moved || resized || restacked)) {
    kiv::win::RepaintUncovered(w, before);
    if (!w->IsChild() && restacked) kiv::win::RepaintRestackedTopLevels(topLevelsBefore);
  }
  if (w->Visible() && !(pos.flags & SWP_NOREDRAW)) {
    if (w->IsChild() && (moved || resized || restacked)) {
      kiv::win::InvalidateTree(w, true);  // its pixels are not where it now is
    } else if (resized) {
      kiv::win::InvalidateOwned(w, kiv::gdi::Region(CRect(0, 0, now.Width(), now.Height())), true, true);
    }
  }
  if (!w->IsChild() && !(pos.flags & SWP_NOACTIVATE) && w->Visible() && w->Enabled()) {
    kiv::win::ActivateTopLevel(w, WA_ACTIVE);
  }
  if (moved || resized || restacked || (pos.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED))) {
    pos.x = now.left;
    pos.y = now.top;
    pos.cx = now.Width();
    pos.cy = now.Height();
    if (!moved) pos.flags |= kNoClientMove;
    if (!resized) pos.flags |= kNoClientSize;
    CallProc(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  }
  if (Get(hwnd)) kiv::win::NotifyDisplay(w);
  return TRUE;
}

namespace kiv {
namespace win {
// The default handling of WM_WINDOWPOSCHANGED: WM_MOVE and WM_SIZE.
void SendMoveAndSize(Window* w, const WINDOWPOS* pos) {
  if (!(pos->flags & kNoClientMove)) CallProc(w, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
  if (!(pos->flags & kNoClientSize) && Get(w->hwnd)) {
    WPARAM type = w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
    CallProc(w, WM_SIZE, type, MAKELPARAM(w->rect.Width(), w->rect.Height()));
  }
}
}  // namespace win
}  // namespace kiv

BOOL BringWindowToTop(HWND hwnd) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  Window* w = Get(hwnd);
  if (!w || !rect) return FALSE;
  CPoint o = w->IsChild() ? kiv::win::ClientOriginOnScreen(w->parent) : CPoint(0, 0);
  CRect r = w->rect;
  r.OffsetRect(o);
  *rect = r;
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  Window* w = Get(hwnd);
  if (!w || !rect) return FALSE;
  *rect = CRect(0, 0, w->rect.Width(), w->rect.Height());
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  Window* w = Get(hwnd);
  if (!w || !point) return FALSE;
  CPoint o = kiv::win::ClientOriginOnScreen(w);
  point->x -= o.x;
  point->y -= o.y;
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  Window* w = Get(hwnd);
  if (!w || !point) return FALSE;
  CPoint o = kiv::win::ClientOriginOnScreen(w);
  point->x += o.x;
  point->y += o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  CPoint a(0, 0), b(0, 0);
  if (from) {
    Window* w = Get(from);
    if (!w) return 0;
    a = kiv::win::ClientOriginOnScreen(w);
  }
  if (to) {
    Window* w = Get(to);
    if (!w) return 0;
    b = kiv::win::ClientOriginOnScreen(w);
  }
  for (UINT i = 0; i < count; ++i) {
    points[i].x += a.x - b.x;
    points[i].y += a.y - b.y;
  }
  return MAKELONG(static_cast<WORD>(a.x - b.x), static_cast<WORD>(a.y - b.y));
}

namespace {
// Whether a point in w's parent-client coordinates (screen for top-level)
// falls on w, honouring its region.
bool Covers(Window* w, POINT p) {
  if (!w->rect.PtInRect(p)) return false;
  if (w->hasRegion && !w->region.Contains(p.x - w->rect.left, p.y - w->rect.top)) return false;
  return true;
}
}  // namespace

HWND ChildWindowFromPoint(HWND parent, POINT clientPoint) {
  Window* w = Get(parent);
  if (!w) return nullptr;
  if (!CRect(0, 0, w->rect.Width(), w->rect.Height()).PtInRect(clientPoint)) return nullptr;
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
    if ((*it)->Visible() && Covers(*it, clientPoint)) return (*it)->hwnd;
  }
  return parent;
}

HWND ChildWindowFromPointEx(HWND parent, POINT clientPoint, UINT flags) {
  Window* w = Get(parent);
  if (!w) return nullptr;
  if (!CRect(0, 0, w->rect.Width(), w->rect.Height()).PtInRect(clientPoint)) return nullptr;
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
    Window* c = *it;
    if ((flags & CWP_SKIPINVISIBLE) && !c->Visible()) continue;
    if ((flags & CWP_SKIPDISABLED) && !c->Enabled()) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (c->exStyle & WS_EX_TRANSPARENT)) continue;
    if (Covers(c, clientPoint)) return c->hwnd;
  }
  return parent;
}

HWND WindowFromPoint(POINT screenPoint) {
  auto& list = kiv::win::TopLevels();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    Window* w = *it;
    if (!kiv::win::IsShownOnScreen(w) || !Covers(w, screenPoint)) continue;
    POINT p = screenPoint;
    p.x -= w->rect.left;
    p.y -= w->rect.top;
    for (;;) {
      Window* hit = nullptr;
      for (auto c = w->children.rbegin(); c != w->children.rend(); ++c) {
        if ((*c)->Visible() && (*c)->Enabled() && Covers(*c, p)) {
          hit = *c;
          break;
        }
      }
      if (!hit) return w->hwnd;
      p.x -= hit->rect.left;
      p.y -= hit->rect.top;
      w = hit;
    }
  }
  return nullptr;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  return Get(hwnd) ? static_cast<BOOL>(SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text))) : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
  if (!Get(hwnd) || !buffer || size <= 0) return 0;
  return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) {
  return Get(hwnd) ? static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

// --- Properties -------------------------------------------------------------

BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data) {
  Window* w = Get(hwnd);
  if (!w || !name) return FALSE;
  w->props[name] = data;
  return TRUE;
}

HANDLE GetPropA(HWND hwnd, LPCSTR name) {
  Window* w = Get(hwnd);
  if (!w || !name) return nullptr;
  auto it = w->props.find(name);
  return it == w->props.end() ? nullptr : it->second;
}

HANDLE RemovePropA(HWND hwnd, LPCSTR name) {
  Window* w = Get(hwnd);
  if (!w || !name) return nullptr;
  auto it = w->props.find(name);
  if (it == w->props.end()) return nullptr;
  HANDLE data = it->second;
  w->props.erase(it);
  return data;
}

// --- Layered windows ----------------------------------------------------------

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags) {
  Window* w = Get(hwnd);
  if (!w || w->IsChild() || !(w->exStyle & WS_EX_LAYERED)) return FALSE;
  w->layeredFlags = flags;
  w->alpha = (flags & LWA_ALPHA) ? alpha : 255;
  w->colorKey = key;
  kiv::win::NotifyDisplay(w);
  return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags) {
  Window* w = Get(hwnd);
  if (!w || !(w->exStyle & WS_EX_LAYERED)) return FALSE;
  if (key) *key = w->colorKey;
  if (alpha) *alpha = w->alpha;
  if (flags) *flags = w->layeredFlags;
  return TRUE;
}
