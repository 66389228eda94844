// The DIB image: the layout of its one buffer, its palette and pixel
// writes, what Draw puts on a device context, and the sizes it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/DC.h"
#include "platform/sys/ByteOrder.h"
#include "shell/CeXDib.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace test {
namespace {

// --- Layout ---------------------------------------------------------------------------

struct DibLayoutCase {
  std::string name;
  int width, height;
  WORD bits;
  DWORD lineWidth, paletteSize, total;
};

class DibLayout : public ::testing::TestWithParam<DibLayoutCase> {};

TEST_P(DibLayout, HeaderPaletteAndRowsShareOneBuffer) {
  const DibLayoutCase& c = GetParam();
  CCeXDib dib;
  BYTE* buffer = dib.Create(c.width, c.height, c.bits);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(dib.GetLineWidth(), c.lineWidth);
  EXPECT_EQ(dib.GetPaletteSize(), c.paletteSize);
  EXPECT_EQ(dib.GetSize(), c.total);
  EXPECT_EQ(dib.GetHeight(), c.height);
  EXPECT_EQ(dib.GetBits(), buffer + 40 + c.paletteSize);
  EXPECT_EQ(c.total, 40 + c.paletteSize + c.lineWidth * static_cast<DWORD>(c.height)) << "the case itself";
  // The header at the buffer's start, as the bitmap format lays it out.
  EXPECT_EQ(LoadLe32(buffer), 40u);
  EXPECT_EQ(LoadLe32(buffer + 4), static_cast<uint32_t>(c.width));
  EXPECT_EQ(LoadLe32(buffer + 8), static_cast<uint32_t>(c.height));
  EXPECT_EQ(LoadLe16(buffer + 12), 1u);
  EXPECT_EQ(LoadLe16(buffer + 14), c.bits);
  EXPECT_EQ(LoadLe32(buffer + 16), 0u) << "uncompressed";
  EXPECT_EQ(LoadLe32(buffer + 20), c.lineWidth * static_cast<uint32_t>(c.height));
  for (int offset = 24; offset < 40; offset += 4) EXPECT_EQ(LoadLe32(buffer + offset), 0u) << offset;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DibLayout,
    ::testing::Values(DibLayoutCase{"w3_h1_8bit", 3, 1, 8, 4, 1024, 40 + 1024 + 4},
                      DibLayoutCase{"w10_h2_24bit", 10, 2, 24, 32, 0, 40 + 0 + 64},
                      DibLayoutCase{"w1_h1_1bit", 1, 1, 1, 4, 8, 40 + 8 + 4},
                      DibLayoutCase{"w33_h2_1bit", 33, 2, 1, 8, 8, 40 + 8 + 16},
                      DibLayoutCase{"w5_h3_4bit", 5, 3, 4, 4, 64, 40 + 64 + 12},
                      DibLayoutCase{"w7_h1_16bit", 7, 1, 16, 16, 0, 40 + 0 + 16},
                      DibLayoutCase{"w2_h2_32bit", 2, 2, 32, 8, 0, 40 + 0 + 16},
                      DibLayoutCase{"widest_row", CCeXDib::kMaxSide, 1, 8, 32768, 1024, 40 + 1024 + 32768},
                      DibLayoutCase{"tallest", 1, CCeXDib::kMaxSide, 8, 4, 1024, 40 + 1024 + 4 * 32768}),
    kiv::test::CaseName());

// --- Refused sizes ----------------------------------------------------------------------

struct DibRefusedCase {
  std::string name;
  int width, height;
  WORD bits;
};

class DibRefusedSize : public ::testing::TestWithParam<DibRefusedCase> {};

TEST_P(DibRefusedSize, ReturnsNullAndLeavesAnEmptyImageThatDrawsNothing) {
  const DibRefusedCase& c = GetParam();
  CCeXDib dib;
  ASSERT_NE(dib.Create(2, 2, 8), nullptr);  // an image before, which goes
  dib.Fill(7);
  EXPECT_EQ(dib.Create(c.width, c.height, c.bits), nullptr);
  EXPECT_EQ(dib.GetBits(), nullptr);
  EXPECT_EQ(dib.GetSize(), 0u);
  EXPECT_EQ(dib.GetLineWidth(), 0u);
  EXPECT_EQ(dib.GetPaletteSize(), 0u);
  EXPECT_EQ(dib.GetHeight(), 0);
  // Every operation does nothing on it.
  dib.SetPaletteIndex(0, 1, 2, 3);
  dib.SetPixelIndex(0, 0, 1);
  dib.Fill(1);
  dib.BlendPalette(RGB(1, 2, 3), 50);

  CDC canvas;
  canvas.CreateCompatibleDC(nullptr);
  CBitmap target;
  target.CreateCompatibleBitmap(nullptr, 4, 4);
  CBitmap* old = canvas.SelectObject(&target);
  canvas.FillSolidRect(0, 0, 4, 4, RGB(9, 9, 9));
  dib.Draw(canvas, 0, 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(canvas.GetPixel(x, y), RGB(9, 9, 9)) << x << "," << y;
  }
  canvas.SelectObject(old);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DibRefusedSize,
    ::testing::Values(DibRefusedCase{"zero_width", 0, 4, 8}, DibRefusedCase{"zero_height", 4, 0, 8},
                      DibRefusedCase{"negative_width", -3, 4, 8}, DibRefusedCase{"negative_height", 4, -3, 8},
                      DibRefusedCase{"width_past_32768", 32769, 1, 8},
                      DibRefusedCase{"height_past_32768", 1, 32769, 8},
                      // 2^32 bytes of rows: a 32-bit size would wrap to 0.
                      DibRefusedCase{"size_wraps_32_bits", 32768, 32768, 32},
                      DibRefusedCase{"row_times_width_wraps", 0x7FFFFFFF, 2, 32},
                      DibRefusedCase{"gigabyte", 32768, 32768, 8},
                      DibRefusedCase{"just_past_256_megabytes", 32768, 8192, 8},
                      DibRefusedCase{"depth_zero", 4, 4, 0}, DibRefusedCase{"depth_past_32", 4, 4, 33},
                      DibRefusedCase{"depth_65535", 32768, 1, 65535}),
    kiv::test::CaseName());

// --- Palette and pixels --------------------------------------------------------------

TEST(DibPixels, PixelIndexYCountsFromTheTopRowWhichIsStoredLast) {
  CCeXDib dib;
  ASSERT_NE(dib.Create(3, 2, 8), nullptr);
  BYTE* bits = dib.GetBits();
  dib.SetPixelIndex(0, 0, 0xAB);
  EXPECT_EQ(bits[dib.GetLineWidth()], 0xAB) << "first byte of the second stored row";
  EXPECT_EQ(bits[0], 0);
  dib.SetPixelIndex(2, 1, 0x11);
  EXPECT_EQ(bits[2], 0x11) << "the bottom row is stored first";
  // Outside the image: nothing is written anywhere.
  std::vector<BYTE> before(bits, bits + 2 * dib.GetLineWidth());
  const int outside[][2] = {{-1, 0}, {3, 0}, {0, -1}, {0, 2}, {4, 1}};
  for (const auto& p : outside) dib.SetPixelIndex(p[0], p[1], 0xEE);
  EXPECT_EQ(std::vector<BYTE>(bits, bits + 2 * dib.GetLineWidth()), before);
}

struct DibPackedPixelCase {
  std::string name;
  WORD bits;
  int x;
  BYTE value;
  int byteIndex;  // in the top (only) row
  BYTE byte;      // that byte afterwards, starting from 0x00
  BYTE mask;      // the pixel's bits in that byte
};

class DibPackedPixel : public ::testing::TestWithParam<DibPackedPixelCase> {};

TEST_P(DibPackedPixel, SetsOnlyThePixelsOwnBits) {
  const DibPackedPixelCase& c = GetParam();
  CCeXDib dib;
  ASSERT_NE(dib.Create(40, 1, c.bits), nullptr);
  dib.SetPixelIndex(c.x, 0, c.value);
  BYTE* bits = dib.GetBits();
  for (DWORD i = 0; i < dib.GetLineWidth(); ++i) {
    EXPECT_EQ(bits[i], static_cast<int>(i) == c.byteIndex ? c.byte : 0) << i;
  }
  // Written over set bits, the other pixels of the byte keep theirs.
  dib.Fill(0xFF);
  dib.SetPixelIndex(c.x, 0, 0);
  EXPECT_EQ(bits[c.byteIndex], 0xFF ^ c.mask);
}

INSTANTIATE_TEST_SUITE_P(Depths, DibPackedPixel,
                         ::testing::Values(DibPackedPixelCase{"4bit_left_nibble", 4, 0, 0x9, 0, 0x90, 0xF0},
                                           DibPackedPixelCase{"4bit_right_nibble", 4, 3, 0xF, 1, 0x0F, 0x0F},
                                           DibPackedPixelCase{"4bit_index_masked", 4, 4, 0x1A, 2, 0xA0, 0xF0},
                                           DibPackedPixelCase{"1bit_first", 1, 0, 1, 0, 0x80, 0x80},
                                           DibPackedPixelCase{"1bit_tenth", 1, 9, 1, 1, 0x40, 0x40},
                                           DibPackedPixelCase{"1bit_last", 1, 39, 1, 4, 0x01, 0x01}),
                         kiv::test::CaseName());

TEST(DibPixels, TrueColourImagesHaveNoPaletteToWriteOrIndex) {
  CCeXDib dib;
  ASSERT_NE(dib.Create(2, 2, 24), nullptr);
  dib.SetPaletteIndex(0, 1, 2, 3);
  dib.SetPixelIndex(0, 0, 0x55);
  dib.BlendPalette(RGB(255, 255, 255), 100);
  BYTE* bits = dib.GetBits();
  for (DWORD i = 0; i < dib.GetSize() - 40; ++i) EXPECT_EQ(bits[i], 0) << i;
  dib.Fill(0x3C);
  for (DWORD i = 0; i < dib.GetSize() - 40; ++i) EXPECT_EQ(bits[i], 0x3C) << i;
}

TEST(DibPalette, EntriesAreBlueGreenRedZeroAndIndexesPastTheEndAreIgnored) {
  CCeXDib dib;
  BYTE* buffer = dib.Create(8, 1, 1);
  ASSERT_NE(buffer, nullptr);
  dib.SetPaletteIndex(1, 0x11, 0x22, 0x33);
  dib.SetPaletteIndex(2, 0x44, 0x55, 0x66);  // a 1-bit palette has two entries
  EXPECT_EQ(std::vector<BYTE>(buffer + 40, buffer + 48), (std::vector<BYTE>{0, 0, 0, 0, 0x33, 0x22, 0x11, 0}));
  EXPECT_EQ(dib.GetBits()[0], 0) << "the pixels after the palette are untouched";
}

struct DibBlendCase {
  std::string name;
  long percent;
  BYTE red, green, blue;  // entry (200, 100, 0) blended toward (0, 50, 255)
};

class DibBlend : public ::testing::TestWithParam<DibBlendCase> {};

TEST_P(DibBlend, MovesEveryEntryTowardTheColour) {
  const DibBlendCase& c = GetParam();
  CCeXDib dib;
  BYTE* buffer = dib.Create(1, 1, 4);
  ASSERT_NE(buffer, nullptr);
  for (int i = 0; i < 16; ++i) dib.SetPaletteIndex(static_cast<BYTE>(i), 200, 100, 0);
  dib.BlendPalette(RGB(0, 50, 255), c.percent);
  for (int i = 0; i < 16; ++i) {
    const BYTE* entry = buffer + 40 + 4 * i;
    EXPECT_EQ(entry[0], c.blue) << i;
    EXPECT_EQ(entry[1], c.green) << i;
    EXPECT_EQ(entry[2], c.red) << i;
    EXPECT_EQ(entry[3], 0) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Percents, DibBlend,
                         ::testing::Values(DibBlendCase{"none", 0, 200, 100, 0},
                                           // (200 * 67 + 0 * 33) / 100 = 134; (100 * 67 + 50 * 33) / 100 = 83;
                                           // (0 * 67 + 255 * 33) / 100 = 84.
                                           DibBlendCase{"a_third", 33, 134, 83, 84},
                                           DibBlendCase{"all", 100, 0, 50, 255},
                                           DibBlendCase{"150_acts_as_100", 150, 0, 50, 255},
                                           DibBlendCase{"negative_acts_as_0", -20, 200, 100, 0}),
                         kiv::test::CaseName());

// --- Draw -----------------------------------------------------------------------------------

// A memory DC on a bitmap of its own, filled with a marker colour.
class DibCanvas {
 public:
  static constexpr COLORREF kMarker = RGB(1, 2, 3);
  DibCanvas(int width, int height) {
    dc.CreateCompatibleDC(nullptr);
    bitmap_.CreateCompatibleBitmap(nullptr, width, height);
    old_ = dc.SelectObject(&bitmap_);
    dc.FillSolidRect(0, 0, width, height, kMarker);
  }
  ~DibCanvas() { dc.SelectObject(old_); }
  CDC dc;

 private:
  CBitmap bitmap_;
  CBitmap* old_ = nullptr;
};

// Palette ramp: entry i is (i, 255 - i, 0).
COLORREF RampColour(int index) { return RGB(index, 255 - index, 0); }

TEST(DibDraw, CopiesThePaletteColoursOfItsPixelsToTheTargetAndNothingAround) {
  CCeXDib dib;
  ASSERT_NE(dib.Create(4, 2, 8), nullptr);
  for (int i = 0; i < 256; ++i) {
    dib.SetPaletteIndex(static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 0);
  }
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) dib.SetPixelIndex(x, y, static_cast<BYTE>(x * 60 + y * 7));
  }
  DibCanvas canvas(8, 6);
  dib.Draw(canvas.dc, 2, 3);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      bool inside = x >= 2 && x < 6 && y >= 3 && y < 5;
      COLORREF expected = inside ? RampColour((x - 2) * 60 + (y - 3) * 7) : DibCanvas::kMarker;
      EXPECT_EQ(canvas.dc.GetPixel(x, y), expected) << x << "," << y;
    }
  }

  // Pixels changed through GetBits show at the next Draw: the bottom-left
  // pixel is the first byte.
  dib.GetBits()[0] = 200;
  dib.Draw(canvas.dc, 2, 3);
  EXPECT_EQ(canvas.dc.GetPixel(2, 4), RampColour(200));
  EXPECT_EQ(canvas.dc.GetPixel(3, 4), RampColour(60 + 7)) << "the others stay";
  dib.Fill(9);
  dib.Draw(canvas.dc, 0, 0);
  EXPECT_EQ(canvas.dc.GetPixel(0, 0), RampColour(9));
  EXPECT_EQ(canvas.dc.GetPixel(3, 1), RampColour(9));
}

