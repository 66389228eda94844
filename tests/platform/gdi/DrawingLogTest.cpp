// The drawing log (texts and blits as drawn), and the pens and blits the
// chart's marks and lines rest on: two-pixel lines, dotted outlines on a
// background colour, and a mark bitmap's half stretched to a smaller box.
#include <gtest/gtest.h>

#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/Resources.h"
#include "res/ResourceTables.h"
#include "tests/platform/gdi/GdiTestSupport.h"

namespace kiv {
namespace gdi {
namespace {

using test::Canvas;
using test::kRed;
using test::kWhite;

TEST(DrawingLogTest, RecordsNothingWhileOffAndTextsWithPlaceAndColourWhileOn) {
  Canvas canvas(200, 60);
  canvas.dc.SetTextColor(RGB(1, 2, 3));
  canvas.dc.TextOut(5, 6, "off");
  {
    ScopedDrawingLog log;
    canvas.dc.SetBkMode(TRANSPARENT);
    canvas.dc.TextOut(10, 12, "1.23万");
    canvas.dc.SetBkMode(OPAQUE);
    canvas.dc.SetBkColor(RGB(0, 0, 0xC0));
    CRect box(20, 30, 180, 60);
    canvas.dc.DrawText("上\n下", -1, &box, DT_LEFT | DT_NOPREFIX);
    std::vector<LoggedText> texts = DrawingLog::Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "1.23万");
    EXPECT_EQ(texts[0].x, 10);
    EXPECT_EQ(texts[0].y, 12);
    EXPECT_EQ(texts[0].color, RGB(1, 2, 3));
    EXPECT_FALSE(texts[0].opaque);
    EXPECT_EQ(texts[1].text, "上");
    EXPECT_EQ(texts[2].text, "下");
    EXPECT_EQ(texts[1].x, 20);
    EXPECT_GT(texts[2].y, texts[1].y);
    EXPECT_TRUE(texts[1].opaque);
    EXPECT_EQ(texts[1].background, RGB(0, 0, 0xC0));
    EXPECT_EQ(texts[1].target, canvas.bitmap.GetSurface());
  }
  EXPECT_TRUE(DrawingLog::Texts().empty());
  canvas.dc.TextOut(5, 6, "off again");
  EXPECT_TRUE(DrawingLog::Texts().empty());
}

TEST(DrawingLogTest, RecordsBlitsWithTheSourceBitmapsResourceAndBothRectangles) {
  res::UseDeskResources();
  CBitmap marks;
  ASSERT_TRUE(marks.LoadBitmap(311));
  CDC source;
  source.CreateCompatibleDC(nullptr);
  CBitmap* old = source.SelectObject(&marks);
  Canvas canvas(60, 60);
  ScopedDrawingLog log;
  canvas.dc.StretchBlt(10, 20, 8, 14, &source, 0, 14, 12, 14, SRCCOPY);
  canvas.dc.BitBlt(1, 2, 3, 4, &source, 5, 6, SRCCOPY);
  std::vector<LoggedBlit> blits = DrawingLog::Blits();
  ASSERT_EQ(blits.size(), 2u);
  EXPECT_EQ(blits[0].sourceResource, 311u);
  EXPECT_EQ(blits[0].sourceSize.cx, 12);
  EXPECT_EQ(blits[0].sourceSize.cy, 28);
  EXPECT_EQ(CRect(blits[0].dest), CRect(10, 20, 18, 34));
  EXPECT_EQ(CRect(blits[0].source), CRect(0, 14, 12, 28));
  EXPECT_EQ(CRect(blits[1].dest), CRect(1, 2, 4, 6));
  EXPECT_EQ(CRect(blits[1].source), CRect(5, 6, 8, 10));
  source.SelectObject(old);
}

TEST(ChartPrimitivesTest, TwoPixelPenCoversTwoRowsOfAHorizontalLineAndTwoColumnsOfAVerticalOne) {
  Canvas canvas(40, 40);
  CPen pen(PS_SOLID, 2, kRed);
  canvas.dc.SelectObject(&pen);
  canvas.dc.MoveTo(5, 10);
  canvas.dc.LineTo(30, 10);
  canvas.dc.MoveTo(20, 15);
  canvas.dc.LineTo(20, 35);
  int rows = 0;
  for (int y = 5; y < 15; ++y) rows += canvas.At(12, y) == kRed ? 1 : 0;
  int columns = 0;
  for (int x = 15; x < 25; ++x) columns += canvas.At(x, 25) == kRed ? 1 : 0;
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(columns, 2);
}

TEST(ChartPrimitivesTest, DottedOutlineOnABlackBackgroundFillsItsGapsBlack) {
  Canvas canvas(40, 40);
  CPen pen(PS_DOT, 1, RGB(0xFF, 0xFF, 0x40));
  canvas.dc.SelectObject(&pen);
  canvas.dc.SetBkMode(OPAQUE);
  canvas.dc.SetBkColor(RGB(0, 0, 0));
  canvas.dc.MoveTo(5, 30);
  canvas.dc.LineTo(5, 5);
  canvas.dc.LineTo(25, 5);
  canvas.dc.LineTo(25, 30);
  EXPECT_EQ(canvas.Count(RGB(0xFF, 0xFF, 0x40)) + canvas.Count(RGB(0, 0, 0)), 25 + 20 + 25);
  EXPECT_GT(canvas.Count(RGB(0, 0, 0)), 30);
  EXPECT_EQ(canvas.At(15, 20), kWhite);
}

TEST(ChartPrimitivesTest, MarkBitmapHalfStretchesIntoAnEightByFourteenBox) {
  res::UseDeskResources();
  CBitmap marks;
  ASSERT_TRUE(marks.LoadBitmap(311));
  CDC source;
  source.CreateCompatibleDC(nullptr);
  CBitmap* old = source.SelectObject(&marks);
  Canvas canvas(40, 40, kWhite);
  canvas.dc.StretchBlt(10, 10, 8, 14, &source, 0, 0, 12, 14, SRCCOPY);
  source.SelectObject(old);
  // Exactly the box changed, and the buy half's rise colour is in it.
  EXPECT_EQ(canvas.Count(kWhite, RECT{10, 10, 18, 24}), 0);
  EXPECT_EQ(canvas.Count(kWhite), 40 * 40 - 8 * 14);
  int reddish = 0;
  for (int y = 10; y < 24; ++y)
    for (int x = 10; x < 18; ++x) {
      COLORREF c = canvas.At(x, y);
      if (GetRValue(c) > 0x80 && GetGValue(c) < 0x60) ++reddish;
    }
  EXPECT_GT(reddish, 0);
}

}  // namespace
}  // namespace gdi
}  // namespace kiv
