// The skinned tab strip: how it lays out text-sized and equal-width items
// and fills what is left, its picture against the skins of the terminal's
// table (column 0 of each face stretched across, the separator copied as
// it is), which presses select and post, pass-through hit-testing, and the
// item operations' refusals.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "tests/shell/TabStripTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace test {
namespace {

using Tab = ScopedWindow<CKivDesk_Wnd_Tab>;

const std::vector<const char*> kMainItems = {"我的股票", "选股", "", ""};

// As the main window makes it: text-sized, no pass-through, the theme's
// text colour for the selected caption.
std::unique_ptr<Tab> MainStrip() {
  return std::make_unique<Tab>(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, UiTheme().clrText, TRUE, FALSE);
}

// --- Text-sized items ------------------------------------------------------------

struct TextSizedCase {
  std::string name;
  int inset;  // set after creation; -1 keeps the default
  std::vector<const char*> texts;
  int selection;
};

class TabTextSizedLayout : public TabStripTest, public ::testing::WithParamInterface<TextSizedCase> {};

TEST_P(TabTextSizedLayout, EachCaptionPlusTheInsetThenTheWholeSeparatorAndTheRestInTheNormalFace) {
  const TextSizedCase& c = GetParam();
  Tab strip(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, kPanelSelectedText, TRUE, FALSE);
  const int width = 900;
  CreateTab(strip, width);
  if (c.inset >= 0) strip.SetTextInset(c.inset);
  const int inset = c.inset >= 0 ? c.inset : CKivDesk_Wnd_Tab::kDefaultTextInset;
  SetItems(strip, c.texts);
  ASSERT_EQ(strip.SetCurSel(c.selection), c.selection);
  Pump();

  const int h = FaceHeight();
  const int s = SeparatorWidth();
  ASSERT_GT(h, 4);
  ASSERT_GT(s, 0);
  const int last = static_cast<int>(c.texts.size()) - 1;
  int x = 0;
  for (int i = 0; i <= last; ++i) {
    SCOPED_TRACE(i);
    if (*c.texts[static_cast<size_t>(i)] == '\0') {
      EXPECT_TRUE(ItemRect(strip, i).IsRectEmpty()) << "an item without caption takes no room";
      continue;
    }
    const CRect expected(x, 0, x + inset + CaptionWidth(c.texts[static_cast<size_t>(i)]), h);
    EXPECT_EQ(ItemRect(strip, i), expected);
    // The face's first column over the item's columns, both ends included
    // (row 1 lies above the caption).
    const UINT face = i == c.selection ? kIdbTabSelected : kIdbTabNormal;
    EXPECT_EQ(StripPixel(strip, expected.left, 1), SkinPixel(face, 0, 1));
    EXPECT_EQ(StripPixel(strip, expected.right, 1), SkinPixel(face, 0, 1));
    x = expected.right + 1;
    if (i != last) {
      // The separator as it is, its own columns, right after the item.
      for (int col = 0; col < s; ++col) {
        EXPECT_EQ(StripPixel(strip, x + col, h / 2), SkinPixel(kIdbTabSeparator, col, h / 2)) << "column " << col;
      }
      x += s;
    }
  }
  // The rest of the width (every case here ends without a caption or with
  // an unselected one): the normal face.
  for (int col : {x, (x + width) / 2, width - 1}) {
    EXPECT_EQ(StripPixel(strip, col, 1), SkinPixel(kIdbTabNormal, 0, 1)) << "column " << col;
    EXPECT_EQ(StripPixel(strip, col, h / 2), SkinPixel(kIdbTabNormal, 0, h / 2)) << "column " << col;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Strips, TabTextSizedLayout,
    ::testing::Values(
        TextSizedCase{"main_window_default_inset", -1, kMainItems, 0},
        TextSizedCase{"finance_pane_inset_30", 30, {"财务分析", "财务趋势", ""}, 1},
        TextSizedCase{"period_strip_inset_20", 20,
                      {"分时", "日K", "1分钟", "5分钟", "15分钟", "30分钟", "1小时", "周K", "月K", "F10", ""}, 3},
        TextSizedCase{"empty_item_between_two", 9, {"日K", "", "周K", "月K"}, 2}),
    CaseName());

// --- Equal widths: the column-by-column picture --------------------------------------

struct EqualWidthsCase {
  std::string name;
  int width;
  int count;
  int itemWidth;  // -1: the client width divided by the count
  int selection;
};

class TabEqualWidths : public TabStripTest, public ::testing::WithParamInterface<EqualWidthsCase> {};

// The strip's picture as the layout states it, one column copy at a time:
// each item's face over left..right, 2 separator columns at right unless
// it is the last item, then the last item's face from its right edge - 1
// to the client's right edge.
std::vector<COLORREF> EqualWidthsByColumns(const EqualWidthsCase& c, int h) {
  CBitmap normal, selected, separator;
  EXPECT_TRUE(normal.LoadBitmap(kIdbTabNormal) && selected.LoadBitmap(kIdbTabSelected) &&
              separator.LoadBitmap(kIdbTabSeparator));
  std::vector<COLORREF> picture(static_cast<size_t>(c.width) * static_cast<size_t>(h), CLR_INVALID);
  auto copyColumn = [&](int x, CBitmap& skin, int skinX) {
    if (x < 0 || x >= c.width) return;
    for (int y = 0; y < h; ++y) picture[static_cast<size_t>(y) * c.width + x] = skin.GetSurface()->PixelAt(skinX, y);
  };
  const int w = c.itemWidth < 0 ? c.width / c.count : c.itemWidth;
  int right = 0;
  CBitmap* face = &normal;
  for (int i = 0; i < c.count; ++i) {
    const int left = i * w;
    right = left + w - 2;
    face = i == c.selection ? &selected : &normal;
    for (int x = left; x <= right; ++x) copyColumn(x, *face, 0);
    if (i != c.count - 1) {
      copyColumn(right, separator, 0);
      copyColumn(right + 1, separator, 1);
    }
  }
  for (int x = right - 1; x < c.width; ++x) copyColumn(x, *face, 0);
  return picture;
}

TEST_P(TabEqualWidths, PaintsTheColumnByColumnPictureWithTheRestAfterTheLastItem) {
  const EqualWidthsCase& c = GetParam();
  Tab strip(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, kPanelSelectedText, FALSE, FALSE);
  CreateTab(strip, c.width);
  strip.SetItemCount(c.count);  // no captions: every pixel is a skin's
  if (c.itemWidth >= 0) strip.SetItemWidth(c.itemWidth);
  ASSERT_EQ(strip.SetCurSel(c.selection), c.selection);
  Pump();

  const int h = FaceHeight();
  const int w = c.itemWidth < 0 ? c.width / c.count : c.itemWidth;
  for (int i = 0; i < c.count; ++i) EXPECT_EQ(ItemRect(strip, i), CRect(i * w, 0, i * w + w - 2, h)) << i;
  const std::vector<COLORREF> expected = EqualWidthsByColumns(c, h);
  int wrong = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < c.width; ++x) {
      const COLORREF want = expected[static_cast<size_t>(y) * c.width + x];
      ASSERT_NE(want, CLR_INVALID) << "the layout leaves column " << x << " undrawn";
      if (StripPixel(strip, x, y) != want && ++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y;
    }
  }
  EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Widths, TabEqualWidths,
                         ::testing::Values(EqualWidthsCase{"w100_of_3_rest_in_the_selected_last", 100, 3, -1, 2},
                                           EqualWidthsCase{"w100_of_3_rest_in_the_normal_last", 100, 3, -1, 0},
                                           EqualWidthsCase{"w1366_of_6", 1366, 6, -1, 5},
                                           EqualWidthsCase{"fixed_50_in_200", 200, 3, 50, 1}),
                         CaseName());

// One stretch of a skin's first column gives the pixels of one column copy
// per column, on the strip's HALFTONE surface, clipped runs included.
struct FaceRunCase {
  std::string name;
  int left, right;
};

class TabFaceRun : public ::testing::TestWithParam<FaceRunCase> {};

TEST_P(TabFaceRun, OneStretchEqualsACopyPerColumn) {
  const FaceRunCase& c = GetParam();
  res::UseDeskResources();
  for (UINT id : {kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator}) {
    SCOPED_TRACE(id);
    CBitmap skin;
    ASSERT_TRUE(skin.LoadBitmap(id));
    const int h = skin.GetSize().cy;
    CDC skinDc;
    skinDc.CreateCompatibleDC(nullptr);
    CBitmap* old = skinDc.SelectObject(&skin);
    KivTabCanvas stretched, columns;
    ASSERT_TRUE(stretched.Fit(1366, h + 6));
    ASSERT_TRUE(columns.Fit(1366, h + 6));
    stretched.Dc().FillSolidRect(0, 0, 1366, h + 6, 0x123456);
    columns.Dc().FillSolidRect(0, 0, 1366, h + 6, 0x123456);
    CKivDesk_Wnd_Tab::DrawFaceColumns(stretched.Dc(), c.left, c.right, 3, h, skinDc);
    for (int x = c.left; x <= c.right; ++x) columns.Dc().BitBlt(x, 3, 1, h, &skinDc, 0, 0, SRCCOPY);
    skinDc.SelectObject(old);
    const gdi::Surface* a = stretched.Dc().GetTargetSurface();
    const gdi::Surface* b = columns.Dc().GetTargetSurface();
    int wrong = 0;
    for (int y = 0; y < h + 6; ++y) {
      for (int x = 0; x < 1366; ++x) wrong += a->PixelAt(x, y) != b->PixelAt(x, y) ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, TabFaceRun,
                         ::testing::Values(FaceRunCase{"one_column", 7, 7}, FaceRunCase{"two_columns", 0, 1},
                                           FaceRunCase{"item", 30, 151}, FaceRunCase{"whole_width", 0, 1365},
                                           FaceRunCase{"clipped_left", -5, 20},
                                           FaceRunCase{"clipped_right", 1350, 1400},
                                           FaceRunCase{"empty", 40, 39}),
                         CaseName());

// --- Presses ----------------------------------------------------------------------

struct EmptyPlaceCase {
  std::string name;
  BOOL textSized;
};

class TabEmptyPlaces : public TabStripTest, public ::testing::WithParamInterface<EmptyPlaceCase> {};

TEST_P(TabEmptyPlaces, APressWhereTheEmptyThirdOrFourthItemIsChangesNothing) {
  Tab strip(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, UiTheme().clrText, GetParam().textSized, FALSE);
  const int width = 600;
  CreateTab(strip, width);
  SetItems(strip, kMainItems);
  Pump();
  // Text-sized, the empty items take no room: their places are what lies
  // after the second item. With equal widths they have rectangles.
  std::vector<CPoint> places;
  if (GetParam().textSized) {
    const CRect second = ItemRect(strip, 1);
    places = {CPoint(second.right + SeparatorWidth() + 3, 8), CPoint(width - 3, 8)};
  } else {
    places = {ItemRect(strip, 2).CenterPoint(), ItemRect(strip, 3).CenterPoint()};
  }
  std::vector<COLORREF> before;
  for (int x = 0; x < width; ++x) before.push_back(StripPixel(strip, x, 1));

  for (const CPoint& place : places) Click(strip, place);
  EXPECT_EQ(strip.GetCurSel(), 0);
  EXPECT_TRUE(Selections().empty());
  for (int x = 0; x < width; ++x) ASSERT_EQ(StripPixel(strip, x, 1), before[static_cast<size_t>(x)]) << x;

  // The second item, which has a caption, takes the same press.
  Click(strip, ItemRect(strip, 1).CenterPoint());
  EXPECT_EQ(strip.GetCurSel(), 1);
  EXPECT_EQ(Selections(), (std::vector<std::pair<WPARAM, LPARAM>>{{kMainTabId, 1}}));
}

INSTANTIATE_TEST_SUITE_P(Modes, TabEmptyPlaces,
                         ::testing::Values(EmptyPlaceCase{"text_sized", TRUE}, EmptyPlaceCase{"equal_widths", FALSE}),
                         CaseName());

TEST_F(TabStripTest, ClickOnTheCurrentItemPostsAgainOnlyOnTheTextStrip) {
  auto tab = MainStrip();
  CreateTab(*tab, 600);
  SetItems(*tab, kMainItems);
  ScopedWindow<CKivDesk_Wnd_Tab2> text;
  ASSERT_TRUE(text.Create(nullptr, "CKivDesk_Wnd_PoolFull", WS_CHILD | WS_VISIBLE, CRect(0, 60, 600, 84), parent_,
                          kPoolTabId));
  SetItems(text, {"推荐", "排行榜", "盯盘"});
  Pump();

  const CPoint second = ItemRect(*tab, 1).CenterPoint();
  Click(*tab, second);
  Click(*tab, second);
  Click(*tab, ItemRect(*tab, 0).CenterPoint());
  const CPoint third = ItemRect(text, 2).CenterPoint();
  Click(text, third);
  Click(text, third);
  EXPECT_EQ(Selections(), (std::vector<std::pair<WPARAM, LPARAM>>{
                              {kMainTabId, 1}, {kMainTabId, 0}, {kPoolTabId, 2}, {kPoolTabId, 2}}));
  EXPECT_EQ(tab->GetCurSel(), 0);
  EXPECT_EQ(text.GetCurSel(), 2);
}

TEST_F(TabStripTest, ThePressedItemIsRepaintedSelectedWithItsCaptionColour) {
  Tab strip(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, kPanelSelectedText, TRUE, FALSE);
  CreateTab(strip, 600);
  SetItems(strip, {"财务分析", "财务趋势", ""});
  Pump();
  const CRect first = ItemRect(strip, 0), second = ItemRect(strip, 1);
  ASSERT_NE(SkinPixel(kIdbTabSelected, 0, 1), SkinPixel(kIdbTabNormal, 0, 1));
  EXPECT_EQ(StripPixel(strip, first.left + 1, 1), SkinPixel(kIdbTabSelected, 0, 1));
  EXPECT_EQ(StripPixel(strip, second.left + 1, 1), SkinPixel(kIdbTabNormal, 0, 1));
  EXPECT_GT(CountColour(strip, first, kPanelSelectedText), 0);
  EXPECT_EQ(CountColour(strip, second, kPanelSelectedText), 0);
  EXPECT_GT(CountColour(strip, second, UiTheme().clrText), 0);

  Click(strip, second.CenterPoint());
  EXPECT_EQ(StripPixel(strip, first.left + 1, 1), SkinPixel(kIdbTabNormal, 0, 1));
  EXPECT_EQ(StripPixel(strip, second.left + 1, 1), SkinPixel(kIdbTabSelected, 0, 1));
  EXPECT_EQ(CountColour(strip, first, kPanelSelectedText), 0);
  EXPECT_GT(CountColour(strip, first, UiTheme().clrText), 0);
  EXPECT_GT(CountColour(strip, second, kPanelSelectedText), 0);
}

struct PassThroughCase {
  std::string name;
  BOOL passThrough;
  CSize parentMoves;  // by a drag on the strip's empty area
};

class TabPassThrough : public TabStripTest, public ::testing::WithParamInterface<PassThroughCase> {};

TEST_P(TabPassThrough, EmptyAreaPressReachesTheParentOnlyWhenSetWhileItemsStillSelect) {
  const PassThroughCase& c = GetParam();
  parent_->hitTest = HTCAPTION;  // a parent dragged from anywhere
  Tab strip(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, UiTheme().clrText, TRUE, c.passThrough);
  CreateTab(strip, 600);
  SetItems(strip, kMainItems);
  Pump();
  CRect before;
  parent_->GetWindowRect(&before);

  const CPoint empty = OnScreen(strip, CPoint(500, 10));
  Screen().Drag(empty, CPoint(empty.x + 10, empty.y + 20), 2);
  Pump();
  CRect after;
  parent_->GetWindowRect(&after);
  EXPECT_EQ(after.TopLeft(), CPoint(before.left + c.parentMoves.cx, before.top + c.parentMoves.cy));
  EXPECT_TRUE(Selections().empty());

  Click(strip, ItemRect(strip, 1).CenterPoint());
  EXPECT_EQ(strip.GetCurSel(), 1);
  EXPECT_EQ(Selections(), (std::vector<std::pair<WPARAM, LPARAM>>{{kMainTabId, 1}}));
}

INSTANTIATE_TEST_SUITE_P(Settings, TabPassThrough,
                         ::testing::Values(PassThroughCase{"pass_through", TRUE, CSize(10, 20)},
                                           PassThroughCase{"opaque", FALSE, CSize(0, 0)}),
                         CaseName());

// --- Emptying, resizing, missing skins ------------------------------------------------

TEST_F(TabStripTest, EmptiedStripPaintsTheNormalFaceAcrossAndKeepsItsSelection) {
  auto strip = MainStrip();
  const int width = 300;
  CreateTab(*strip, width);
  SetItems(*strip, {"我的股票", "选股", "自选"});
  ASSERT_EQ(strip->SetCurSel(2), 2);
  Pump();

  strip->SetItemCount(0);
  EXPECT_EQ(strip->GetItemCount(), 0);
  EXPECT_EQ(strip->GetCurSel(), 2) << "the selection is left as it was";
  CRect rect;
  EXPECT_FALSE(strip->GetItemRect(0, &rect));
  EXPECT_EQ(strip->SetCurSel(0), -1);
  EXPECT_EQ(strip->SetItemText(0, "我的股票"), -1);
  strip->Invalidate();
  Pump();
  const int h = FaceHeight();
  for (int y = 0; y < h; ++y) {
    const COLORREF face = SkinPixel(kIdbTabNormal, 0, y);
    for (int x = 0; x < width; ++x) ASSERT_EQ(StripPixel(*strip, x, y), face) << x << "," << y;
  }
  Click(*strip, CPoint(20, 10));
  EXPECT_TRUE(Selections().empty());
}

TEST_F(TabStripTest, ResizeRebuildsTheSurfaceAtTheNewWidth) {
  auto strip = MainStrip();
  CreateTab(*strip, 40);  // inside the selected first item
  SetItems(*strip, kMainItems);
  Pump();
  strip->MoveWindow(0, 0, 700, FaceHeight());
  Pump();
  const CRect second = ItemRect(*strip, 1);
  ASSERT_GT(second.left, 40);
  EXPECT_EQ(StripPixel(*strip, 1, 1), SkinPixel(kIdbTabSelected, 0, 1));
  for (int x : {static_cast<int>(second.left), 600, 699}) {
    EXPECT_EQ(StripPixel(*strip, x, 1), SkinPixel(kIdbTabNormal, 0, 1)) << x;
  }
}

TEST_F(TabStripTest, MissingSkinLeavesTheStripBlankAndUnclickable) {
  constexpr UINT kNoSuchBitmap = 59999;
  Tab strip(kIdbTabNormal, kNoSuchBitmap, kIdbTabSeparator, UiTheme().clrText, TRUE, FALSE);
  CreateTab(strip, 300);
  SetItems(strip, kMainItems);
  Pump();
  for (int x : {0, 20, 299}) EXPECT_EQ(StripPixel(strip, x, 1), RGB(0, 0, 0)) << x;
  EXPECT_TRUE(ItemRect(strip, 0).IsRectEmpty());
  Click(strip, CPoint(20, 10));
  Click(strip, CPoint(100, 10));
  EXPECT_TRUE(Selections().empty());
  EXPECT_EQ(strip.GetCurSel(), 0);
}

// --- Refusals ---------------------------------------------------------------------

struct OutOfRangeCase {
  std::string name;
  int index;
};

class TabOutOfRange : public TabStripTest, public ::testing::WithParamInterface<OutOfRangeCase> {};

TEST_P(TabOutOfRange, IsRefusedWithMinusOneAndChangesNothing) {
  const int index = GetParam().index;
  auto tab = MainStrip();
  CreateTab(*tab, 600);
  SetItems(*tab, kMainItems);
  ASSERT_EQ(tab->SetCurSel(1), 1);
  EXPECT_EQ(tab->SetItemText(index, "坏"), -1);
  EXPECT_EQ(tab->SetCurSel(index), -1);
  EXPECT_EQ(tab->GetCurSel(), 1);
  CRect rect;
  EXPECT_FALSE(tab->GetItemRect(index, &rect));

  ScopedWindow<CKivDesk_Wnd_Tab2> text;
  CreateTab2(text, 600);
  SetItems(text, {"推荐", "排行榜", "盯盘", "价值排行"});
  ASSERT_EQ(text.SetCurSel(1), 1);
  EXPECT_EQ(text.SetItemText(index, "坏"), -1);
  EXPECT_EQ(text.SetCurSel(index), -1);
  EXPECT_EQ(text.GetCurSel(), 1);

  // The captions stay as they were.
  KivTabItems items;
  items.SetCount(4);
  items.SetText(0, "推荐");
  EXPECT_EQ(items.SetText(index, "坏"), -1);
  EXPECT_EQ(items.Text(0), "推荐");
  for (int i = 1; i < 4; ++i) EXPECT_EQ(items.Text(i), "") << i;
}

INSTANTIATE_TEST_SUITE_P(Indexes, TabOutOfRange,
                         ::testing::Values(OutOfRangeCase{"minus_one", -1}, OutOfRangeCase{"count", 4},
                                           OutOfRangeCase{"far_above", 1000}, OutOfRangeCase{"int_min", INT_MIN},
                                           OutOfRangeCase{"int_max", INT_MAX}),
                         CaseName());

TEST_F(TabStripTest, EmptyStripRefusesEverySelection) {
  auto tab = MainStrip();
  EXPECT_EQ(tab->SetCurSel(0), -1);
  EXPECT_EQ(tab->GetCurSel(), 0);
  tab->SetItemCount(-3);
  EXPECT_EQ(tab->GetItemCount(), 0);
  EXPECT_EQ(tab->SetItemText(0, "选股"), -1);
}

}  // namespace
}  // namespace test
}  // namespace kiv
