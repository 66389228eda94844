#include "platform/gdi/Bitmap.h"

#include <atomic>
#include <cstring>

#include "platform/gdi/GdiData.h"
#include "platform/gdi/Resources.h"
#include "platform/gdi/Surface.h"

namespace kiv {
namespace gdi {

namespace {

std::shared_ptr<BitmapData> MakeBitmap(std::shared_ptr<Surface> surface) {
  auto bitmap = std::make_shared<BitmapData>();
  bitmap->surface = std::move(surface);
  return bitmap;
}

inline uint32_t Opaque(BYTE r, BYTE g, BYTE b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
}

const ResourceTable*& InstalledTable() {
  static const ResourceTable* table = nullptr;
  return table;
}

std::atomic<unsigned>& TableGeneration() {
  static std::atomic<unsigned> generation{0};
  return generation;
}

}  // namespace

void BitmapData::SyncFromDib() {
  if (!dib || !surface) return;
  const DibMemory& d = *dib;
  uint8_t* out = surface->Pixels();
  int outStride = surface->Stride();
  for (int y = 0; y < d.height; ++y) {
    int srcRow = d.topDown ? y : d.height - 1 - y;
    const uint8_t* in = d.bits.data() + static_cast<size_t>(srcRow) * d.stride;
    auto* row = reinterpret_cast<uint32_t*>(out + static_cast<size_t>(y) * outStride);
    for (int x = 0; x < d.width; ++x) {
      uint32_t p = 0xFF000000u;
      switch (d.bitCount) {
        case 1:
        case 4:
        case 8: {
          int bitOffset = x * d.bitCount;
          int index = (in[bitOffset / 8] >> (8 - d.bitCount - bitOffset % 8)) & ((1 << d.bitCount) - 1);
          if (index < static_cast<int>(d.colors.size())) {
            const RGBQUAD& q = d.colors[index];
            p = Opaque(q.rgbRed, q.rgbGreen, q.rgbBlue);
          }
          break;
        }
        case 24:
          p = Opaque(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
          break;
        case 32:
          p = Opaque(in[4 * x + 2], in[4 * x + 1], in[4 * x]);
          break;
        default:
          break;
      }
      row[x] = p;
    }
  }
  surface->MarkDirty();
}

void SetResourceTable(const ResourceTable* table) {
  InstalledTable() = table;
  ++TableGeneration();
}
const ResourceTable* GetResourceTable() { return InstalledTable(); }
unsigned ResourceTableGeneration() { return TableGeneration(); }

bool ResourceTable::BitmapSize(UINT id, SIZE* size) const {
  std::shared_ptr<Surface> image = LoadBitmap(id);
  if (!image) return false;
  if (size != nullptr) *size = SIZE{image->Width(), image->Height()};
  return true;
}

SIZE ResourceBitmapSize(UINT id) {
  SIZE size{0, 0};
  const ResourceTable* table = InstalledTable();
  if (table == nullptr || !table->BitmapSize(id, &size)) return SIZE{0, 0};
  return size;
}

}  // namespace gdi
}  // namespace kiv

using kiv::gdi::BitmapData;
using kiv::gdi::Surface;

BOOL CBitmap::CreateCompatibleBitmap(CDC* /*dc*/, int width, int height) {
  if (width < 0 || height < 0) return FALSE;
  SetData(kiv::gdi::MakeBitmap(std::make_shared<Surface>(width, height)));
  return TRUE;
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width < 0 || height < 0 || planes != 1) return FALSE;
  if (bitsPerPixel != 1 && bitsPerPixel != 24 && bitsPerPixel != 32) return FALSE;
  auto surface = std::make_shared<Surface>(width, height);
  if (bits != nullptr) {
    // Device-dependent bitmap rows are padded to 16 bits, top row first.
    int stride = ((width * static_cast<int>(bitsPerPixel) + 15) / 16) * 2;
    const auto* in = static_cast<const uint8_t*>(bits);
    uint8_t* out = surface->Pixels();
    for (int y = 0; y < height; ++y) {
      const uint8_t* src = in + static_cast<size_t>(y) * stride;
      auto* row = reinterpret_cast<uint32_t*>(out + static_cast<size_t>(y) * surface->Stride());
      for (int x = 0; x < width; ++x) {
        if (bitsPerPixel == 1) {
          bool white = (src[x / 8] >> (7 - x % 8)) & 1;
          row[x] = white ? 0xFFFFFFFFu : 0xFF000000u;
        } else {
          int n = static_cast<int>(bitsPerPixel) / 8;
          row[x] = kiv::gdi::Opaque(src[n * x + 2], src[n * x + 1], src[n * x]);
        }
      }
    }
    surface->MarkDirty();
  }
  SetData(kiv::gdi::MakeBitmap(std::move(surface)));
  return TRUE;
}

