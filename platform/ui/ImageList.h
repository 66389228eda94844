// CImageList: a row of same-sized images, drawn one at a time. Images come
// from bitmaps cut into cx-wide pieces; a list made with ILC_MASK makes the
// pixels of the mask colour given to Add transparent, so Draw leaves what
// lies beneath them (the list's background is "none": every draw style
// draws transparently). Without ILC_MASK the images are opaque.
//
// Ownership: the object owns its images; the handle (GetSafeHandle) names
// them while the object lives and until DeleteImageList. One thread (the UI
// thread) uses a list.
#pragma once

#include <memory>
#include <vector>

#include "platform/gdi/DC.h"

namespace kiv {
namespace gdi {
class Surface;
}  // namespace gdi
}  // namespace kiv

struct HIMAGELIST__;
typedef HIMAGELIST__* HIMAGELIST;

// Create flags: colour depths (every list keeps 32-bit colour) and the mask.
constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR = 0x0000;
constexpr UINT ILC_COLORDDB = 0x00FE;
constexpr UINT ILC_COLOR4 = 0x0004;
constexpr UINT ILC_COLOR8 = 0x0008;
constexpr UINT ILC_COLOR16 = 0x0010;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;
// Draw styles.
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;

class CImageList {
 public:
  // The largest image side a list takes.
  static constexpr int kMaxImageSide = 4096;

  CImageList();
  ~CImageList();
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  // An empty list of cx x cy images; FALSE when the list exists already or
  // a side is outside 1..kMaxImageSide. initial and grow are accepted and
  // not needed.
  BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
  BOOL DeleteImageList();
  HIMAGELIST GetSafeHandle() const;
  operator HIMAGELIST() const { return GetSafeHandle(); }  // NOLINT: implicit like the familiar class

  // Adds the bitmap's cx-wide pieces, left to right (a bitmap narrower than
  // cx gives none), their top cy rows; pixels of `mask` become transparent
  // in a list made with ILC_MASK. The index of the first image added, or -1.
  int Add(CBitmap* bitmap, COLORREF mask);
  int GetImageCount() const;
  // The image size; FALSE (and 0 x 0) for a list not created.
  BOOL GetIconSize(int* cx, int* cy) const;
  // Draws image `index` at logical p, its own size. FALSE for an index the
  // list does not hold.
  BOOL Draw(CDC* dc, int index, POINT p, UINT style);

 private:
  struct Data;
  std::unique_ptr<Data> data_;
};

// The same on a handle.
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
