// CBitmap: a bitmap whose pixels are a Surface (32-bit, opaque), and DIB
// sections.
//
// A bitmap is drawn on by selecting it into a memory DC; it is a blit source
// the same way. LoadBitmap finds the program's skin bitmaps by resource id in
// the resource table installed with SetResourceTable (Resources.h) and fails
// for an id the table lacks.
//
// DIB sections (CreateDIBSection) keep the program's own pixel memory in the
// format it asked for (1, 4, 8, 24 or 32 bits, bottom-up or top-down, with a
// colour table). The layer converts that memory into the bitmap's Surface each
// time the bitmap is selected into a DC or used as a blit source, so writes
// through the bits pointer show at the next draw. Drawing INTO a DC holding a
// DIB section changes the Surface, not the program's memory.
#pragma once

#include "platform/gdi/GdiObject.h"

namespace kiv {
namespace gdi {
class Surface;
}
}  // namespace kiv

class CBitmap : public CGdiObject {
 public:
  CBitmap() = default;

  // A colour bitmap of the given size, black. The DC only says "compatible
  // with what": every bitmap of the layer is 32-bit colour.
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
  // planes must be 1; bitsPerPixel 1 (rows padded to 16 bits, 0 black,
  // 1 white), 24 or 32 (BGR(A) rows padded to 16 bits), bits may be null.
  BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
  // The bitmap with this resource id; FALSE when there is none.
  BOOL LoadBitmap(UINT resourceId);

  // bmWidth, bmHeight, 32 bits per pixel; 0 when not created.
  int GetBitmap(BITMAP* info) const;
  CSize GetSize() const;
  operator HBITMAP() const;  // NOLINT

  // The layer's side: the pixels (null when not created).
  kiv::gdi::Surface* GetSurface() const;
};

// A DIB section: *bits receives the pixel memory (owned by the bitmap; valid
// until the bitmap is deleted). Supports BI_RGB with 1, 4, 8, 24 and 32 bits
// per pixel and DIB_RGB_COLORS. The colour table is copied at creation.
// Returns null (and *bits null) when the header is unsupported. The handle
// belongs to the handle table until ::DeleteObject or CBitmap::Attach.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                         HANDLE section, DWORD offset);
