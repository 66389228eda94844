#include "platform/gdi/DC.h"

#include <mutex>
#include <set>

#include "platform/gdi/DcImpl.h"

namespace {

// Memory DCs made by ::CreateCompatibleDC, which ::DeleteDC deletes.
std::mutex& HeapDCsMutex() {
  static std::mutex m;
  return m;
}

std::set<CDC*>& HeapDCs() {
  static std::set<CDC*> dcs;
  return dcs;
}


}  // namespace

// --- Construction -------------------------------------------------------------

CDC::CDC() : impl_(std::make_unique<Impl>()) {}

CDC::~CDC() {
  std::lock_guard<std::mutex> lock(HeapDCsMutex());
  HeapDCs().erase(this);
}

BOOL CDC::CreateCompatibleDC(CDC* /*dc*/) {
  impl_->kind = Impl::Kind::kMemory;
  impl_->attached = nullptr;
  impl_->origin = CPoint();
  impl_->hasSystemClip = false;
  impl_->ResetState();
  return TRUE;
}

BOOL CDC::DeleteDC() {
  impl_->kind = Impl::Kind::kNone;
  impl_->attached = nullptr;
  impl_->hasSystemClip = false;
  impl_->ResetState();
  impl_->DestroyCr();
  impl_->temps.clear();
  return TRUE;
}

void CDC::AttachSurface(Surface* surface, POINT origin, const Region* clip) {
  impl_->kind = surface != nullptr ? Impl::Kind::kWindow : Impl::Kind::kNone;
  impl_->attached = surface;
  impl_->origin = origin;
  impl_->hasSystemClip = clip != nullptr;
  impl_->systemClip = clip != nullptr ? *clip : Region();
  impl_->ResetState();
}

void CDC::DetachSurface() {
  if (impl_->kind != Impl::Kind::kWindow) return;
  DeleteDC();
}

Surface* CDC::GetTargetSurface() const { return impl_->Target(); }
CPoint CDC::GetSurfaceOrigin() const { return impl_->origin; }

int CDC::GetDeviceCaps(int index) const {
  Surface* s = impl_->Target();
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case HORZRES: return s == nullptr ? 0 : s->Width();
    case VERTRES: return s == nullptr ? 0 : s->Height();
    default: return 0;
  }
}

// --- Objects ------------------------------------------------------------------

// The typed selections go through the generic one; each returns an object
// of its own type, since an object only ever replaces one of its kind.
CPen* CDC::SelectObject(CPen* pen) {
  return static_cast<CPen*>(SelectObject(static_cast<CGdiObject*>(pen)));
}

CBrush* CDC::SelectObject(CBrush* brush) {
  return static_cast<CBrush*>(SelectObject(static_cast<CGdiObject*>(brush)));
}

CFont* CDC::SelectObject(CFont* font) {
  return static_cast<CFont*>(SelectObject(static_cast<CGdiObject*>(font)));
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
  return static_cast<CBitmap*>(SelectObject(static_cast<CGdiObject*>(bitmap)));
}

int CDC::SelectObject(CRgn* rgn) { return SelectClipRgn(rgn); }

CGdiObject* CDC::SelectObject(CGdiObject* object) {
  if (object == nullptr || !object->IsCreated()) return nullptr;
  const std::shared_ptr<ObjectData>& data = object->Data();
  switch (data->kind) {
    case ObjectKind::kPen: {
      std::shared_ptr<ObjectData> previous = impl_->st.pen;
      impl_->st.pen = std::static_pointer_cast<PenData>(data);
      return impl_->Wrap<CPen>(previous);
    }
    case ObjectKind::kBrush: {
      std::shared_ptr<ObjectData> previous = impl_->st.brush;
      impl_->st.brush = std::static_pointer_cast<BrushData>(data);
      return impl_->Wrap<CBrush>(previous);
    }
    case ObjectKind::kFont: {
      std::shared_ptr<ObjectData> previous = impl_->st.font;
      impl_->st.font = std::static_pointer_cast<FontData>(data);
      return impl_->Wrap<CFont>(previous);
    }
    case ObjectKind::kBitmap: {
      if (impl_->kind != Impl::Kind::kMemory) return nullptr;
      std::shared_ptr<ObjectData> previous = impl_->st.bitmap;
      impl_->SelectBitmap(std::static_pointer_cast<BitmapData>(data));
      return impl_->Wrap<CBitmap>(previous);
    }
    case ObjectKind::kRgn: {
      CRgn wrapper;
      wrapper.SetData(data);
      SelectClipRgn(&wrapper);
      return nullptr;
    }
  }
  return nullptr;
}

CGdiObject* CDC::SelectStockObject(int index) {
  std::shared_ptr<ObjectData> data = kiv::gdi::StockObject(index);
  if (!data) return nullptr;
  CGdiObject stock;
  stock.SetData(data);
  return SelectObject(&stock);
}

CPen* CDC::GetCurrentPen() { return impl_->Wrap<CPen>(impl_->st.pen); }
CBrush* CDC::GetCurrentBrush() { return impl_->Wrap<CBrush>(impl_->st.brush); }
CFont* CDC::GetCurrentFont() { return impl_->Wrap<CFont>(impl_->st.font); }
CBitmap* CDC::GetCurrentBitmap() { return impl_->Wrap<CBitmap>(impl_->st.bitmap); }

