// Bitmaps between DCs: blits, stretching, pattern brushes, DIB sections and
// bitmaps loaded by resource id.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <string>

#include "tests/platform/gdi/GdiTestSupport.h"
#include "tests/support/TestSupport.h"

namespace kiv {
namespace gdi {
namespace {

using test::Canvas;
using test::kBlack;
using test::kBlue;
using test::kGreen;
using test::kRed;
using test::kWhite;

// A 4 x 2 source: top row red, green, blue, white; bottom row black.
void PaintSource(Canvas* source) {
  const COLORREF top[] = {kRed, kGreen, kBlue, kWhite};
  for (int x = 0; x < 4; ++x) {
    source->dc.SetPixel(x, 0, top[x]);
    source->dc.SetPixel(x, 1, kBlack);
  }
}

TEST(BlitTest, BitBltCopiesTheSourceRectangleToTheDestination) {
  Canvas source(4, 2), target(10, 10);
  PaintSource(&source);
  EXPECT_TRUE(target.dc.BitBlt(5, 6, 3, 2, &source.dc, 1, 0, SRCCOPY));
  EXPECT_EQ(target.At(5, 6), kGreen);
  EXPECT_EQ(target.At(7, 6), kWhite);
  EXPECT_EQ(target.At(6, 7), kBlack);
  EXPECT_EQ(target.Changed(kWhite), CRect(5, 6, 8, 8));
}

TEST(BlitTest, BitBltHonoursTheDestinationClipAndViewport) {
  Canvas source(4, 2), target(10, 10);
  PaintSource(&source);
  target.dc.SetViewportOrg(2, 2);
  target.dc.IntersectClipRect(0, 0, 1, 5);
  target.dc.BitBlt(0, 0, 4, 2, &source.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(target.At(2, 2), kRed);
  EXPECT_EQ(target.At(3, 2), kWhite);
  EXPECT_EQ(target.Changed(kWhite), CRect(2, 2, 3, 4));
}

TEST(BlitTest, BitBltWithinOneBitmapReadsTheOriginalPixels) {
  Canvas canvas(8, 1);
  PaintSource(&canvas);
  canvas.dc.BitBlt(1, 0, 4, 1, &canvas.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(canvas.At(1, 0), kRed);
  EXPECT_EQ(canvas.At(2, 0), kGreen);
  EXPECT_EQ(canvas.At(4, 0), kWhite);
}

TEST(BlitTest, RasterOperationsCombineSourceAndDestination) {
  Canvas source(1, 1, RGB(0xF0, 0x0F, 0xFF)), target(3, 1, RGB(0x3C, 0x3C, 0x00));
  target.dc.BitBlt(0, 0, 1, 1, &source.dc, 0, 0, SRCAND);
  target.dc.BitBlt(1, 0, 1, 1, &source.dc, 0, 0, SRCPAINT);
  target.dc.BitBlt(2, 0, 1, 1, &source.dc, 0, 0, SRCINVERT);
  EXPECT_EQ(target.At(0, 0), RGB(0x30, 0x0C, 0x00));
  EXPECT_EQ(target.At(1, 0), RGB(0xFC, 0x3F, 0xFF));
  EXPECT_EQ(target.At(2, 0), RGB(0xCC, 0x33, 0xFF));
}

TEST(BlitTest, NearestStretchRepeatsPixelsExactly) {
  Canvas source(4, 2), target(8, 4);
  PaintSource(&source);
  target.dc.SetStretchBltMode(COLORONCOLOR);
  target.dc.StretchBlt(0, 0, 8, 4, &source.dc, 0, 0, 4, 2, SRCCOPY);
  EXPECT_EQ(target.Count(kRed), 4);
  EXPECT_EQ(target.At(1, 1), kRed);
  EXPECT_EQ(target.At(2, 0), kGreen);
  EXPECT_EQ(target.Count(kBlack), 16);
}

TEST(BlitTest, HalftoneStretchBlendsNeighbours) {
  Canvas source(2, 1), target(20, 1);
  source.dc.SetPixel(0, 0, kBlack);
  source.dc.SetPixel(1, 0, kWhite);
  target.dc.SetStretchBltMode(HALFTONE);
  target.dc.StretchBlt(0, 0, 20, 1, &source.dc, 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(target.At(0, 0), kBlack);
  EXPECT_EQ(target.At(19, 0), kWhite);
  COLORREF middle = target.At(10, 0);
  EXPECT_GT(GetRValue(middle), 0);
  EXPECT_LT(GetRValue(middle), 255);
}

TEST(BlitTest, NegativeWidthMirrors) {
  Canvas source(4, 2), target(4, 1);
  PaintSource(&source);
  target.dc.StretchBlt(4, 0, -4, 1, &source.dc, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(target.At(3, 0), kRed);
  EXPECT_EQ(target.At(0, 0), kWhite);
}

TEST(BlitTest, DrawSurfaceBlendsByAlphaAndScales) {
  Surface icon(2, 1, kRed);
  // Make the right pixel fully transparent.
  uint8_t* p = icon.Pixels();
  std::memset(p + 4, 0, 4);
  icon.MarkDirty();
  Canvas canvas(10, 10);
  canvas.dc.DrawSurface(1, 1, icon);
  EXPECT_EQ(canvas.At(1, 1), kRed);
  EXPECT_EQ(canvas.At(2, 1), kWhite);
  Surface opaque(2, 2, kBlue);
  canvas.dc.DrawSurface(4, 4, opaque, 4, 4);
  EXPECT_EQ(canvas.Count(kBlue), 16);
}

TEST(SurfaceTest, PixelsAreOpaqueBgraRowsAndPngsRoundTrip) {
  Surface surface(3, 2, kRed);
  EXPECT_EQ(surface.PixelAt(2, 1), kRed);
  EXPECT_EQ(surface.PixelAt(3, 0), CLR_INVALID);
  EXPECT_EQ(surface.PixelAt(-1, 0), CLR_INVALID);
  const uint8_t* p = surface.Pixels();
  EXPECT_EQ(p[0], 0x00);  // B
  EXPECT_EQ(p[2], 0xFF);  // R
  EXPECT_EQ(p[3], 0xFF);  // A
  surface.SetPixelAt(1, 1, kGreen);
  Surface copy(4, 4, kBlack);
  copy.CopyFrom(surface, 1, 1);
  EXPECT_EQ(copy.PixelAt(2, 2), kGreen);
  EXPECT_EQ(copy.PixelAt(0, 0), kBlack);

  kiv::test::ScratchFolder folder;
  std::string path = folder.File("surface.png");
  ASSERT_TRUE(copy.WritePng(path));
  cairo_surface_t* back = cairo_image_surface_create_from_png(path.c_str());
  EXPECT_EQ(cairo_image_surface_get_width(back), 4);
  cairo_surface_destroy(back);
  EXPECT_FALSE(copy.WritePng("/nonexistent-folder/x.png"));
}

TEST(BitmapTest, CreateBitmapReadsMonochromeAndColourRows) {
  // Rows padded to 16 bits: 0b10100000 for a 3-pixel row.
  const uint8_t mono[] = {0xA0, 0x00, 0x40, 0x00};
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateBitmap(3, 2, 1, 1, mono));
  Surface* s = bitmap.GetSurface();
  EXPECT_EQ(s->PixelAt(0, 0), kWhite);
  EXPECT_EQ(s->PixelAt(1, 0), kBlack);
  EXPECT_EQ(s->PixelAt(1, 1), kWhite);
  const uint8_t bgra[] = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00};
  CBitmap colour;
  ASSERT_TRUE(colour.CreateBitmap(2, 1, 1, 32, bgra));
  EXPECT_EQ(colour.GetSurface()->PixelAt(0, 0), kRed);
  EXPECT_EQ(colour.GetSurface()->PixelAt(1, 0), kBlue);
  BITMAP info;
  EXPECT_NE(colour.GetBitmap(&info), 0);
  EXPECT_EQ(info.bmWidth, 2);
  EXPECT_EQ(info.bmHeight, 1);
  EXPECT_FALSE(colour.CreateBitmap(2, 1, 2, 32, bgra));
}

TEST(BrushTest, PatternBrushTilesFromTheDeviceOrigin) {
  CBitmap tile;
  const uint8_t bgra[] = {0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00};  // red, green
  tile.CreateBitmap(2, 1, 1, 32, bgra);
  CBrush brush;
  ASSERT_TRUE(brush.CreatePatternBrush(&tile));
  tile.DeleteObject();  // the brush keeps its own copy
  Canvas canvas(10, 2);
  canvas.dc.FillRect(CRect(3, 0, 9, 2), &brush);
  EXPECT_EQ(canvas.At(3, 0), kGreen);
  EXPECT_EQ(canvas.At(4, 1), kRed);
  EXPECT_EQ(canvas.At(8, 0), kRed);
  EXPECT_EQ(canvas.At(9, 0), kWhite);
}

// An 8-bit DIB section as the program's DIB image class uses it.
struct Dib8 {
  Dib8(int width, int height) {
    std::vector<uint8_t> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* info = reinterpret_cast<BITMAPINFO*>(header.data());
    info->bmiHeader = BITMAPINFOHEADER();
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biBitCount = 8;
    RGBQUAD* palette = info->bmiColors;
    for (int i = 0; i < 256; ++i) palette[i] = RGBQUAD{0, 0, static_cast<BYTE>(i), 0};
    handle = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    stride = ((8 * width + 31) / 32) * 4;
  }
  HBITMAP handle = nullptr;
  void* bits = nullptr;
  int stride = 0;
};

TEST(DibSectionTest, BitsAreBottomUpPaletteIndexesAndChangesShowAtTheNextBlit) {
  Dib8 dib(3, 2);
  ASSERT_NE(dib.handle, nullptr);
  ASSERT_NE(dib.bits, nullptr);
  auto* bits = static_cast<uint8_t*>(dib.bits);
  bits[0] = 10;           // bottom row, x 0
  bits[dib.stride] = 200;  // top row, x 0

  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, dib.handle);
  ASSERT_NE(previous, nullptr);
  Canvas target(3, 2);
  ASSERT_TRUE(BitBlt(target.dc, 0, 0, 3, 2, memory, 0, 0, SRCCOPY));
  EXPECT_EQ(target.At(0, 0), RGB(200, 0, 0));
  EXPECT_EQ(target.At(0, 1), RGB(10, 0, 0));

  bits[dib.stride] = 77;
  BitBlt(target.dc, 0, 0, 3, 2, memory, 0, 0, SRCCOPY);
  EXPECT_EQ(target.At(0, 0), RGB(77, 0, 0));

  BITMAP info;
  EXPECT_EQ(GetObject(dib.handle, sizeof(info), &info), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(info.bmBitsPixel, 8);
  EXPECT_EQ(info.bmBits, dib.bits);
  SelectObject(memory, previous);
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_TRUE(DeleteObject(dib.handle));
  EXPECT_FALSE(DeleteObject(dib.handle));
}

TEST(DibSectionTest, TopDownTrueColourRowsComeInOrder) {
  BITMAPINFO info;
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = -2;  // top row first
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP handle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(handle, nullptr);
  auto* p = static_cast<uint8_t*>(bits);
  p[2] = 0xFF;      // (0, 0) red: B, G, R
  p[8 + 3] = 0xFF;  // (1, 1) blue; rows are 8 bytes
  CBitmap bitmap;
  bitmap.Attach(handle);
  CDC memory;
  memory.CreateCompatibleDC(nullptr);
  CBitmap* old = memory.SelectObject(&bitmap);
  EXPECT_EQ(memory.GetPixel(0, 0), kRed);
  EXPECT_EQ(memory.GetPixel(1, 1), kBlue);
  EXPECT_EQ(memory.GetPixel(1, 0), kBlack);
  memory.SelectObject(old);
}

TEST(DibSectionTest, RefusesUnsupportedHeaders) {
  BITMAPINFO info;
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = 4;
  info.bmiHeader.biBitCount = 16;
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
}

class OneBitmapTable : public ResourceTable {
 public:
  std::shared_ptr<Surface> LoadBitmap(UINT id) const override {
    if (id != 217) return nullptr;
    return std::make_shared<Surface>(1, 22, kRed);
  }
  std::shared_ptr<Surface> LoadIcon(UINT, int) const override { return nullptr; }
  CursorImage LoadCursor(UINT) const override { return CursorImage(); }
  bool LoadString(UINT, std::string*) const override { return false; }
};

TEST(BitmapTest, LoadBitmapFindsIdsInTheInstalledTableOnly) {
  CBitmap bitmap;
  SetResourceTable(nullptr);
  EXPECT_FALSE(bitmap.LoadBitmap(217));
  OneBitmapTable table;
  SetResourceTable(&table);
  EXPECT_TRUE(bitmap.LoadBitmap(217));
  EXPECT_EQ(bitmap.GetSize(), CSize(1, 22));
  CBitmap missing;
  EXPECT_FALSE(missing.LoadBitmap(218));
  EXPECT_FALSE(missing.IsCreated());
  SetResourceTable(nullptr);
}

TEST(BitmapTest, DetachedHandlesLiveInTheHandleTableUntilDeleted) {
  HBITMAP handle;
  {
    CBitmap bitmap;
    bitmap.CreateBitmap(2, 2, 1, 32, nullptr);
    handle = static_cast<HBITMAP>(bitmap.Detach());
  }
  CBitmap again;
  ASSERT_TRUE(again.Attach(handle));
  EXPECT_EQ(again.GetSize(), CSize(2, 2));
  EXPECT_FALSE(DeleteObject(handle));  // owned by `again` now
}

}  // namespace
}  // namespace gdi
}  // namespace kiv
