// Icons at a requested size: LoadImage makes the table's icon at that size
// (and shares it, one per id and size), GetIconInfo gives its centre as hot
// spot with two new bitmaps (colours and the transparency mask), and
// DrawState draws it with its alpha at its own size or another.
#include <gtest/gtest.h>

#include "platform/core/WinUser.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Resources.h"
#include "platform/gdi/Surface.h"

namespace kiv {
namespace test {
namespace {

constexpr UINT kGreenSquareIcon = 7;
constexpr COLORREF kIconGreen = RGB(0, 200, 0);
constexpr COLORREF kPaper = RGB(255, 255, 255);

// One icon, green, whose top-left pixel is clear, at whatever size is asked.
class GreenIconTable : public gdi::ResourceTable {
 public:
  std::shared_ptr<gdi::Surface> LoadBitmap(UINT) const override { return nullptr; }
  std::shared_ptr<gdi::Surface> LoadIcon(UINT id, int size) const override {
    if (id != kGreenSquareIcon) return nullptr;
    ++drawn;
    auto image = std::make_shared<gdi::Surface>(size, size, kIconGreen);
    uint8_t* row = image->Pixels();
    row[0] = row[1] = row[2] = row[3] = 0;
    image->MarkDirty();
    return image;
  }
  gdi::CursorImage LoadCursor(UINT) const override { return gdi::CursorImage(); }
  bool LoadString(UINT, std::string*) const override { return false; }
  mutable int drawn = 0;
};

class IconImageTest : public ::testing::Test {
 protected:
  void SetUp() override { gdi::SetResourceTable(&table_); }
  void TearDown() override { gdi::SetResourceTable(nullptr); }
  static HICON Load(int cx, int cy) {
    return static_cast<HICON>(::LoadImage(nullptr, MAKEINTRESOURCE(kGreenSquareIcon), IMAGE_ICON, cx, cy, 0));
  }
  static COLORREF BitmapPixel(HBITMAP handle, int x, int y) {
    CBitmap bitmap;
    bitmap.Attach(handle);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&bitmap);
    const COLORREF pixel = dc.GetPixel(x, y);
    dc.SelectObject(old);
    bitmap.Detach();
    return pixel;
  }
  GreenIconTable table_;
};

TEST_F(IconImageTest, LoadImageMakesTheIconAtTheAskedSizeOncePerIdAndSize) {
  HICON big = Load(48, 48);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(Load(48, 48), big);
  EXPECT_EQ(table_.drawn, 1);
  HICON own = Load(0, 0);  // its own size: 32 x 32
  ASSERT_NE(own, nullptr);
  EXPECT_NE(own, big);
  EXPECT_EQ(own, ::LoadIcon(nullptr, MAKEINTRESOURCE(kGreenSquareIcon)));
  EXPECT_TRUE(::DestroyIcon(big));
  EXPECT_EQ(Load(48, 48), big);  // shared: still valid after DestroyIcon

  EXPECT_EQ(Load(257, 16), nullptr);  // larger than any icon the layer makes
  EXPECT_EQ(::LoadImage(nullptr, MAKEINTRESOURCE(99), IMAGE_ICON, 16, 16, 0), nullptr);
  EXPECT_EQ(::LoadImage(nullptr, MAKEINTRESOURCE(kGreenSquareIcon), IMAGE_BITMAP, 16, 16, 0), nullptr);
  EXPECT_EQ(::LoadImage(nullptr, "named", IMAGE_ICON, 16, 16, 0), nullptr);
}

TEST_F(IconImageTest, GetIconInfoGivesTheCentreAsHotSpotAndTheColourAndMaskBitmaps) {
  struct Size {
    int cx, cy;
  };
  for (Size s : {Size{48, 48}, Size{0, 0}, Size{20, 10}}) {
    SCOPED_TRACE(std::to_string(s.cx) + "x" + std::to_string(s.cy));
    HICON icon = Load(s.cx, s.cy);
    ASSERT_NE(icon, nullptr);
    ICONINFO info;
    ASSERT_TRUE(::GetIconInfo(icon, &info));
    const int cx = s.cx ? s.cx : 32;
    const int cy = s.cy ? s.cy : 32;
    EXPECT_TRUE(info.fIcon);
    EXPECT_EQ(info.xHotspot, static_cast<DWORD>(cx / 2));
    EXPECT_EQ(info.yHotspot, static_cast<DWORD>(cy / 2));
    ASSERT_NE(info.hbmColor, nullptr);
    ASSERT_NE(info.hbmMask, nullptr);
    BITMAP colour;
    ASSERT_NE(::GetObject(info.hbmColor, sizeof colour, &colour), 0);
    EXPECT_EQ(colour.bmWidth, cx);
    EXPECT_EQ(colour.bmHeight, cy);
    EXPECT_EQ(BitmapPixel(info.hbmColor, cx / 2, cy / 2), kIconGreen);
    EXPECT_EQ(BitmapPixel(info.hbmMask, cx / 2, cy / 2), RGB(0, 0, 0));
    if (cx == cy) {
      EXPECT_EQ(BitmapPixel(info.hbmMask, 0, 0), RGB(255, 255, 255));  // the clear pixel
    }
    EXPECT_TRUE(::DeleteObject(info.hbmColor));
    EXPECT_TRUE(::DeleteObject(info.hbmMask));
  }
  ICONINFO none;
  EXPECT_FALSE(::GetIconInfo(reinterpret_cast<HICON>(&none), &none));
  EXPECT_FALSE(::GetIconInfo(nullptr, &none));
}

TEST_F(IconImageTest, DrawStateDrawsTheIconWithItsAlphaAtItsOwnSizeOrTheOneGiven) {
  CBitmap paper;
  ASSERT_TRUE(paper.CreateCompatibleBitmap(nullptr, 80, 80));
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(&paper);
  dc.FillSolidRect(0, 0, 80, 80, kPaper);
  HICON icon = Load(48, 48);

  EXPECT_TRUE(dc.DrawState(CPoint(4, 4), CSize(0, 0), icon, DST_ICON | DSS_NORMAL));
  EXPECT_EQ(dc.GetPixel(4, 4), kPaper);  // the clear pixel
  EXPECT_EQ(dc.GetPixel(5, 4), kIconGreen);
  EXPECT_EQ(dc.GetPixel(4 + 47, 4 + 47), kIconGreen);
  EXPECT_EQ(dc.GetPixel(4 + 48, 4 + 48), kPaper);

  dc.FillSolidRect(0, 0, 80, 80, kPaper);
  EXPECT_TRUE(dc.DrawState(CPoint(10, 10), CSize(16, 16), icon, DST_ICON));
  EXPECT_EQ(dc.GetPixel(10 + 8, 10 + 8), kIconGreen);
  EXPECT_EQ(dc.GetPixel(10 + 20, 10 + 8), kPaper);

  dc.FillSolidRect(0, 0, 80, 80, kPaper);
  const UINT kDisabledState = 0x0020;
  EXPECT_FALSE(dc.DrawState(CPoint(4, 4), CSize(0, 0), icon, DST_ICON | kDisabledState));
  EXPECT_FALSE(dc.DrawState(CPoint(4, 4), CSize(0, 0), nullptr, DST_ICON));
  EXPECT_EQ(dc.GetPixel(20, 20), kPaper);
  dc.SelectObject(old);
}

}  // namespace
}  // namespace test
}  // namespace kiv
