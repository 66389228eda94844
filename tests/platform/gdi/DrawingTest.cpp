// Lines, shapes, pens, brushes, mixes, clipping and DC state, checked pixel by
// pixel on memory DCs.
#include <gtest/gtest.h>

#include <functional>

#include "tests/platform/gdi/GdiTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace gdi {
namespace {

using test::Canvas;
using test::kBlack;
using test::kBlue;
using test::kGreen;
using test::kRed;
using test::kWhite;

struct LineCase {
  const char* name;
  POINT from;
  POINT to;
};

class LineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineTest, DrawsFromStartUpToButExcludingTheEndPoint) {
  const LineCase& c = GetParam();
  Canvas canvas(40, 40);
  CPen pen(PS_SOLID, 1, kRed);
  canvas.dc.SelectObject(&pen);
  canvas.dc.MoveTo(c.from);
  canvas.dc.LineTo(c.to);
  int steps = std::max(std::abs(c.to.x - c.from.x), std::abs(c.to.y - c.from.y));
  EXPECT_EQ(canvas.Count(kRed), steps) << c.name;
  EXPECT_EQ(canvas.At(c.from.x, c.from.y), kRed) << c.name;
  EXPECT_EQ(canvas.At(c.to.x, c.to.y), kWhite) << c.name;
  EXPECT_EQ(canvas.dc.GetCurrentPosition(), CPoint(c.to)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Directions, LineTest,
    ::testing::Values(LineCase{"right", {2, 5}, {30, 5}}, LineCase{"left", {30, 5}, {2, 5}},
                      LineCase{"down", {7, 1}, {7, 33}}, LineCase{"up", {7, 33}, {7, 1}},
                      LineCase{"diagonal", {1, 1}, {21, 21}}, LineCase{"steep", {3, 2}, {9, 37}},
                      LineCase{"shallow", {35, 3}, {2, 12}}),
    kiv::test::CaseName());

TEST(PenTest, OnePixelPenCoversExactlyOneRowAndOneColumn) {
  Canvas canvas(30, 30);
  CPen pen(PS_SOLID, 0, kRed);
  canvas.dc.SelectObject(&pen);
  canvas.dc.MoveTo(2, 10);
  canvas.dc.LineTo(25, 10);
  canvas.dc.MoveTo(15, 2);
  canvas.dc.LineTo(15, 25);
  EXPECT_EQ(canvas.Count(kRed, RECT{0, 9, 30, 10}), 1);   // only the vertical line's pixel
  EXPECT_EQ(canvas.Count(kRed, RECT{0, 11, 30, 12}), 1);
  EXPECT_EQ(canvas.Count(kRed, RECT{0, 10, 30, 11}), 23);
  EXPECT_EQ(canvas.Count(kRed, RECT{14, 0, 15, 30}), 1);
}

TEST(PenTest, WidePenCoversItsWidthAcrossTheLine) {
  Canvas canvas(40, 20);
  CPen pen(PS_SOLID, 3, kRed);
  canvas.dc.SelectObject(&pen);
  canvas.dc.MoveTo(10, 10);
  canvas.dc.LineTo(30, 10);
  for (int y = 9; y <= 11; ++y) EXPECT_EQ(canvas.At(20, y), kRed) << y;
  EXPECT_EQ(canvas.At(20, 8), kWhite);
  EXPECT_EQ(canvas.At(20, 12), kWhite);
}

struct DotCase {
  int bkMode;
  COLORREF gapColor;
};

class DottedPenTest : public ::testing::TestWithParam<DotCase> {};

TEST_P(DottedPenTest, GapsFollowTheBackgroundMode) {
  Canvas canvas(40, 5);
  CPen pen(PS_DOT, 1, kRed);
  canvas.dc.SelectObject(&pen);
  canvas.dc.SetBkColor(kGreen);
  canvas.dc.SetBkMode(GetParam().bkMode);
  canvas.dc.MoveTo(0, 2);
  canvas.dc.LineTo(36, 2);
  int red = canvas.Count(kRed), gaps = canvas.Count(GetParam().gapColor, RECT{0, 2, 36, 3});
  EXPECT_EQ(red, 18);
  EXPECT_EQ(gaps, 18);
  // Dots and gaps alternate.
  EXPECT_EQ(canvas.At(0, 2), kRed);
  EXPECT_EQ(canvas.At(35, 2), GetParam().gapColor);
}

INSTANTIATE_TEST_SUITE_P(Modes, DottedPenTest,
                         ::testing::Values(DotCase{OPAQUE, kGreen}, DotCase{TRANSPARENT, kWhite}),
                         [](const ::testing::TestParamInfo<DotCase>& info) {
                           return std::string(info.param.bkMode == OPAQUE ? "opaque" : "transparent");
                         });

TEST(PenTest, NullPenDrawsNoLine) {
  Canvas canvas(20, 20);
  CPen pen(PS_NULL, 1, kRed);
  canvas.dc.SelectObject(&pen);
  canvas.dc.MoveTo(0, 0);
  canvas.dc.LineTo(19, 19);
  EXPECT_EQ(canvas.Count(kWhite), 400);
}

TEST(ShapeTest, RectangleOutlinesWithThePenAndFillsWithTheBrushExcludingRightAndBottom) {
  Canvas canvas(20, 20);
  CPen pen(PS_SOLID, 1, kRed);
  CBrush brush(kBlue);
  canvas.dc.SelectObject(&pen);
  canvas.dc.SelectObject(&brush);
  canvas.dc.Rectangle(2, 3, 12, 10);
  EXPECT_EQ(canvas.Changed(kWhite), CRect(2, 3, 12, 10));
  EXPECT_EQ(canvas.Count(kRed), 2 * 10 + 2 * 5);
  EXPECT_EQ(canvas.Count(kBlue), 8 * 5);
  EXPECT_EQ(canvas.At(11, 9), kRed);
}

TEST(ShapeTest, RectangleWithNullPenFillsOnePixelLess) {
  Canvas canvas(20, 20);
  CBrush brush(kBlue);
  canvas.dc.SelectStockObject(NULL_PEN);
  canvas.dc.SelectObject(&brush);
  canvas.dc.Rectangle(2, 3, 12, 10);
  EXPECT_EQ(canvas.Changed(kWhite), CRect(2, 3, 11, 9));
}

TEST(ShapeTest, FillSolidRectCoversLeftTopToRightBottomExclusiveAndSetsTheBackground) {
  Canvas canvas(20, 20);
  canvas.dc.FillSolidRect(CRect(4, 5, 9, 7), kGreen);
  EXPECT_EQ(canvas.Changed(kWhite), CRect(4, 5, 9, 7));
  EXPECT_EQ(canvas.Count(kGreen), 10);
  EXPECT_EQ(canvas.dc.GetBkColor(), kGreen);
}

TEST(ShapeTest, FrameRectAndDraw3dRectDrawOnePixelFramesInside) {
  Canvas canvas(20, 20);
  CBrush brush(kRed);
  canvas.dc.FrameRect(CRect(1, 1, 6, 6), &brush);
  EXPECT_EQ(canvas.Count(kRed), 16);
  EXPECT_EQ(canvas.At(3, 3), kWhite);
  canvas.dc.Draw3dRect(CRect(10, 10, 15, 15), kGreen, kBlue);
  EXPECT_EQ(canvas.At(10, 10), kGreen);
  EXPECT_EQ(canvas.At(14, 10), kBlue);
  EXPECT_EQ(canvas.At(14, 14), kBlue);
  EXPECT_EQ(canvas.At(10, 13), kGreen);
  EXPECT_EQ(canvas.Changed(kWhite), CRect(1, 1, 15, 15));
}

TEST(ShapeTest, FocusRectInvertsEveryOtherFramePixelAndASecondCallRemovesIt) {
  Canvas canvas(20, 20);
  canvas.dc.DrawFocusRect(CRect(2, 2, 12, 8));
  EXPECT_EQ(canvas.Changed(kWhite), CRect(2, 2, 12, 8));
  EXPECT_EQ(canvas.Count(kBlack), 14);
  EXPECT_EQ(canvas.At(5, 5), kWhite);
  canvas.dc.DrawFocusRect(CRect(2, 2, 12, 8));
  EXPECT_EQ(canvas.Count(kWhite), 400);
}

TEST(ShapeTest, PolygonFillsInsideAndOutlinesEveryEdge) {
  Canvas canvas(30, 30);
  CPen pen(PS_SOLID, 1, kRed);
  CBrush brush(kBlue);
  canvas.dc.SelectObject(&pen);
  canvas.dc.SelectObject(&brush);
  POINT square[] = {{5, 5}, {15, 5}, {15, 15}, {5, 15}};
  canvas.dc.Polygon(square, 4);
  EXPECT_EQ(canvas.Changed(kWhite), CRect(5, 5, 16, 16));
  EXPECT_EQ(canvas.Count(kRed), 40);
  EXPECT_EQ(canvas.Count(kBlue), 81);
}

TEST(ShapeTest, EllipseStaysInsideItsBoxAndTouchesEveryEdge) {
  Canvas canvas(40, 40);
  CPen pen(PS_SOLID, 1, kRed);
  CBrush brush(kBlue);
  canvas.dc.SelectObject(&pen);
  canvas.dc.SelectObject(&brush);
  canvas.dc.Ellipse(5, 8, 31, 28);
  EXPECT_EQ(canvas.Changed(kWhite), CRect(5, 8, 31, 28));
  EXPECT_EQ(canvas.At(18, 18), kBlue);
  EXPECT_EQ(canvas.At(5, 8), kWhite);
}

struct ArcCase {
  const char* name;
  RECT box;
  POINT start;
  POINT end;
};

class ArcTest : public ::testing::TestWithParam<ArcCase> {};

// Each shape call must normalise its box, draw nothing outside it, and leave
// the DC usable (a zero scale would break cairo for good).
TEST_P(ArcTest, NormalisesTheBoxAndLeavesTheDcWorking) {
  const ArcCase& c = GetParam();
  CRect box(c.box);
  box.NormalizeRect();
  using Call = std::function<void(CDC&)>;
  std::vector<Call> calls = {
      [&](CDC& dc) { dc.Chord(c.box.left, c.box.top, c.box.right, c.box.bottom, c.start.x, c.start.y, c.end.x, c.end.y); },
      [&](CDC& dc) { dc.Arc(c.box.left, c.box.top, c.box.right, c.box.bottom, c.start.x, c.start.y, c.end.x, c.end.y); },
      [&](CDC& dc) { dc.Pie(c.box.left, c.box.top, c.box.right, c.box.bottom, c.start.x, c.start.y, c.end.x, c.end.y); },
      [&](CDC& dc) { dc.Ellipse(c.box.left, c.box.top, c.box.right, c.box.bottom); },
      [&](CDC& dc) { dc.RoundRect(c.box.left, c.box.top, c.box.right, c.box.bottom, 6, 6); },
  };
  for (size_t i = 0; i < calls.size(); ++i) {
    Canvas canvas(50, 50);
    CPen pen(PS_SOLID, 1, kRed);
    CBrush brush(kBlue);
    canvas.dc.SelectObject(&pen);
    canvas.dc.SelectObject(&brush);
    calls[i](canvas.dc);
    CRect changed = canvas.Changed(kWhite);
    if (box.IsRectEmpty()) {
      EXPECT_TRUE(changed.IsRectEmpty()) << c.name << " call " << i;
    } else {
      CRect inside;
      inside.IntersectRect(changed, box);
      EXPECT_EQ(inside, changed) << c.name << " call " << i;
      EXPECT_FALSE(changed.IsRectEmpty()) << c.name << " call " << i;
    }
    canvas.dc.FillSolidRect(45, 45, 2, 2, kGreen);
    EXPECT_EQ(canvas.At(46, 46), kGreen) << c.name << " call " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, ArcTest,
    ::testing::Values(ArcCase{"plain", {5, 5, 35, 25}, {35, 15}, {5, 15}},
                      ArcCase{"inverted", {35, 25, 5, 5}, {35, 15}, {5, 15}},
                      ArcCase{"inverted x only", {35, 5, 5, 25}, {20, 0}, {20, 30}},
                      ArcCase{"same start and end", {5, 5, 35, 25}, {35, 15}, {35, 15}},
                      ArcCase{"radials at the centre", {5, 5, 35, 25}, {20, 15}, {20, 15}},
                      ArcCase{"zero width", {10, 5, 10, 25}, {0, 0}, {5, 5}},
                      ArcCase{"zero height", {5, 10, 30, 10}, {0, 0}, {5, 5}},
                      ArcCase{"one pixel", {7, 7, 8, 8}, {0, 0}, {9, 9}}),
    kiv::test::CaseName());

struct MixCase {
  const char* name;
  int rop;
  bool pattern;  // the brush is a 1 x 1 pattern of the same colour
  COLORREF ink;
  COLORREF destination;
  COLORREF expected;
};

class MixTest : public ::testing::TestWithParam<MixCase> {};

TEST_P(MixTest, RegionFillsCombineBrushAndDestination) {
  const MixCase& c = GetParam();
  Canvas canvas(20, 20, c.destination);
  CRgn rgn;
  rgn.CreateRectRgn(2, 2, 8, 8);
  CBrush brush;
  CBitmap tile;
  if (c.pattern) {
    const uint8_t bgra[] = {GetBValue(c.ink), GetGValue(c.ink), GetRValue(c.ink), 0};
    tile.CreateBitmap(1, 1, 1, 32, bgra);
    brush.CreatePatternBrush(&tile);
  } else {
    brush.CreateSolidBrush(c.ink);
  }
  canvas.dc.SetROP2(c.rop);
  canvas.dc.FillRgn(&rgn, &brush);
  EXPECT_EQ(canvas.Count(c.expected, RECT{2, 2, 8, 8}), 36) << c.name;
  EXPECT_EQ(canvas.At(8, 8), c.destination) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Mixes, MixTest,
    ::testing::Values(
        MixCase{"mask", R2_MASKPEN, false, RGB(255, 0, 255), RGB(0, 255, 255), RGB(0, 0, 255)},
        MixCase{"mask with pattern", R2_MASKPEN, true, RGB(255, 0, 255), RGB(0, 255, 255), RGB(0, 0, 255)},
        MixCase{"merge", R2_MERGEPEN, false, RGB(0x0F, 0, 0), RGB(0xF0, 0x11, 0), RGB(0xFF, 0x11, 0)},
        MixCase{"xor", R2_XORPEN, false, RGB(0xFF, 0x0F, 0), RGB(0x0F, 0x0F, 0x0F), RGB(0xF0, 0, 0x0F)},
        MixCase{"not", R2_NOT, false, RGB(1, 2, 3), RGB(0, 0xFF, 0x10), RGB(0xFF, 0, 0xEF)},
        MixCase{"copy", R2_COPYPEN, false, RGB(9, 8, 7), RGB(1, 1, 1), RGB(9, 8, 7)},
        MixCase{"nop", R2_NOP, false, RGB(9, 8, 7), RGB(1, 1, 1), RGB(1, 1, 1)},
        MixCase{"black", R2_BLACK, false, RGB(9, 8, 7), RGB(1, 1, 1), RGB(0, 0, 0)},
        MixCase{"not copy", R2_NOTCOPYPEN, false, RGB(255, 0, 255), RGB(1, 1, 1), RGB(0, 255, 0)},
        MixCase{"not copy with pattern", R2_NOTCOPYPEN, true, RGB(255, 0, 255), RGB(1, 1, 1), RGB(0, 255, 0)}),
    kiv::test::CaseName());

struct RgnShapeCase {
  const char* name;
  std::function<void(CRgn*)> make;
};

class FillRgnTest : public ::testing::TestWithParam<RgnShapeCase> {};

// Filling a region paints exactly the pixels the region contains, so the
// window system can paint, clip and hit-test with the same sets.
TEST_P(FillRgnTest, PaintsExactlyThePixelsTheRegionHolds) {
  Canvas canvas(40, 40);
  CRgn rgn;
  GetParam().make(&rgn);
  CBrush brush(kRed);
  canvas.dc.FillRgn(&rgn, &brush);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(canvas.At(x, y) == kRed, rgn.PtInRegion(x, y) != FALSE) << GetParam().name << " " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, FillRgnTest,
    ::testing::Values(
        RgnShapeCase{"ellipse", [](CRgn* r) { r->CreateEllipticRgn(3, 5, 33, 29); }},
        RgnShapeCase{"round rect", [](CRgn* r) { r->CreateRoundRectRgn(2, 2, 38, 30, 12, 8); }},
        RgnShapeCase{"polygon", [](CRgn* r) {
          POINT star[] = {{20, 1}, {26, 38}, {2, 14}, {38, 14}, {14, 38}};
          r->CreatePolygonRgn(star, 5, ALTERNATE);
        }},
        RgnShapeCase{"combined", [](CRgn* r) {
          CRgn a, b;
          a.CreateRectRgn(0, 0, 20, 20);
          b.CreateEllipticRgn(10, 10, 39, 39);
          r->CombineRgn(&a, &b, RGN_XOR);
        }}),
    kiv::test::CaseName());

TEST(RegionPaintTest, FrameRgnDrawsAlongTheInsideOfTheEdges) {
  Canvas canvas(20, 20);
  CRgn rgn;
  rgn.CreateRectRgn(2, 2, 12, 10);
  CBrush brush(kRed);
  canvas.dc.FrameRgn(&rgn, &brush, 2, 1);
  EXPECT_EQ(canvas.Changed(kWhite), CRect(2, 2, 12, 10));
  EXPECT_EQ(canvas.Count(kRed), 10 * 8 - 6 * 6);
}

TEST(RegionPaintTest, PaintRgnUsesTheSelectedBrushAndInvertRgnInverts) {
  Canvas canvas(10, 10);
  CRgn rgn;
  rgn.CreateRectRgn(1, 1, 4, 4);
  CBrush brush(kBlue);
  canvas.dc.SelectObject(&brush);
  canvas.dc.PaintRgn(&rgn);
  EXPECT_EQ(canvas.Count(kBlue), 9);
  canvas.dc.InvertRgn(&rgn);
  EXPECT_EQ(canvas.Count(RGB(255, 255, 0)), 9);
}

TEST(XorTest, XorPenTwiceRestoresTheImage) {
  Canvas canvas(20, 20, RGB(10, 200, 30));
  CPen pen(PS_SOLID, 1, RGB(0x55, 0xAA, 0x0F));
  canvas.dc.SelectObject(&pen);
  canvas.dc.SetROP2(R2_XORPEN);
  for (int pass = 0; pass < 2; ++pass) {
    canvas.dc.MoveTo(1, 1);
    canvas.dc.LineTo(18, 12);
    if (pass == 0) { EXPECT_NE(canvas.At(1, 1), RGB(10, 200, 30)); }
  }
  EXPECT_EQ(canvas.Count(RGB(10, 200, 30)), 400);
}

TEST(ClipTest, IntersectAndExcludeLimitDrawing) {
  Canvas canvas(30, 30);
  canvas.dc.IntersectClipRect(5, 5, 20, 20);
  canvas.dc.ExcludeClipRect(10, 10, 12, 12);
  canvas.dc.FillSolidRect(0, 0, 30, 30, kRed);
  EXPECT_EQ(canvas.Count(kRed), 15 * 15 - 4);
  EXPECT_EQ(canvas.At(10, 10), kWhite);
  CRect box;
  EXPECT_EQ(canvas.dc.GetClipBox(&box), COMPLEXREGION);
  EXPECT_EQ(box, CRect(5, 5, 20, 20));
}

TEST(ClipTest, ClipRegionShapesFillsAndSaveRestoreBringsItBack) {
  Canvas canvas(30, 30);
  int saved = canvas.dc.SaveDC();
  CRgn ellipse;
  ellipse.CreateEllipticRgn(0, 0, 30, 30);
  canvas.dc.SelectClipRgn(&ellipse);
  canvas.dc.FillSolidRect(0, 0, 30, 30, kRed);
  EXPECT_EQ(canvas.At(0, 0), kWhite);
  EXPECT_EQ(canvas.At(15, 15), kRed);
  canvas.dc.RestoreDC(saved);
  canvas.dc.SetPixel(0, 0, kGreen);
  EXPECT_EQ(canvas.At(0, 0), kGreen);
}

TEST(ClipTest, SetPixelOutsideTheClipIsRefused) {
  Canvas canvas(10, 10);
  canvas.dc.IntersectClipRect(0, 0, 5, 5);
  EXPECT_EQ(canvas.dc.SetPixel(7, 7, kRed), CLR_INVALID);
  EXPECT_EQ(canvas.dc.SetPixel(3, 3, kRed), kRed);
  EXPECT_EQ(canvas.dc.GetPixel(3, 3), kRed);
  EXPECT_EQ(canvas.Count(kRed), 1);
}

TEST(DcTest, ViewportOriginMovesLogicalCoordinates) {
  Canvas canvas(20, 20);
  canvas.dc.SetViewportOrg(5, 6);
  canvas.dc.FillSolidRect(0, 0, 2, 2, kRed);
  canvas.dc.IntersectClipRect(0, 0, 3, 3);
  CRect box;
  canvas.dc.GetClipBox(&box);
  EXPECT_EQ(canvas.Changed(kWhite), CRect(5, 6, 7, 8));
  EXPECT_EQ(box, CRect(0, 0, 3, 3));
}

TEST(DcTest, AttachedSurfaceDrawsAtTheOriginInsideTheClip) {
  Surface backing(40, 30, kWhite);
  CDC dc;
  Region clip = Region::FromRect(0, 0, 10, 10).Union(Region::FromRect(15, 0, 20, 5));
  dc.AttachSurface(&backing, POINT{8, 4}, &clip);
  dc.FillSolidRect(0, 0, 40, 40, kRed);
  int red = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) red += backing.PixelAt(x, y) == kRed ? 1 : 0;
  EXPECT_EQ(red, 100 + 25);
  EXPECT_EQ(backing.PixelAt(8, 4), kRed);
  EXPECT_EQ(backing.PixelAt(7, 4), kWhite);
  EXPECT_EQ(backing.PixelAt(23, 4), kRed);
  EXPECT_EQ(dc.GetPixel(0, 0), kRed);
}

TEST(DcTest, SelectObjectReturnsWhatWasSelectedBefore) {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CPen a(PS_SOLID, 1, kRed), b(PS_SOLID, 1, kBlue);
  CPen* stock = dc.SelectObject(&a);
  ASSERT_NE(stock, nullptr);
  EXPECT_EQ(dc.SelectObject(&b), &a);
  EXPECT_EQ(dc.SelectObject(stock), &b);
  EXPECT_EQ(dc.GetCurrentPen()->GetSafeHandle(), stock->GetSafeHandle());
}

TEST(DcTest, WhatSelectStockObjectReturnsSelectsBack) {
  Canvas canvas(10, 10);
  CPen pen(PS_SOLID, 1, kRed);
  canvas.dc.SelectObject(&pen);
  CGdiObject* previous = canvas.dc.SelectStockObject(NULL_PEN);
  EXPECT_EQ(previous, &pen);
  canvas.dc.SelectObject(previous);
  canvas.dc.MoveTo(0, 0);
  canvas.dc.LineTo(5, 0);
  EXPECT_EQ(canvas.Count(kRed), 5);
}

TEST(DcTest, AnObjectDeletedWhileSelectedStillDraws) {
  Canvas canvas(10, 10);
  {
    CBrush brush(kRed);
    canvas.dc.SelectObject(&brush);
  }
  canvas.dc.SelectStockObject(NULL_PEN);
  canvas.dc.Rectangle(0, 0, 5, 5);
  EXPECT_EQ(canvas.Count(kRed), 16);
  LOGBRUSH lb;
  EXPECT_NE(canvas.dc.GetCurrentBrush()->GetLogBrush(&lb), 0);
  EXPECT_EQ(lb.lbColor, kRed);
}

TEST(DcTest, ADcWithoutTargetDrawsNothingAndStillMeasures) {
  CDC dc;
  dc.FillSolidRect(0, 0, 10, 10, kRed);
  dc.LineTo(5, 5);
  EXPECT_EQ(dc.GetPixel(0, 0), CLR_INVALID);
  EXPECT_GT(dc.GetTextExtent("abc").cx, 0);
}

}  // namespace
}  // namespace gdi
}  // namespace kiv
