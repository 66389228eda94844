// CRgn: the program's region object, a kiv::gdi::Region (Region.h) behind a
// GDI handle. Regions are pixel sets; coordinates are those of the caller
// (client coordinates for clipping).
#pragma once

#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Region.h"

class CRgn : public CGdiObject {
 public:
  CRgn() = default;

  BOOL CreateRectRgn(int left, int top, int right, int bottom);
  BOOL CreateRectRgnIndirect(const RECT* rect);
  BOOL CreateEllipticRgn(int left, int top, int right, int bottom);
  BOOL CreateEllipticRgnIndirect(const RECT* rect);
  BOOL CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseW, int ellipseH);
  // fillMode ALTERNATE or WINDING.
  BOOL CreatePolygonRgn(const POINT* points, int count, int fillMode);
  // A region made by the layer (window system, tests).
  BOOL CreateFromRegion(const kiv::gdi::Region& region);

  // This region becomes a OP b (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF; RGN_COPY
  // copies a). Returns NULLREGION, SIMPLEREGION, COMPLEXREGION or ERROR
  // (unknown mode, or an operand not created). Creates this region when it
  // was not created yet.
  int CombineRgn(const CRgn* a, const CRgn* b, int mode);
  int CopyRgn(const CRgn* source);
  void SetRectRgn(int left, int top, int right, int bottom);
  void SetRectRgn(const RECT* rect);
  int OffsetRgn(int dx, int dy);
  int OffsetRgn(POINT offset);
  BOOL PtInRegion(int x, int y) const;
  BOOL PtInRegion(POINT point) const;
  BOOL RectInRegion(const RECT* rect) const;
  // The bounding box; returns the region kind (ERROR when not created).
  int GetRgnBox(RECT* box) const;
  BOOL EqualRgn(const CRgn* other) const;

  operator HRGN() const;  // NOLINT
  // The pixel set (empty when not created).
  const kiv::gdi::Region& GetRegion() const;
  // Replaces the pixel set, creating the object when needed.
  void SetRegion(const kiv::gdi::Region& region);
};

namespace kiv {
namespace gdi {

// For the window system: the pixel set behind a region handle (empty for a
// null handle), and replacing it (GetWindowRgn).
Region RegionOf(HRGN handle);
void SetRegionOf(HRGN handle, const Region& region);

}  // namespace gdi
}  // namespace kiv
