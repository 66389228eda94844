// Invalid areas and WM_PAINT. Every window draws into the backing store of
// its top-level window, so the order of painting is what makes the picture:
// a parent paints before its children and siblings paint bottom to top. A
// window's drawing is clipped to its visible client area (inside every
// ancestor, outside every sibling above it and its ancestors), so a lower
// window never draws over a higher one. Invalidating a parent invalidates
// the windows inside it that it would paint over, unless it has
// WS_CLIPCHILDREN, in which case its own drawing leaves them out. A window
// that comes to where its pixels are not (shown, moved, reparented,
// restored) repaints with every window inside it, clipping or not. A window
// that leaves a place (hidden, moved, shrunk, reshaped, minimised,
// destroyed, sent lower) has the parent and the siblings it covered there
// repaint that part, since the store still holds its pixels there.
#include <algorithm>
#include <functional>
#include <map>

#include "platform/backend/Composition.h"
#include "platform/core/Display.h"
#include "platform/core/RedrawState.h"
#include "platform/core/WindowSystem.h"
#include "platform/core/Wnd.h"
#include "platform/gdi/Surface.h"

namespace kiv {
namespace win {

namespace {

// w's shape in its parent's client coordinates (screen for a top-level).
gdi::Region ShapeInParent(Window* w) {
  gdi::Region r(w->rect);
  if (w->hasRegion) r = r.Intersect(w->region.Offsetted(w->rect.left, w->rect.top));
  return r;
}

CRect ClientRect(Window* w) { return CRect(0, 0, w->rect.Width(), w->rect.Height()); }

// Device contexts handed out by BeginPaint and GetDC, until their release.
std::map<HDC, std::unique_ptr<CDC>>& OwnedDcs() {
  static std::map<HDC, std::unique_ptr<CDC>> dcs;
  return dcs;
}

// The pictures the screen DCs draw on, by DC.
std::map<HDC, std::unique_ptr<gdi::Surface>>& ScreenPictures() {
  static std::map<HDC, std::unique_ptr<gdi::Surface>> pictures;
  return pictures;
}

gdi::Region PaintClip(Window* w, const gdi::Region& area, bool clipChildren) {
  gdi::Region clip = VisibleClientRegion(w).Intersect(area);
  if (clipChildren && (w->style & WS_CLIPCHILDREN)) {
    for (Window* c : w->children) {
      if (c->Visible()) clip = clip.Subtract(ShapeInParent(c));
    }
  }
  return clip;
}

void AttachToStore(Window* w, CDC* dc, const gdi::Region& clip) {
  Window* root = w->Root();
  EnsureStore(root);
  dc->AttachSurface(root->store.get(), ClientOriginInRoot(w), &clip);
}

void ReportDrawn(Window* w, const gdi::Region& clip) {
  if (clip.IsEmpty()) return;
  CRect r = clip.Bounds();
  r.OffsetRect(ClientOriginInRoot(w));
  CurrentDisplay().ContentChanged(w->Root()->hwnd, r);
}

}  // namespace

gdi::Region VisibleClientRegion(Window* w) {
  gdi::Region vis(ClientRect(w));
  if (w->hasRegion) vis = vis.Intersect(w->region);
  CPoint off(0, 0);  // w's client origin in c's parent client coordinates, less c's origin
  Window* c = w;
  while (c->IsChild()) {
    Window* p = c->parent;
    off.Offset(c->rect.left, c->rect.top);
    gdi::Region parentArea(ClientRect(p));
    if (p->hasRegion) parentArea = parentArea.Intersect(p->region);
    vis = vis.Intersect(parentArea.Offsetted(-off.x, -off.y));
    auto it = std::find(p->children.begin(), p->children.end(), c);
    for (++it; it < p->children.end(); ++it) {
      if ((*it)->Visible()) vis = vis.Subtract(ShapeInParent(*it).Offsetted(-off.x, -off.y));
    }
    c = p;
  }
  return vis;
}

void EnsureStore(Window* top) {
  CSize size(std::max<LONG>(top->rect.Width(), 1), std::max<LONG>(top->rect.Height(), 1));
  if (top->store && top->store->Size() == size) return;
  auto store = std::make_unique<gdi::Surface>(size.cx, size.cy, RGB(0, 0, 0));
  if (top->store) store->CopyFrom(*top->store, 0, 0);
  top->store = std::move(store);
}

void InvalidateOwned(Window* w, const gdi::Region& area, bool erase, bool withChildren) {
  if (!IsShownOnScreen(w)) return;
  gdi::Region vis = VisibleClientRegion(w).Intersect(area);
  if (vis.IsEmpty()) return;
  w->invalid = w->invalid.Union(vis);
  w->erase = w->erase || erase;
  w->thread->paintPending = true;
  if (!withChildren || (w->style & WS_CLIPCHILDREN)) return;
  // w paints over its children there, and over everything inside them,
  // also inside a child that clips its own.
  for (Window* c : w->children) {
    if (c->Visible()) InvalidateWithEveryChild(c, vis.Offsetted(-c->rect.left, -c->rect.top), erase);
  }
}

void InvalidateWithEveryChild(Window* w, const gdi::Region& area, bool erase) {
  gdi::Region inside = area.Intersect(gdi::Region(ClientRect(w)));
  if (inside.IsEmpty()) return;
  InvalidateOwned(w, inside, erase, false);
  for (Window* c : w->children) {
    if (c->Visible()) InvalidateWithEveryChild(c, inside.Offsetted(-c->rect.left, -c->rect.top), erase);
  }
}

void InvalidateTree(Window* w, bool erase) {
  InvalidateOwned(w, gdi::Region(ClientRect(w)), erase, false);
  for (Window* c : w->children) {
    if (c->Visible()) InvalidateTree(c, erase);
  }
}

namespace {

bool OnThisThread(Window* w) { return w->queue == post::CurrentQueue(); }

// Whether w is shown where the footprint was taken: among the same siblings.
bool ShownAmong(Window* w, HWND parent) {
  if (!IsShownOnScreen(w)) return false;
  return parent ? w->IsChild() && w->parent->hwnd == parent : !w->IsChild();
}

// What the shown top-level windows above t (of this thread) cover, in screen
// coordinates, in the given order (bottom to top).
gdi::Region CoverAbove(Window* t, const std::vector<Window*>& order) {
  gdi::Region cover;
  auto it = std::find(order.begin(), order.end(), t);
  if (it == order.end()) return cover;
  for (++it; it != order.end(); ++it) {
    if (OnThisThread(*it) && IsShownOnScreen(*it)) cover = cover.Union(ShapeInParent(*it));
  }
  return cover;
}

// Repaints s, a sibling of the window that moved, where it shows again;
// `area` is in s's parent's client coordinates (the screen for a top-level).
void RepaintSiblingPart(Window* s, gdi::Region area) {
  // A child's visible region leaves out the siblings above it; a top-level
  // window's does not know the others, so they are taken out here.
  if (!s->IsChild()) area = area.Subtract(CoverAbove(s, TopLevels()));
  if (area.IsEmpty()) return;
  InvalidateWithEveryChild(s, area.Offsetted(-s->rect.left, -s->rect.top), true);
}

}  // namespace

Footprint TakeFootprint(Window* w) {
  Footprint f;
  if (!IsShownOnScreen(w)) return f;
  f.shown = true;
  f.parent = w->IsChild() ? w->parent->hwnd : nullptr;
  f.shape = ShapeInParent(w);
  for (Window* s : w->IsChild() ? w->parent->children : TopLevels()) {
    if (s == w) break;
    if (OnThisThread(s) && IsShownOnScreen(s)) f.beneath.push_back(s->hwnd);
  }
  return f;
}

void RepaintUncovered(Window* w, const Footprint& before) {
  if (!before.shown) return;
  Window* parent = nullptr;
  if (before.parent) {
    parent = Get(before.parent);
    if (!parent) return;
  }
  gdi::Region now = ShownAmong(w, before.parent) ? ShapeInParent(w) : gdi::Region();
  gdi::Region uncovered = before.shape.Subtract(now);
  if (parent && !uncovered.IsEmpty()) InvalidateOwned(parent, uncovered, true, true);
  for (HWND h : before.beneath) {
    Window* s = Get(h);
    // Where w still stands above s, its visible region (or the cover of the
    // windows above it) leaves w out; where w went beneath s, s shows all
    // that w covered.
    if (s && ShownAmong(s, before.parent)) RepaintSiblingPart(s, before.shape);
  }
}

void RepaintRestackedTopLevels(const std::vector<Window*>& before) {
  const std::vector<Window*>& order = TopLevels();
  for (Window* t : order) {
    if (!OnThisThread(t) || !IsShownOnScreen(t)) continue;
    gdi::Region shown = CoverAbove(t, before).Subtract(CoverAbove(t, order)).Intersect(ShapeInParent(t));
    if (!shown.IsEmpty()) InvalidateWithEveryChild(t, shown.Offsetted(-t->rect.left, -t->rect.top), true);
  }
}

namespace {

Window* FirstToPaint(Window* w) {
  if (!w->Visible() || w->minimized || !w->redraw.load()) return nullptr;
  if (!w->invalid.IsEmpty()) return w;
  for (Window* c : w->children) {
    if (Window* found = FirstToPaint(c)) return found;
  }
  return nullptr;
}

void MovePaintArea(Window* w) {
  w->painting = w->painting.Union(w->invalid);
  w->paintErase = w->paintErase || w->erase;
  w->invalid = gdi::Region();
  w->erase = false;
}

}  // namespace

bool TakePaintMessage(WindowThread& t, MSG* msg) {
  for (Window* top : TopLevels()) {
    if (top->thread.get() != &t) continue;
    if (Window* w = FirstToPaint(top)) {
      MovePaintArea(w);
      *msg = MSG();
      msg->hwnd = w->hwnd;
      msg->message = WM_PAINT;
      return true;
    }
  }
  t.paintPending = false;
  return false;
}

HDC BeginPaintOn(Window* w, CDC* dc, PAINTSTRUCT* ps) {
  if (w->painting.IsEmpty()) MovePaintArea(w);  // BeginPaint outside a WM_PAINT
  gdi::Region clip = PaintClip(w, w->painting, true);
  bool erase = w->paintErase;
  w->paintErase = false;
  AttachToStore(w, dc, clip);
  *ps = PAINTSTRUCT();
  ps->hdc = dc->GetSafeHdc();
  ps->rcPaint = w->painting.Bounds();
  ps->fErase = TRUE;
  if (erase) ps->fErase = CallProc(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(ps->hdc), 0) ? FALSE : TRUE;
  return ps->hdc;
}

void EndPaintOn(Window* w, CDC* dc) {
  if (w) {
    ReportDrawn(w, PaintClip(w, w->painting, true));
    w->painting = gdi::Region();
  }
  dc->DetachSurface();
}

void AttachClientDc(Window* w, CDC* dc) { AttachToStore(w, dc, PaintClip(w, gdi::Region(ClientRect(w)), true)); }

void ReleaseClientDc(Window* w, CDC* dc) {
  if (w) ReportDrawn(w, PaintClip(w, gdi::Region(ClientRect(w)), true));
  dc->DetachSurface();
}

}  // namespace win
}  // namespace kiv

