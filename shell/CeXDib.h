// CCeXDib: a small in-memory device-independent bitmap, the rich tooltip's
// pattern backgrounds. One buffer holds the 40-byte bitmap header, the
// palette (4 bytes an entry: blue, green, red, 0) and the pixel rows, bottom
// row first; Draw shows it on a device context through a DIB section made
// at the first Draw and kept, with its memory DC, until Clear.
//
// Sizes are bounded: Create refuses a width or height outside 1..32768, a
// depth of 0 or above 32 bits, and an image whose buffer would pass 256 MB,
// so no row length or size can wrap.
//
// Ownership: the object owns its buffer, DIB section and memory DC. It is
// not thread-safe: one thread (the UI thread, for the tooltip) uses it.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gdi/DC.h"

class CCeXDib {
 public:
  static constexpr int kMaxSide = 32768;
  static constexpr uint32_t kMaxTotalSize = 256u * 1024 * 1024;

  CCeXDib();
  ~CCeXDib();
  CCeXDib(const CCeXDib&) = delete;
  CCeXDib& operator=(const CCeXDib&) = delete;

  // A new image of this size and depth (palette and pixels zero); the
  // buffer, or null when the size is refused or the memory is not there,
  // which leaves the image empty.
  BYTE* Create(int width, int height, WORD bitsPerPixel);
  // Frees the buffer, the DIB section and the memory DC; the image is empty.
  void Clear();

  DWORD GetPaletteSize() const { return paletteEntries_ * 4u; }
  // The first byte of the pixel rows (the bottom row), or null when empty.
  BYTE* GetBits() const;
  int GetWidth() const { return static_cast<int>(header_.biWidth); }
  int GetHeight() const { return static_cast<int>(header_.biHeight); }
  DWORD GetLineWidth() const { return lineWidth_; }
  // Header, palette and pixels, in bytes; 0 when empty.
  DWORD GetSize() const;

  // Palette entry `index` (ignored past the palette's end).
  void SetPaletteIndex(BYTE index, BYTE red, BYTE green, BYTE blue);
  // The palette index of pixel (x, y), y counted from the top row; ignored
  // outside the image or without a palette.
  void SetPixelIndex(int x, int y, BYTE value);
  // Every pixel byte.
  void Fill(BYTE value);
  // Moves every palette entry `percent` (0..100) of the way to `color`.
  void BlendPalette(COLORREF color, long percent);
  // Copies the image to (x, y) of dc, its own size, as it is now; draws
  // nothing when empty or when the DIB section cannot be made.
  void Draw(HDC dc, int x, int y);

 private:
  BYTE* Palette() const;

  std::unique_ptr<BYTE[]> buffer_;
  BITMAPINFOHEADER header_;
  DWORD lineWidth_ = 0;
  WORD paletteEntries_ = 0;
  CBitmap section_;
  BYTE* sectionBits_ = nullptr;
  std::unique_ptr<CDC> memory_;
};
