// Image lists: a bitmap cut into images, the mask colour made transparent in
// a masked list and kept in an unmasked one, and what a bad index, a narrow
// bitmap or a deleted list's handle get.
#include <gtest/gtest.h>

#include "platform/gdi/Bitmap.h"
#include "platform/ui/ImageList.h"

namespace kiv {
namespace test {
namespace {

constexpr COLORREF kListMagenta = RGB(255, 0, 255);
constexpr COLORREF kListBlue = RGB(0, 0, 255);
constexpr COLORREF kListRed = RGB(255, 0, 0);
constexpr COLORREF kListPaper = RGB(255, 255, 255);

// Two 4 x 4 pieces side by side, blue and red, each with a magenta centre.
void PaintTwoPieces(CBitmap& bitmap) {
  bitmap.CreateCompatibleBitmap(nullptr, 8, 4);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(&bitmap);
  dc.FillSolidRect(0, 0, 4, 4, kListBlue);
  dc.FillSolidRect(4, 0, 4, 4, kListRed);
  dc.FillSolidRect(1, 1, 2, 2, kListMagenta);
  dc.FillSolidRect(5, 1, 2, 2, kListMagenta);
  dc.SelectObject(old);
}

class ImageListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PaintTwoPieces(pieces_);
    paper_.CreateCompatibleBitmap(nullptr, 20, 20);
    dc_.CreateCompatibleDC(nullptr);
    old_ = dc_.SelectObject(&paper_);
    dc_.FillSolidRect(0, 0, 20, 20, kListPaper);
  }
  void TearDown() override { dc_.SelectObject(old_); }
  CBitmap pieces_;
  CBitmap paper_;
  CDC dc_;
  CBitmap* old_ = nullptr;
};

TEST_F(ImageListTest, AMaskedListDrawsTheMaskColourTransparentAndAnUnmaskedOneOpaque) {
  CImageList masked;
  ASSERT_TRUE(masked.Create(4, 4, ILC_COLOR32 | ILC_MASK, 1, 1));
  EXPECT_EQ(masked.Add(&pieces_, kListMagenta), 0);
  EXPECT_EQ(masked.GetImageCount(), 2);
  EXPECT_TRUE(masked.Draw(&dc_, 1, POINT{10, 10}, ILD_NORMAL));
  EXPECT_EQ(dc_.GetPixel(10, 10), kListRed);
  EXPECT_EQ(dc_.GetPixel(11, 11), kListPaper);  // the mask colour lets the paper through
  EXPECT_EQ(dc_.GetPixel(14, 14), kListPaper);  // beyond the image

  CImageList opaque;
  ASSERT_TRUE(opaque.Create(4, 4, ILC_COLOR32, 1, 1));
  EXPECT_EQ(opaque.Add(&pieces_, kListMagenta), 0);
  EXPECT_TRUE(opaque.Draw(&dc_, 0, POINT{0, 0}, ILD_TRANSPARENT));
  EXPECT_EQ(dc_.GetPixel(0, 0), kListBlue);
  EXPECT_EQ(dc_.GetPixel(1, 1), kListMagenta);

  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(masked.GetSafeHandle(), &cx, &cy));
  EXPECT_EQ(cx, 4);
  EXPECT_EQ(cy, 4);
  EXPECT_EQ(ImageList_GetImageCount(masked), 2);
  EXPECT_TRUE(ImageList_Draw(masked, 0, dc_.GetSafeHdc(), 0, 10, ILD_NORMAL));
  EXPECT_EQ(dc_.GetPixel(0, 10), kListBlue);
}

TEST_F(ImageListTest, RefusesWhatItDoesNotHold) {
  CImageList list;
  EXPECT_EQ(list.Add(&pieces_, kListMagenta), -1);  // not created
  EXPECT_FALSE(list.Create(0, 4, ILC_MASK, 1, 1));
  EXPECT_FALSE(list.Create(4, CImageList::kMaxImageSide + 1, ILC_MASK, 1, 1));
  ASSERT_TRUE(list.Create(16, 4, ILC_COLOR32 | ILC_MASK, 1, 1));
  EXPECT_FALSE(list.Create(16, 4, ILC_MASK, 1, 1));  // already made
  EXPECT_EQ(list.Add(&pieces_, kListMagenta), -1);   // 8 pixels wide: no 16-pixel piece
  CBitmap none;
  EXPECT_EQ(list.Add(&none, kListMagenta), -1);
  EXPECT_FALSE(list.Draw(&dc_, 0, POINT{0, 0}, ILD_NORMAL));
  EXPECT_FALSE(list.Draw(&dc_, -1, POINT{0, 0}, ILD_NORMAL));
  EXPECT_EQ(dc_.GetPixel(0, 0), kListPaper);

  HIMAGELIST handle = list.GetSafeHandle();
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(list.DeleteImageList());
  EXPECT_EQ(list.GetSafeHandle(), nullptr);
  EXPECT_EQ(ImageList_GetImageCount(handle), 0);
  EXPECT_FALSE(ImageList_Draw(handle, 0, dc_.GetSafeHdc(), 0, 0, ILD_NORMAL));
  EXPECT_FALSE(ImageList_GetIconSize(handle, nullptr, nullptr));
}

}  // namespace
}  // namespace test
}  // namespace kiv
