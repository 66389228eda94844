// The F10 view's strip picture: the first eight items in a row as the
// shell's strip lays them out, the ninth starting a second row at the left
// one pixel below the first, the rest of the first row in the normal face,
// the empty strip and equal widths on two rows; and presses on the second
// row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panes/f10/KivDesk_Wnd_TabF10.h"
#include "tests/shell/TabStripTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace test {
namespace {

using F10Tab = ScopedWindow<CKivDesk_Wnd_TabF10>;

constexpr COLORREF kF10SelectedText = 0xE0A000;
constexpr int kF10Width = 700;

// Eleven sections, as the F10 view has them (more than one row holds).
const std::vector<const char*> kSections = {"最新提示", "公司概况", "财务分析", "股东研究", "股本结构", "资本运作",
                                            "分红扩股", "高管治理", "行业分析", "关联个股", "经营分析"};

class F10TabTest : public TabStripTest {
 protected:
  // Two rows and the pixel between them.
  static int StripHeight() { return 2 * FaceHeight() + 1; }
  void CreateF10(CKivDesk_Wnd_TabF10& strip, int inset) {
    ASSERT_TRUE(strip.Create(nullptr, "CKivDesk_Tab_F10", WS_CHILD | WS_VISIBLE, CRect(0, 0, kF10Width, StripHeight()),
                             parent_, kMainTabId));
    strip.SetTextInset(inset);
  }
};

struct TwoRowCase {
  std::string name;
  int inset;
  int count;  // the first `count` sections
  int selection;
};

class F10TwoRows : public F10TabTest, public ::testing::WithParamInterface<TwoRowCase> {};

TEST_P(F10TwoRows, NinthItemStartsTheSecondRowAtTheLeftOnePixelBelowTheFirst) {
  const TwoRowCase& c = GetParam();
  F10Tab strip(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, kF10SelectedText, TRUE, FALSE);
  CreateF10(strip, c.inset);
  SetItems(strip, std::vector<const char*>(kSections.begin(), kSections.begin() + c.count));
  ASSERT_EQ(strip.SetCurSel(c.selection), c.selection);
  Pump();

  const int h = FaceHeight();
  const int s = SeparatorWidth();
  int x = 0;
  int rowTop = 0, rowBottom = h;
  for (int i = 0; i < c.count; ++i) {
    SCOPED_TRACE(i);
    if (i == CKivDesk_Wnd_TabF10::kSecondRowFrom) {
      // The rest of the first row: the normal face, whatever item 7 was.
      for (int col : {x, (x + kF10Width) / 2, kF10Width - 1}) {
        EXPECT_EQ(StripPixel(strip, col, 1), SkinPixel(kIdbTabNormal, 0, 1)) << "column " << col;
      }
      x = 0;
      rowTop = h + 1;
      rowBottom = StripHeight();
    }
    const CRect expected(x, rowTop, x + c.inset + CaptionWidth(kSections[static_cast<size_t>(i)]), rowBottom);
    EXPECT_EQ(ItemRect(strip, i), expected);
    const UINT face = i == c.selection ? kIdbTabSelected : kIdbTabNormal;
    EXPECT_EQ(StripPixel(strip, expected.left, rowTop + 1), SkinPixel(face, 0, 1));
    EXPECT_EQ(StripPixel(strip, expected.right, rowTop + 1), SkinPixel(face, 0, 1));
    const COLORREF caption = i == c.selection ? kF10SelectedText : UiTheme().clrText;
    EXPECT_GT(CountColour(strip, CRect(expected.left, rowTop, expected.right + 1, rowTop + h), caption), 0);
    x = expected.right + 1;
    if (i != c.count - 1) {
      for (int col = 0; col < s; ++col) {
        EXPECT_EQ(StripPixel(strip, x + col, rowTop + h / 2), SkinPixel(kIdbTabSeparator, col, h / 2)) << col;
      }
      x += s;
    }
  }
  // The rest of the last row: the last item's face (every case ends on an
  // unselected item or on item 7).
  for (int col : {x, kF10Width - 1}) {
    EXPECT_EQ(StripPixel(strip, col, rowTop + 1), SkinPixel(kIdbTabNormal, 0, 1)) << "column " << col;
  }
}

INSTANTIATE_TEST_SUITE_P(Sections, F10TwoRows,
                         ::testing::Values(TwoRowCase{"eleven_inset_9_selected_on_the_second_row", 9, 11, 9},
                                           TwoRowCase{"nine_inset_18_selected_on_the_first_row", 18, 9, 2},
                                           TwoRowCase{"eight_fill_one_row", 9, 8, 7},
                                           TwoRowCase{"three_on_one_row", 9, 3, 0}),
                         CaseName());

TEST_F(F10TabTest, APressOnTheSecondRowSelectsItsItem) {
  F10Tab strip(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, kF10SelectedText, TRUE, FALSE);
  CreateF10(strip, 9);
  SetItems(strip, kSections);
  Pump();
  const CRect tenth = ItemRect(strip, 9);
  ASSERT_GT(tenth.top, FaceHeight());
  Click(strip, CPoint(tenth.left + 2, tenth.top + 2));
  EXPECT_EQ(strip.GetCurSel(), 9);
  EXPECT_EQ(Selections(), (std::vector<std::pair<WPARAM, LPARAM>>{{kMainTabId, 9}}));
  EXPECT_EQ(StripPixel(strip, tenth.left + 1, tenth.top + 1), SkinPixel(kIdbTabSelected, 0, 1));
  const CRect tenthFace(tenth.left, tenth.top, tenth.right, tenth.top + FaceHeight());
  EXPECT_GT(CountColour(strip, tenthFace, kF10SelectedText), 0);
  // The row between the two is no item's.
  Click(strip, CPoint(ItemRect(strip, 1).CenterPoint().x, FaceHeight()));
  EXPECT_EQ(strip.GetCurSel(), 9);
}

TEST_F(F10TabTest, AnEmptyStripPaintsTheFirstRowInTheNormalFace) {
  F10Tab strip(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, kF10SelectedText, TRUE, FALSE);
  CreateF10(strip, 9);
  Pump();
  for (int y = 0; y < FaceHeight(); ++y) {
    for (int x : {0, 350, kF10Width - 1}) EXPECT_EQ(StripPixel(strip, x, y), SkinPixel(kIdbTabNormal, 0, y)) << x;
  }
}

TEST_F(F10TabTest, EqualWidthsPutEightItemsARowAndTheNinthAtTheLeftOfTheSecond) {
  F10Tab strip(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, kF10SelectedText, FALSE, FALSE);
  CreateF10(strip, 9);
  SetItems(strip, kSections);
  ASSERT_EQ(strip.SetCurSel(8), 8);
  Pump();
  const int h = FaceHeight();
  const int w = kF10Width / CKivDesk_Wnd_TabF10::kSecondRowFrom;
  for (int i = 0; i < 11; ++i) {
    const int column = i < 8 ? i : i - 8;
    const int top = i < 8 ? 0 : h + 1;
    EXPECT_EQ(ItemRect(strip, i), CRect(column * w, top, column * w + w - 2, i < 8 ? h : StripHeight())) << i;
  }
  EXPECT_EQ(StripPixel(strip, 1, h + 2), SkinPixel(kIdbTabSelected, 0, 1));
  EXPECT_EQ(StripPixel(strip, w + 1, h + 2), SkinPixel(kIdbTabNormal, 0, 1));
  // The separator after item 0 and after item 8, at their right edges.
  EXPECT_EQ(StripPixel(strip, w - 2, h / 2), SkinPixel(kIdbTabSeparator, 0, h / 2));
  EXPECT_EQ(StripPixel(strip, w - 2, h + 1 + h / 2), SkinPixel(kIdbTabSeparator, 0, h / 2));
  // After the last item, the rest of its row in its face.
  EXPECT_EQ(StripPixel(strip, kF10Width - 1, h + 2), SkinPixel(kIdbTabNormal, 0, 1));
  Click(strip, ItemRect(strip, 10).CenterPoint());
  EXPECT_EQ(strip.GetCurSel(), 10);
}

TEST_F(F10TabTest, AMissingSkinLeavesTheStripUnpaintedAndUnclickable) {
  constexpr UINT kNoSuchBitmap = 59999;
  F10Tab strip(kIdbTabNormal, kIdbTabSelected, kNoSuchBitmap, kF10SelectedText, TRUE, FALSE);
  CreateF10(strip, 9);
  SetItems(strip, kSections);
  Pump();
  for (int x : {0, 20, kF10Width - 1}) EXPECT_EQ(StripPixel(strip, x, 1), RGB(0, 0, 0)) << x;
  Click(strip, CPoint(40, 8));
  EXPECT_TRUE(Selections().empty());
}

}  // namespace
}  // namespace test
}  // namespace kiv
