// The text tab strip: its layout and picture (captions on black, the
// dividers between them, the grey bottom line), the selection it repaints
// itself, and its surface at a new size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/shell/TabStripTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace test {
namespace {

using TextTab = ScopedWindow<CKivDesk_Wnd_Tab2>;

struct TextLayoutCase {
  std::string name;
  std::vector<const char*> texts;
  int selection;
};

class TextTabLayout : public TabStripTest, public ::testing::WithParamInterface<TextLayoutCase> {};

TEST_P(TextTabLayout, CaptionsOnBlackWithDividersBetweenThemAndTheBottomLine) {
  const TextLayoutCase& c = GetParam();
  TextTab strip;
  const int width = 600;
  CreateTab2(strip, width);
  SetItems(strip, c.texts);
  ASSERT_EQ(strip.SetCurSel(c.selection), c.selection);
  Pump();

  const int bottom = kTextTabHeight;
  const int last = static_cast<int>(c.texts.size()) - 1;
  int x = CKivDesk_Wnd_Tab2::kFirstItemLeft;
  for (int i = 0; i <= last; ++i) {
    SCOPED_TRACE(i);
    const char* text = c.texts[static_cast<size_t>(i)];
    if (*text == '\0') {
      EXPECT_TRUE(ItemRect(strip, i).IsRectEmpty());
      continue;
    }
    const CRect rect(x + 1, 0, x + CaptionWidth(text) + 10, bottom - 1);
    EXPECT_EQ(ItemRect(strip, i), rect);
    // The caption in its colour inside the item, the space before it black.
    const COLORREF caption = i == c.selection ? CKivDesk_Wnd_Tab2::kSelectedText : UiTheme().clrText;
    const COLORREF other = i == c.selection ? UiTheme().clrText : CKivDesk_Wnd_Tab2::kSelectedText;
    EXPECT_GT(CountColour(strip, rect, caption), 0);
    EXPECT_EQ(CountColour(strip, rect, other), 0);
    EXPECT_EQ(StripPixel(strip, rect.left, 1), CKivDesk_Wnd_Tab2::kBackground);
    x = rect.right;
    if (i != last) {
      EXPECT_EQ(StripPixel(strip, x, bottom / 2), UiTheme().clrText) << "divider";
    }
  }
  EXPECT_EQ(StripPixel(strip, x, bottom / 2), CKivDesk_Wnd_Tab2::kBackground) << "none after the last";
  EXPECT_EQ(StripPixel(strip, (x + width) / 2, 1), CKivDesk_Wnd_Tab2::kBackground);
  for (int col : {0, x, width - 1}) EXPECT_EQ(StripPixel(strip, col, bottom - 1), CKivDesk_Wnd_Tab2::kBottomLine);
}

INSTANTIATE_TEST_SUITE_P(
    Strips, TextTabLayout,
    ::testing::Values(
        TextLayoutCase{"pool_strip", {"推荐", "排行榜", "盯盘", "价值排行", "热点板块", "主力动向"}, 0},
        TextLayoutCase{"empty_item_takes_no_room", {"推荐", "", "盯盘"}, 2}),
    CaseName());

TEST_F(TabStripTest, TextStripRepaintsTheSelectionItIsGiven) {
  TextTab strip;
  CreateTab2(strip, 600);
  SetItems(strip, {"推荐", "排行榜", "盯盘", "价值排行"});
  Pump();
  const CRect first = ItemRect(strip, 0), fourth = ItemRect(strip, 3);
  EXPECT_GT(CountColour(strip, first, CKivDesk_Wnd_Tab2::kSelectedText), 0);
  ASSERT_EQ(strip.SetCurSel(3), 3);  // no Invalidate from the owner
  Pump();
  EXPECT_EQ(CountColour(strip, first, CKivDesk_Wnd_Tab2::kSelectedText), 0);
  EXPECT_GT(CountColour(strip, fourth, CKivDesk_Wnd_Tab2::kSelectedText), 0);
  EXPECT_TRUE(Selections().empty()) << "setting the selection posts nothing";
}

TEST_F(TabStripTest, TextStripReleaseOutsideEveryCaptionPostsNothing) {
  TextTab strip;
  CreateTab2(strip, 600);
  SetItems(strip, {"推荐", "", "盯盘"});
  Pump();
  Click(strip, CPoint(1, 10));    // before the first item
  Click(strip, CPoint(500, 10));  // after the last
  Click(strip, CPoint(ItemRect(strip, 0).CenterPoint().x, kTextTabHeight - 1));  // the bottom line
  EXPECT_TRUE(Selections().empty());
  EXPECT_EQ(strip.GetCurSel(), 0);
}

TEST_F(TabStripTest, TextStripPaintsItsWholeNewWidthAfterAResize) {
  TextTab strip;
  CreateTab2(strip, 30);  // the first item does not fit yet
  SetItems(strip, {"推荐", "排行榜", "盯盘"});
  Pump();
  strip.MoveWindow(0, 0, 700, kTextTabHeight);
  Pump();
  // The second item's divider, with black on both sides of it, where the
  // old surface ended long before.
  const CRect second = ItemRect(strip, 1);
  ASSERT_GT(second.left, 30);
  EXPECT_EQ(StripPixel(strip, second.right - 1, kTextTabHeight / 2), CKivDesk_Wnd_Tab2::kBackground);
  EXPECT_EQ(StripPixel(strip, second.right, kTextTabHeight / 2), UiTheme().clrText);
  EXPECT_EQ(StripPixel(strip, second.right + 1, kTextTabHeight / 2), CKivDesk_Wnd_Tab2::kBackground);
  EXPECT_GT(CountColour(strip, second, UiTheme().clrText), 0);
  EXPECT_EQ(StripPixel(strip, 699, kTextTabHeight - 1), CKivDesk_Wnd_Tab2::kBottomLine);
}

}  // namespace
}  // namespace test
}  // namespace kiv