using kiv::win::Get;
using kiv::win::Window;

BOOL InvalidateRect(HWND hwnd, LPCRECT rect, BOOL erase) {
  auto sp = kiv::win::Lookup(hwnd);
  if (!sp) {
    // Windows repaints every window for a null handle; nothing here needs it.
    return FALSE;
  }
  Window* w = sp.get();
  if (w->queue != kiv::post::CurrentQueue()) {
    // Another thread: record the area; the owner thread applies it before it
    // looks for paints (the tree is the owner's alone).
    {
      std::lock_guard<std::mutex> lock(w->pendingMutex);
      w->pendingInvalid.push_back(rect ? *rect : CRect(-0x8000, -0x8000, 0x7FFF, 0x7FFF));
      w->pendingErase = w->pendingErase || erase;
    }
    w->thread->pendingFromOtherThreads = true;
    w->queue->Wake();
    return TRUE;
  }
  kiv::gdi::Region area(rect ? CRect(*rect) : CRect(0, 0, w->rect.Width(), w->rect.Height()));
  kiv::win::InvalidateOwned(w, area, erase != FALSE, true);
  return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
  Window* w = Get(hwnd);
  if (!w) return FALSE;
  if (!region) return InvalidateRect(hwnd, nullptr, erase);
  kiv::gdi::Region area = kiv::win::RegionFromHandle(region);
  kiv::win::InvalidateOwned(w, area, erase != FALSE, true);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, LPCRECT rect) {
  Window* w = Get(hwnd);
  if (!w) return FALSE;
  if (!rect) {
    w->invalid = kiv::gdi::Region();
    w->erase = false;
  } else {
    w->invalid = w->invalid.Subtract(kiv::gdi::Region(*rect));
  }
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  Window* w = Get(hwnd);
  if (!w) return FALSE;
  if (w->invalid.IsEmpty() || !kiv::win::IsShownOnScreen(w) || !w->redraw.load()) return TRUE;
  kiv::win::MovePaintArea(w);
  kiv::win::CallProc(w, WM_PAINT, 0, 0);
  if (Window* still = Get(hwnd)) still->painting = kiv::gdi::Region();
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, LPCRECT rect, HRGN region, UINT flags) {
  Window* w = Get(hwnd);
  if (!w) return FALSE;
  kiv::gdi::Region area(rect ? CRect(*rect) : CRect(0, 0, w->rect.Width(), w->rect.Height()));
  if (region) area = kiv::win::RegionFromHandle(region);
  if (flags & RDW_INVALIDATE) {
    bool children = !(flags & RDW_NOCHILDREN);
    if ((flags & RDW_ALLCHILDREN) && (w->style & WS_CLIPCHILDREN)) {
      // Explicitly asked for: the children repaint even under a clipping
      // parent, and theirs under clipping children.
      kiv::win::InvalidateWithEveryChild(w, area, (flags & RDW_ERASE) != 0);
    } else {
      kiv::win::InvalidateOwned(w, area, (flags & RDW_ERASE) != 0, children);
    }
  }
  if (flags & RDW_VALIDATE) w->invalid = w->invalid.Subtract(area);
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
    std::function<void(HWND)> update = [&](HWND h) {
      UpdateWindow(h);
      if (Window* x = Get(h)) {
        std::vector<HWND> kids;
        for (Window* c : x->children) kids.push_back(c->hwnd);
        for (HWND k : kids) update(k);
      }
    };
    update(hwnd);
  }
  return TRUE;
}

