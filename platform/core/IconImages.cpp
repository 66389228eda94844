// Icons at a requested size (LoadImage) and what an icon is made of
// (GetIconInfo).
#include <cstring>

#include "platform/core/WinUser.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/IconRecord.h"
#include "platform/gdi/Surface.h"

namespace {

UINT NumberedImage(LPCSTR name) {
  auto value = reinterpret_cast<uintptr_t>(name);
  return value <= 0xFFFF ? static_cast<UINT>(value) : 0;
}

// A new bitmap in the handle table, its pixels made by paint(out pixel row
// by row): the caller of GetIconInfo deletes it.
template <class Paint>
HBITMAP NewIconBitmap(int width, int height, Paint paint) {
  CBitmap bitmap;
  if (!bitmap.CreateCompatibleBitmap(nullptr, width, height)) return nullptr;
  kiv::gdi::Surface* surface = bitmap.GetSurface();
  uint8_t* pixels = surface->Pixels();
  for (int y = 0; y < height; ++y) paint(y, reinterpret_cast<uint32_t*>(pixels + static_cast<size_t>(y) * surface->Stride()));
  surface->MarkDirty();
  return static_cast<HBITMAP>(bitmap.Detach());
}

}  // namespace

HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int cx, int cy, UINT) {
  const UINT id = NumberedImage(name);
  if (id == 0 || type != IMAGE_ICON || cx < 0 || cy < 0) return nullptr;
  if (cx == 0) cx = kiv::gdi::kIconSize;
  if (cy == 0) cy = kiv::gdi::kIconSize;
  return kiv::gdi::ResourceIconHandle(id, cx, cy);
}

BOOL GetIconInfo(HICON icon, PICONINFO info) {
  const kiv::gdi::IconRecord* record = kiv::gdi::IconRecordOf(icon);
  if (!record || !info) return FALSE;
  *info = ICONINFO();
  info->fIcon = record->icon ? TRUE : FALSE;
  info->xHotspot = static_cast<DWORD>(record->hotSpot.x);
  info->yHotspot = static_cast<DWORD>(record->hotSpot.y);
  if (!record->image) return TRUE;
  const kiv::gdi::Surface& image = *record->image;
  const uint8_t* pixels = image.Pixels();
  const int stride = image.Stride();
  auto source = [&](int y) { return reinterpret_cast<const uint32_t*>(pixels + static_cast<size_t>(y) * stride); };
  // The picture is premultiplied: its colours over black are its channels.
  info->hbmColor = NewIconBitmap(image.Width(), image.Height(), [&](int y, uint32_t* out) {
    const uint32_t* in = source(y);
    for (int x = 0; x < image.Width(); ++x) out[x] = 0xFF000000u | (in[x] & 0x00FFFFFFu);
  });
  info->hbmMask = NewIconBitmap(image.Width(), image.Height(), [&](int y, uint32_t* out) {
    const uint32_t* in = source(y);
    for (int x = 0; x < image.Width(); ++x) out[x] = (in[x] >> 24) == 0 ? 0xFFFFFFFFu : 0xFF000000u;
  });
  return TRUE;
}