BOOL CBitmap::LoadBitmap(UINT resourceId) {
  const kiv::gdi::ResourceTable* table = kiv::gdi::GetResourceTable();
  if (table == nullptr) return FALSE;
  std::shared_ptr<Surface> surface = table->LoadBitmap(resourceId);
  if (!surface) return FALSE;
  std::shared_ptr<BitmapData> data = kiv::gdi::MakeBitmap(std::move(surface));
  data->resourceId = resourceId;
  SetData(std::move(data));
  return TRUE;
}

int CBitmap::GetBitmap(BITMAP* info) const {
  Surface* surface = GetSurface();
  if (surface == nullptr || info == nullptr) return 0;
  *info = BITMAP();
  info->bmWidth = surface->Width();
  info->bmHeight = surface->Height();
  info->bmWidthBytes = surface->Width() * 4;
  info->bmPlanes = 1;
  info->bmBitsPixel = 32;
  auto* data = static_cast<BitmapData*>(GetSafeHandle());
  if (data->dib) {
    info->bmBitsPixel = static_cast<WORD>(data->dib->bitCount);
    info->bmWidthBytes = data->dib->stride;
    info->bmBits = data->dib->bits.data();
  }
  return sizeof(BITMAP);
}

CSize CBitmap::GetSize() const {
  Surface* surface = GetSurface();
  return surface == nullptr ? CSize() : surface->Size();
}

CBitmap::operator HBITMAP() const { return static_cast<HBITMAP>(GetSafeHandle()); }

Surface* CBitmap::GetSurface() const {
  auto* data = static_cast<BitmapData*>(GetSafeHandle());
  return data == nullptr ? nullptr : data->surface.get();
}

HBITMAP CreateDIBSection(HDC /*dc*/, const BITMAPINFO* info, UINT usage, void** bits,
                         HANDLE /*section*/, DWORD /*offset*/) {
  if (bits != nullptr) *bits = nullptr;
  if (info == nullptr || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  int depth = h.biBitCount;
  if (h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0 ||
      (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)) {
    return nullptr;
  }
  auto dib = std::make_unique<kiv::gdi::DibMemory>();
  dib->width = h.biWidth;
  dib->height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  dib->topDown = h.biHeight < 0;
  dib->bitCount = depth;
  dib->stride = ((depth * dib->width + 31) / 32) * 4;
  if (depth <= 8) {
    int entries = 1 << depth;
    if (h.biClrUsed != 0 && static_cast<int>(h.biClrUsed) < entries) entries = static_cast<int>(h.biClrUsed);
    dib->colors.assign(info->bmiColors, info->bmiColors + entries);
  }
  dib->bits.assign(static_cast<size_t>(dib->stride) * dib->height, 0);
  auto bitmap = kiv::gdi::MakeBitmap(std::make_shared<Surface>(dib->width, dib->height));
  if (bits != nullptr) *bits = dib->bits.data();
  bitmap->dib = std::move(dib);
  bitmap->SyncFromDib();
  HBITMAP handle = bitmap.get();
  kiv::gdi::KeepInHandleTable(std::move(bitmap));
  return handle;
}
