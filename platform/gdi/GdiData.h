// The data behind GDI handles (internal to platform/gdi).
//
// A handle is a pointer to one of these; the objects are held by
// shared_ptr (CGdiObject, the DCs that select them, the handle table).
// `owner` is the C++ object that made or adopted the data, so that a DC can
// hand the program's own object back from SelectObject; it is cleared when
// that object lets go.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Region.h"

class CGdiObject;

namespace kiv {
namespace gdi {

class Surface;
class FontFace;

enum class ObjectKind { kPen, kBrush, kFont, kBitmap, kRgn };

struct ObjectData : std::enable_shared_from_this<ObjectData> {
  explicit ObjectData(ObjectKind k) : kind(k) {}
  virtual ~ObjectData() = default;
  const ObjectKind kind;
  CGdiObject* owner = nullptr;
  bool stock = false;
};

struct PenData : ObjectData {
  PenData() : ObjectData(ObjectKind::kPen) {}
  int style = PS_SOLID;
  int width = 1;  // 0 is stored as 1
  COLORREF color = 0;
};

struct BrushData : ObjectData {
  BrushData() : ObjectData(ObjectKind::kBrush) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
  std::shared_ptr<Surface> pattern;  // BS_PATTERN: a private copy
};

struct FontData : ObjectData {
  FontData();
  ~FontData() override;
  LOGFONT logFont;
  // Made on first use; stock fonts are shared between threads.
  const FontFace& Face();

 private:
  std::once_flag faceOnce_;
  std::unique_ptr<FontFace> face_;
};

// The program's pixel memory of a DIB section, converted into the bitmap's
// Surface on demand.
struct DibMemory {
  int width = 0;
  int height = 0;  // rows, always positive
  bool topDown = false;
  int bitCount = 0;
  int stride = 0;
  std::vector<RGBQUAD> colors;
  std::vector<uint8_t> bits;
};

struct BitmapData : ObjectData {
  BitmapData() : ObjectData(ObjectKind::kBitmap) {}
  std::shared_ptr<Surface> surface;
  std::unique_ptr<DibMemory> dib;
  UINT resourceId = 0;  // the resource it was loaded from (for the drawing log); 0 otherwise
  // Brings the surface up to date with the DIB memory (no-op otherwise).
  void SyncFromDib();
};

struct RgnData : ObjectData {
  RgnData() : ObjectData(ObjectKind::kRgn) {}
  Region region;
};

// The object a handle names. Every data type derives from ObjectData alone,
// so ObjectData sits at the start of it and a typed handle (HBITMAP, ...)
// converted to HGDIOBJ points at its ObjectData.
inline ObjectData* FromHandle(HGDIOBJ handle) { return static_cast<ObjectData*>(handle); }
// A shared reference to the object a handle names (null for null).
std::shared_ptr<ObjectData> SharedFromHandle(HGDIOBJ handle);
template <typename T>
std::shared_ptr<T> SharedAs(HGDIOBJ handle) {
  return std::static_pointer_cast<T>(SharedFromHandle(handle));
}

// Handle table: keeps objects alive that no C++ object holds.
void KeepInHandleTable(std::shared_ptr<ObjectData> data);
std::shared_ptr<ObjectData> TakeFromHandleTable(HGDIOBJ handle);

// The stock object of an index (GetStockObject), or null.
std::shared_ptr<ObjectData> StockObject(int index);
// The 1 x 1 bitmap a fresh memory DC holds.
std::shared_ptr<BitmapData> StockBitmap();

}  // namespace gdi
}  // namespace kiv