// --- Attributes ---------------------------------------------------------------

COLORREF CDC::SetTextColor(COLORREF color) {
  COLORREF previous = impl_->st.text;
  impl_->st.text = color & 0xFFFFFF;
  return previous;
}
COLORREF CDC::GetTextColor() const { return impl_->st.text; }

COLORREF CDC::SetBkColor(COLORREF color) {
  COLORREF previous = impl_->st.bk;
  impl_->st.bk = color & 0xFFFFFF;
  return previous;
}
COLORREF CDC::GetBkColor() const { return impl_->st.bk; }

int CDC::SetBkMode(int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  int previous = impl_->st.bkMode;
  impl_->st.bkMode = mode;
  return previous;
}
int CDC::GetBkMode() const { return impl_->st.bkMode; }

int CDC::SetROP2(int mode) {
  if (mode < R2_BLACK || mode > R2_WHITE) return 0;
  int previous = impl_->st.rop2;
  impl_->st.rop2 = mode;
  return previous;
}
int CDC::GetROP2() const { return impl_->st.rop2; }

int CDC::SetStretchBltMode(int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int previous = impl_->st.stretch;
  impl_->st.stretch = mode;
  return previous;
}
int CDC::GetStretchBltMode() const { return impl_->st.stretch; }

int CDC::SetPolyFillMode(int mode) {
  if (mode != ALTERNATE && mode != WINDING) return 0;
  int previous = impl_->st.polyFill;
  impl_->st.polyFill = mode;
  return previous;
}
int CDC::GetPolyFillMode() const { return impl_->st.polyFill; }

UINT CDC::SetTextAlign(UINT align) {
  UINT previous = impl_->st.align;
  impl_->st.align = align;
  return previous;
}
UINT CDC::GetTextAlign() const { return impl_->st.align; }

CPoint CDC::SetViewportOrg(int x, int y) {
  CPoint previous = impl_->st.viewport;
  impl_->st.viewport = CPoint(x, y);
  return previous;
}

CPoint CDC::OffsetViewportOrg(int dx, int dy) {
  CPoint previous = impl_->st.viewport;
  impl_->st.viewport.Offset(dx, dy);
  return previous;
}

CPoint CDC::GetViewportOrg() const { return impl_->st.viewport; }

int CDC::SaveDC() {
  impl_->saved.push_back(impl_->st);
  return static_cast<int>(impl_->saved.size());
}

BOOL CDC::RestoreDC(int savedDC) {
  int count = static_cast<int>(impl_->saved.size());
  int level = savedDC < 0 ? count + 1 + savedDC : savedDC;
  if (level < 1 || level > count) return FALSE;
  impl_->st = impl_->saved[level - 1];
  impl_->saved.resize(level - 1);
  impl_->InvalidateClip();
  return TRUE;
}

// --- Clipping -----------------------------------------------------------------

int CDC::SelectClipRgn(CRgn* rgn) {
  if (rgn == nullptr) {
    impl_->st.hasClip = false;
    impl_->st.clip = Region();
  } else {
    if (!rgn->IsCreated()) return ERROR;
    impl_->st.hasClip = true;
    impl_->st.clip = rgn->GetRegion();
  }
  impl_->InvalidateClip();
  return impl_->ClipS().Kind();
}

int CDC::SelectClipRgn(CRgn* rgn, int mode) {
  if (mode == RGN_COPY) return SelectClipRgn(rgn);
  if (rgn == nullptr || !rgn->IsCreated() || mode < RGN_AND || mode > RGN_DIFF) return ERROR;
  impl_->st.clip = impl_->ClipBase().Combine(rgn->GetRegion(), mode);
  impl_->st.hasClip = true;
  impl_->InvalidateClip();
  return impl_->ClipS().Kind();
}

int CDC::IntersectClipRect(int left, int top, int right, int bottom) {
  CPoint vp = impl_->st.viewport;
  Region r = Region::FromRect(left + vp.x, top + vp.y, right + vp.x, bottom + vp.y);
  impl_->st.clip = impl_->ClipBase().Intersect(r);
  impl_->st.hasClip = true;
  impl_->InvalidateClip();
  return impl_->ClipS().Kind();
}

int CDC::IntersectClipRect(const RECT* rect) {
  if (rect == nullptr) return ERROR;
  return IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom);
}

int CDC::ExcludeClipRect(int left, int top, int right, int bottom) {
  CPoint vp = impl_->st.viewport;
  Region r = Region::FromRect(left + vp.x, top + vp.y, right + vp.x, bottom + vp.y);
  impl_->st.clip = impl_->ClipBase().Subtract(r);
  impl_->st.hasClip = true;
  impl_->InvalidateClip();
  return impl_->ClipS().Kind();
}

int CDC::ExcludeClipRect(const RECT* rect) {
  if (rect == nullptr) return ERROR;
  return ExcludeClipRect(rect->left, rect->top, rect->right, rect->bottom);
}

