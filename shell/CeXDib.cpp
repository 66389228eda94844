// The DIB image: its buffer, palette, pixels and its one blit.
#include "shell/CeXDib.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/sys/ByteOrder.h"

namespace {

// The bitmap header at the start of the buffer, little-endian as the
// bitmap format lays it out.
constexpr size_t kDibHeaderSize = 40;
constexpr size_t kDibOffWidth = 4;
constexpr size_t kDibOffHeight = 8;
constexpr size_t kDibOffPlanes = 12;
constexpr size_t kDibOffBitCount = 14;
constexpr size_t kDibOffCompression = 16;
constexpr size_t kDibOffSizeImage = 20;
constexpr size_t kDibOffXPels = 24;
constexpr size_t kDibOffYPels = 28;
constexpr size_t kDibOffClrUsed = 32;
constexpr size_t kDibOffClrImportant = 36;
static_assert(kDibOffClrImportant + 4 == kDibHeaderSize, "the header is 40 bytes");
static_assert(sizeof(BITMAPINFOHEADER) == kDibHeaderSize, "the layer's header has the same size");

void StoreDibHeader(BYTE* to, const BITMAPINFOHEADER& h) {
  kiv::StoreLe32(to, h.biSize);
  kiv::StoreLe32(to + kDibOffWidth, static_cast<uint32_t>(h.biWidth));
  kiv::StoreLe32(to + kDibOffHeight, static_cast<uint32_t>(h.biHeight));
  kiv::StoreLe16(to + kDibOffPlanes, h.biPlanes);
  kiv::StoreLe16(to + kDibOffBitCount, h.biBitCount);
  kiv::StoreLe32(to + kDibOffCompression, h.biCompression);
  kiv::StoreLe32(to + kDibOffSizeImage, h.biSizeImage);
  kiv::StoreLe32(to + kDibOffXPels, static_cast<uint32_t>(h.biXPelsPerMeter));
  kiv::StoreLe32(to + kDibOffYPels, static_cast<uint32_t>(h.biYPelsPerMeter));
  kiv::StoreLe32(to + kDibOffClrUsed, h.biClrUsed);
  kiv::StoreLe32(to + kDibOffClrImportant, h.biClrImportant);
}

// An empty image's header: every field 0.
BITMAPINFOHEADER ZeroDibHeader() {
  BITMAPINFOHEADER h;
  h.biSize = 0;
  h.biPlanes = 0;
  h.biCompression = 0;
  return h;
}

WORD DibPaletteEntries(WORD bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

// What CreateDIBSection reads: the header and up to 256 colours after it.
struct DibSectionInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

}  // namespace

CCeXDib::CCeXDib() : header_(ZeroDibHeader()) {}

CCeXDib::~CCeXDib() { Clear(); }

void CCeXDib::Clear() {
  memory_.reset();
  section_.DeleteObject();
  sectionBits_ = nullptr;
  buffer_.reset();
  header_ = ZeroDibHeader();
  lineWidth_ = 0;
  paletteEntries_ = 0;
}

BYTE* CCeXDib::Create(int width, int height, WORD bitsPerPixel) {
  Clear();
  // Checked in 64 bits before anything is sized, so no product wraps.
  if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide || bitsPerPixel < 1 || bitsPerPixel > 32) {
    return nullptr;
  }
  uint64_t lineWidth = ((static_cast<uint64_t>(bitsPerPixel) * static_cast<uint64_t>(width) + 31) / 32) * 4;
  uint64_t imageSize = lineWidth * static_cast<uint64_t>(height);
  WORD entries = DibPaletteEntries(bitsPerPixel);
  uint64_t total = kDibHeaderSize + entries * 4ull + imageSize;
  if (total > kMaxTotalSize) return nullptr;

  // Zeroed, so an image drawn before it is filled shows palette entry 0.
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[static_cast<size_t>(total)]());
  if (!buffer) return nullptr;
  BITMAPINFOHEADER h;  // size 40, one plane, uncompressed, the rest 0
  h.biWidth = width;
  h.biHeight = height;
  h.biBitCount = bitsPerPixel;
  h.biSizeImage = static_cast<DWORD>(imageSize);
  StoreDibHeader(buffer.get(), h);
  buffer_ = std::move(buffer);
  header_ = h;
  lineWidth_ = static_cast<DWORD>(lineWidth);
  paletteEntries_ = entries;
  return buffer_.get();
}

