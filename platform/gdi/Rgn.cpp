#include "platform/gdi/Rgn.h"

#include "platform/gdi/GdiData.h"

using kiv::gdi::Region;
using kiv::gdi::RgnData;

namespace {

RgnData* DataOf(const CRgn* rgn) {
  return rgn == nullptr ? nullptr : static_cast<RgnData*>(rgn->GetSafeHandle());
}

}  // namespace

BOOL CRgn::CreateFromRegion(const Region& region) {
  auto data = std::make_shared<RgnData>();
  data->region = region;
  SetData(std::move(data));
  return TRUE;
}

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
  CRect r(left, top, right, bottom);
  r.NormalizeRect();
  return CreateFromRegion(Region(r));
}

BOOL CRgn::CreateRectRgnIndirect(const RECT* rect) {
  if (rect == nullptr) return FALSE;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CRgn::CreateEllipticRgn(int left, int top, int right, int bottom) {
  return CreateFromRegion(Region::Ellipse(RECT{left, top, right, bottom}));
}

BOOL CRgn::CreateEllipticRgnIndirect(const RECT* rect) {
  if (rect == nullptr) return FALSE;
  return CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CRgn::CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseW, int ellipseH) {
  return CreateFromRegion(Region::RoundRect(RECT{left, top, right, bottom}, ellipseW, ellipseH));
}

BOOL CRgn::CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  if (points == nullptr || count < 0) return FALSE;
  return CreateFromRegion(Region::Polygon(points, count, fillMode));
}

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode) {
  if (mode < RGN_AND || mode > RGN_COPY) return ERROR;
  RgnData* da = DataOf(a);
  RgnData* db = DataOf(b);
  if (da == nullptr || (mode != RGN_COPY && db == nullptr)) return ERROR;
  Region result = mode == RGN_COPY ? da->region : da->region.Combine(db->region, mode);
  SetRegion(result);
  return result.Kind();
}

int CRgn::CopyRgn(const CRgn* source) { return CombineRgn(source, nullptr, RGN_COPY); }

void CRgn::SetRectRgn(int left, int top, int right, int bottom) {
  CRect r(left, top, right, bottom);
  r.NormalizeRect();
  SetRegion(Region(r));
}

void CRgn::SetRectRgn(const RECT* rect) {
  if (rect != nullptr) SetRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

int CRgn::OffsetRgn(int dx, int dy) {
  RgnData* d = DataOf(this);
  if (d == nullptr) return ERROR;
  d->region.Offset(dx, dy);
  return d->region.Kind();
}

int CRgn::OffsetRgn(POINT offset) { return OffsetRgn(offset.x, offset.y); }

BOOL CRgn::PtInRegion(int x, int y) const {
  RgnData* d = DataOf(this);
  return d != nullptr && d->region.Contains(x, y);
}

BOOL CRgn::PtInRegion(POINT point) const { return PtInRegion(point.x, point.y); }

BOOL CRgn::RectInRegion(const RECT* rect) const {
  RgnData* d = DataOf(this);
  return d != nullptr && rect != nullptr && d->region.Intersects(*rect);
}

int CRgn::GetRgnBox(RECT* box) const {
  RgnData* d = DataOf(this);
  if (d == nullptr) return ERROR;
  if (box != nullptr) *box = d->region.Bounds();
  return d->region.Kind();
}

BOOL CRgn::EqualRgn(const CRgn* other) const {
  RgnData* a = DataOf(this);
  RgnData* b = DataOf(other);
  return a != nullptr && b != nullptr && a->region == b->region;
}

CRgn::operator HRGN() const { return static_cast<HRGN>(GetSafeHandle()); }

const Region& CRgn::GetRegion() const {
  static const Region kEmpty;
  RgnData* d = DataOf(this);
  return d == nullptr ? kEmpty : d->region;
}

void CRgn::SetRegion(const Region& region) {
  RgnData* d = DataOf(this);
  if (d == nullptr) {
    CreateFromRegion(region);
  } else {
    d->region = region;
  }
}

namespace kiv {
namespace gdi {

Region RegionOf(HRGN handle) { return handle == nullptr ? Region() : handle->region; }

void SetRegionOf(HRGN handle, const Region& region) {
  if (handle != nullptr) handle->region = region;
}

}  // namespace gdi
}  // namespace kiv