int CDC::GetClipBox(RECT* rect) const {
  const Region& clip = impl_->ClipS();
  CRect box = clip.Bounds();
  if (!clip.IsEmpty()) {
    CPoint off = impl_->Off();
    box.OffsetRect(-off.x, -off.y);
  }
  if (rect != nullptr) *rect = box;
  return clip.Kind();
}

BOOL CDC::PtVisible(int x, int y) const {
  CPoint off = impl_->Off();
  return impl_->ClipS().Contains(x + off.x, y + off.y);
}

BOOL CDC::RectVisible(const RECT* rect) const {
  if (rect == nullptr) return FALSE;
  CRect r(*rect);
  r.NormalizeRect();
  CPoint off = impl_->Off();
  r.OffsetRect(off.x, off.y);
  return impl_->ClipS().Intersects(r);
}


// --- Win32 functions on handles -----------------------------------------------

HDC CreateCompatibleDC(HDC dc) {
  auto* memory = new CDC();
  memory->CreateCompatibleDC(CDC::FromHandle(dc));
  std::lock_guard<std::mutex> lock(HeapDCsMutex());
  HeapDCs().insert(memory);
  return memory->GetSafeHdc();
}

BOOL DeleteDC(HDC dc) {
  CDC* object = CDC::FromHandle(dc);
  if (object == nullptr) return FALSE;
  bool onHeap;
  {
    std::lock_guard<std::mutex> lock(HeapDCsMutex());
    onHeap = HeapDCs().count(object) != 0;
  }
  if (onHeap) {
    delete object;  // the destructor leaves the set
    return TRUE;
  }
  return object->DeleteDC();
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  CDC* target = CDC::FromHandle(dc);
  std::shared_ptr<ObjectData> data = kiv::gdi::SharedFromHandle(object);
  if (target == nullptr || !data) return nullptr;
  // Through a short-lived wrapper; the DC keeps its own reference.
  CGdiObject wrapper;
  wrapper.SetData(data);
  CGdiObject* previous = target->SelectObject(&wrapper);
  if (data->kind == ObjectKind::kRgn) return object;
  return previous != nullptr ? previous->GetSafeHandle() : nullptr;
}

BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSrc, int ySrc, DWORD rop) {
  CDC* target = CDC::FromHandle(dc);
  if (target == nullptr) return FALSE;
  return target->BitBlt(x, y, width, height, CDC::FromHandle(source), xSrc, ySrc, rop);
}

BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSrc, int ySrc,
                int srcWidth, int srcHeight, DWORD rop) {
  CDC* target = CDC::FromHandle(dc);
  if (target == nullptr) return FALSE;
  return target->StretchBlt(x, y, width, height, CDC::FromHandle(source), xSrc, ySrc, srcWidth,
                            srcHeight, rop);
}

BOOL GetTextExtentPoint32(HDC dc, const char* text, int count, SIZE* size) {
  CDC* target = CDC::FromHandle(dc);
  if (target == nullptr || size == nullptr) return FALSE;
  *size = target->GetTextExtent(text, count);
  return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  CDC* target = CDC::FromHandle(dc);
  std::shared_ptr<ObjectData> data = kiv::gdi::SharedFromHandle(brush);
  if (target == nullptr || rect == nullptr || !data || data->kind != ObjectKind::kBrush) return 0;
  CBrush wrapper;
  wrapper.SetData(data);
  target->FillRect(rect, &wrapper);
  return 1;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  CDC* target = CDC::FromHandle(dc);
  if (target == nullptr) return FALSE;
  return target->DrawIcon(x, y, icon);
}

int GetObject(HGDIOBJ object, int size, void* buffer) {
  std::shared_ptr<ObjectData> data = kiv::gdi::SharedFromHandle(object);
  if (!data) return 0;
  switch (data->kind) {
    case ObjectKind::kBitmap: {
      if (buffer == nullptr) return sizeof(BITMAP);
      if (size < static_cast<int>(sizeof(BITMAP))) return 0;
      CBitmap w;
      w.SetData(data);
      return w.GetBitmap(static_cast<BITMAP*>(buffer));
    }
    case ObjectKind::kPen: {
      if (buffer == nullptr) return sizeof(LOGPEN);
      if (size < static_cast<int>(sizeof(LOGPEN))) return 0;
      CPen w;
      w.SetData(data);
      return w.GetLogPen(static_cast<LOGPEN*>(buffer));
    }
    case ObjectKind::kBrush: {
      if (buffer == nullptr) return sizeof(LOGBRUSH);
      if (size < static_cast<int>(sizeof(LOGBRUSH))) return 0;
      CBrush w;
      w.SetData(data);
      return w.GetLogBrush(static_cast<LOGBRUSH*>(buffer));
    }
    case ObjectKind::kFont: {
      if (buffer == nullptr) return sizeof(LOGFONT);
      if (size < static_cast<int>(sizeof(LOGFONT))) return 0;
      CFont w;
      w.SetData(data);
      return w.GetLogFont(static_cast<LOGFONT*>(buffer));
    }
    default:
      return 0;
  }
}