BYTE* CCeXDib::Palette() const { return buffer_ ? buffer_.get() + kDibHeaderSize : nullptr; }

BYTE* CCeXDib::GetBits() const { return buffer_ ? buffer_.get() + kDibHeaderSize + GetPaletteSize() : nullptr; }

DWORD CCeXDib::GetSize() const {
  return buffer_ ? static_cast<DWORD>(kDibHeaderSize) + GetPaletteSize() + header_.biSizeImage : 0;
}

void CCeXDib::SetPaletteIndex(BYTE index, BYTE red, BYTE green, BYTE blue) {
  if (!buffer_ || index >= paletteEntries_) return;
  BYTE* entry = Palette() + index * 4u;
  entry[0] = blue;
  entry[1] = green;
  entry[2] = red;
  entry[3] = 0;
}

void CCeXDib::SetPixelIndex(int x, int y, BYTE value) {
  if (!buffer_ || paletteEntries_ == 0 || x < 0 || x >= header_.biWidth || y < 0 || y >= header_.biHeight) return;
  BYTE* row = GetBits() + static_cast<size_t>(header_.biHeight - y - 1) * lineWidth_;
  if (header_.biBitCount == 8) {
    row[x] = value;
    return;
  }
  // A 1- or 4-bit image packs several pixels into a byte, leftmost in the
  // high bits: the pixel's own bits take the index, the others stay.
  int depth = header_.biBitCount;
  int perByte = 8 / depth;
  int shift = (perByte - 1 - x % perByte) * depth;
  auto mask = static_cast<BYTE>(((1 << depth) - 1) << shift);
  BYTE& byte = row[x / perByte];
  byte = static_cast<BYTE>((byte & ~mask) | ((value << shift) & mask));
}

void CCeXDib::Fill(BYTE value) {
  if (!buffer_) return;
  std::memset(GetBits(), value, header_.biSizeImage);
}

void CCeXDib::BlendPalette(COLORREF color, long percent) {
  if (!buffer_ || paletteEntries_ == 0) return;
  // Above 100 acts as 100; below 0, as 0 (a channel never leaves 0..255).
  long share = std::clamp(percent, 0L, 100L);
  const long target[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
  BYTE* palette = Palette();
  for (WORD i = 0; i < paletteEntries_; ++i) {
    BYTE* entry = palette + i * 4u;
    for (int c = 0; c < 3; ++c) entry[c] = static_cast<BYTE>((entry[c] * (100 - share) + target[c] * share) / 100);
  }
}

void CCeXDib::Draw(HDC dc, int x, int y) {
  if (!buffer_ || !dc) return;
  if (!section_.GetSafeHandle()) {
    // The section takes the size and palette the image has now; later
    // Draws copy only the pixels into it.
    DibSectionInfo info{};
    info.header = header_;
    const BYTE* palette = Palette();
    for (WORD i = 0; i < paletteEntries_; ++i) {
      const BYTE* entry = palette + i * 4u;
      info.colors[i] = RGBQUAD{entry[0], entry[1], entry[2], 0};
    }
    void* bits = nullptr;
    HBITMAP handle = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                      nullptr, 0);
    if (!handle) return;
    if (!bits) {
      ::DeleteObject(handle);
      return;
    }
    section_.Attach(handle);
    sectionBits_ = static_cast<BYTE*>(bits);
  }
  std::memcpy(sectionBits_, GetBits(), header_.biSizeImage);
  if (!memory_) {
    memory_ = std::make_unique<CDC>();
    memory_->CreateCompatibleDC(CDC::FromHandle(dc));
  }
  CBitmap* previous = memory_->SelectObject(&section_);
  ::BitBlt(dc, x, y, header_.biWidth, header_.biHeight, memory_->GetSafeHdc(), 0, 0, SRCCOPY);
  memory_->SelectObject(previous);
}