bool kiv::IsRedrawOn(HWND hwnd) {
  auto sp = kiv::win::Lookup(hwnd);
  return sp && sp->redraw.load();
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
  Window* w = Get(hwnd);
  if (!w) return FALSE;
  if (rect) *rect = w->invalid.Bounds();
  return w->invalid.IsEmpty() ? FALSE : TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
  Window* w = Get(hwnd);
  if (!w || !paint) return nullptr;
  auto dc = std::make_unique<CDC>();
  HDC h = dc->GetSafeHdc();
  kiv::win::OwnedDcs()[h] = std::move(dc);
  return kiv::win::BeginPaintOn(w, CDC::FromHandle(h), paint);
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
  if (!paint) return FALSE;
  auto& dcs = kiv::win::OwnedDcs();
  auto it = dcs.find(paint->hdc);
  if (it == dcs.end()) return FALSE;
  kiv::win::EndPaintOn(Get(hwnd), it->second.get());
  dcs.erase(it);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (!hwnd) {
    // The screen: a picture of our windows, kept with its DC until released.
    auto dc = std::make_unique<CDC>();
    HDC h = dc->GetSafeHdc();
    std::unique_ptr<kiv::gdi::Surface> screen = kiv::ComposeOwnWindows(kiv::CurrentDisplay().ScreenSize());
    dc->AttachSurface(screen.get(), POINT{0, 0}, nullptr);
    kiv::win::ScreenPictures()[h] = std::move(screen);
    kiv::win::OwnedDcs()[h] = std::move(dc);
    return h;
  }
  Window* w = Get(hwnd);
  if (!w) return nullptr;
  auto dc = std::make_unique<CDC>();
  HDC h = dc->GetSafeHdc();
  kiv::win::AttachClientDc(w, dc.get());
  kiv::win::OwnedDcs()[h] = std::move(dc);
  return h;
}

HDC GetWindowDC(HWND hwnd) { return GetDC(hwnd); }

int ReleaseDC(HWND hwnd, HDC dc) {
  auto& dcs = kiv::win::OwnedDcs();
  auto it = dcs.find(dc);
  if (it == dcs.end()) return 0;
  kiv::win::ReleaseClientDc(Get(hwnd), it->second.get());
  dcs.erase(it);
  kiv::win::ScreenPictures().erase(dc);  // after its DC let go of it
  return 1;
}

// --- The DC classes ------------------------------------------------------------

CPaintDC::CPaintDC(CWnd* wnd) : hwnd_(wnd ? wnd->m_hWnd : nullptr) {
  if (Window* w = Get(hwnd_)) kiv::win::BeginPaintOn(w, this, &m_ps);
}

CPaintDC::~CPaintDC() { kiv::win::EndPaintOn(Get(hwnd_), this); }

CClientDC::CClientDC(CWnd* wnd) : hwnd_(wnd ? wnd->m_hWnd : nullptr) {
  if (Window* w = Get(hwnd_)) kiv::win::AttachClientDc(w, this);
}

CClientDC::~CClientDC() { kiv::win::ReleaseClientDc(Get(hwnd_), this); }