TEST(DibDraw, ANewImageDrawsWithItsOwnSizeAndPalette) {
  CCeXDib dib;
  ASSERT_NE(dib.Create(2, 1, 8), nullptr);
  dib.SetPaletteIndex(0, 255, 0, 0);
  DibCanvas canvas(6, 3);
  dib.Draw(canvas.dc, 0, 0);
  EXPECT_EQ(canvas.dc.GetPixel(1, 0), RGB(255, 0, 0));

  ASSERT_NE(dib.Create(3, 2, 8), nullptr);
  dib.SetPaletteIndex(0, 0, 0, 255);
  dib.Draw(canvas.dc, 0, 0);
  EXPECT_EQ(canvas.dc.GetPixel(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(canvas.dc.GetPixel(2, 1), RGB(0, 0, 255));
  EXPECT_EQ(canvas.dc.GetPixel(3, 0), DibCanvas::kMarker);
}

TEST(DibDraw, DrawsNothingWhenNoSectionCanBeMadeForItsDepth) {
  CCeXDib dib;
  ASSERT_NE(dib.Create(2, 2, 16), nullptr);  // the display has no 16-bit sections
  dib.Fill(0xFF);
  DibCanvas canvas(3, 3);
  dib.Draw(canvas.dc, 0, 0);
  dib.Draw(canvas.dc, 0, 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(canvas.dc.GetPixel(x, y), DibCanvas::kMarker);
  }
}

}  // namespace
}  // namespace test
}  // namespace kiv
