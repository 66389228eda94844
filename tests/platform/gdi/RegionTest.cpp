// Regions as pixel sets: construction, combination, queries.
#include <gtest/gtest.h>

#include "platform/gdi/Rgn.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace gdi {
namespace {

int Area(const Region& r) {
  int n = 0;
  for (const RECT& rc : r.Rects()) n += (rc.right - rc.left) * (rc.bottom - rc.top);
  return n;
}

struct CombineCase {
  const char* name;
  int mode;
  int area;
  int kind;
};

class CombineTest : public ::testing::TestWithParam<CombineCase> {};

// a = (0,0)-(10,10), b = (5,5)-(15,15): 100 pixels each, 25 shared.
TEST_P(CombineTest, CombinesPixelSets) {
  const CombineCase& c = GetParam();
  CRgn a, b, out;
  a.CreateRectRgn(0, 0, 10, 10);
  b.CreateRectRgn(5, 5, 15, 15);
  EXPECT_EQ(out.CombineRgn(&a, &b, c.mode), c.kind) << c.name;
  EXPECT_EQ(Area(out.GetRegion()), c.area) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Modes, CombineTest,
                         ::testing::Values(CombineCase{"and", RGN_AND, 25, SIMPLEREGION},
                                           CombineCase{"or", RGN_OR, 175, COMPLEXREGION},
                                           CombineCase{"xor", RGN_XOR, 150, COMPLEXREGION},
                                           CombineCase{"diff", RGN_DIFF, 75, COMPLEXREGION},
                                           CombineCase{"copy", RGN_COPY, 100, SIMPLEREGION}),
                         kiv::test::CaseName());

TEST(RegionTest, CombineRefusesUnknownModesAndMissingOperands) {
  CRgn a, missing, out;
  a.CreateRectRgn(0, 0, 4, 4);
  EXPECT_EQ(out.CombineRgn(&a, &missing, RGN_OR), ERROR);
  EXPECT_EQ(out.CombineRgn(&a, &a, 42), ERROR);
  EXPECT_EQ(out.CombineRgn(&a, &a, RGN_DIFF), NULLREGION);
}

TEST(RegionTest, EqualSetsHaveEqualRepresentations) {
  Region halves = Region::FromRect(0, 0, 5, 10).Union(Region::FromRect(5, 0, 10, 10));
  Region stacked = Region::FromRect(0, 0, 10, 4).Union(Region::FromRect(0, 4, 10, 10));
  EXPECT_EQ(halves, Region::FromRect(0, 0, 10, 10));
  EXPECT_EQ(stacked, halves);
  EXPECT_EQ(halves.Kind(), SIMPLEREGION);
  Region holed = Region::FromRect(0, 0, 10, 10).Subtract(Region::FromRect(3, 3, 6, 6));
  EXPECT_EQ(holed.Union(Region::FromRect(3, 3, 6, 6)), halves);
}

TEST(RegionTest, PointsAndRectanglesAreTestedHalfOpen) {
  CRgn r;
  r.CreateRectRgn(2, 3, 8, 9);
  EXPECT_TRUE(r.PtInRegion(2, 3));
  EXPECT_TRUE(r.PtInRegion(7, 8));
  EXPECT_FALSE(r.PtInRegion(8, 8));
  EXPECT_FALSE(r.PtInRegion(7, 9));
  RECT touching{8, 3, 12, 9};
  RECT overlapping{7, 8, 12, 12};
  EXPECT_FALSE(r.RectInRegion(&touching));
  EXPECT_TRUE(r.RectInRegion(&overlapping));
  r.OffsetRgn(-2, -3);
  RECT box;
  EXPECT_EQ(r.GetRgnBox(&box), SIMPLEREGION);
  EXPECT_EQ(CRect(box), CRect(0, 0, 6, 6));
}

TEST(RegionTest, EllipseIsSymmetricAndFillsItsBox) {
  Region e = Region::Ellipse(RECT{0, 0, 20, 12});
  EXPECT_EQ(e.Bounds(), CRect(0, 0, 20, 12));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x)
      EXPECT_EQ(e.Contains(x, y), e.Contains(19 - x, 11 - y)) << x << "," << y;
  EXPECT_FALSE(e.Contains(0, 0));
  EXPECT_TRUE(e.Contains(10, 6));
  EXPECT_TRUE(Region::Ellipse(RECT{5, 5, 5, 9}).IsEmpty());
  EXPECT_EQ(Region::Ellipse(RECT{20, 12, 0, 0}), e);
}

TEST(RegionTest, RoundRectCutsOnlyItsCorners) {
  Region r = Region::RoundRect(RECT{0, 0, 30, 20}, 10, 10);
  EXPECT_EQ(r.Bounds(), CRect(0, 0, 30, 20));
  EXPECT_FALSE(r.Contains(0, 0));
  EXPECT_FALSE(r.Contains(29, 19));
  EXPECT_TRUE(r.Contains(15, 0));
  EXPECT_TRUE(r.Contains(0, 10));
}

TEST(RegionTest, PolygonFillModesDifferOnlyWhereEdgesWindTwice) {
  // A square traced twice: ALTERNATE cancels it, WINDING keeps it.
  POINT twice[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_TRUE(Region::Polygon(twice, 8, ALTERNATE).IsEmpty());
  EXPECT_EQ(Region::Polygon(twice, 8, WINDING), Region::FromRect(0, 0, 10, 10));
  POINT triangle[] = {{0, 0}, {10, 0}, {0, 10}};
  Region t = Region::Polygon(triangle, 3, ALTERNATE);
  // Pixels whose centres lie inside: 9 + 8 + ... + 0.
  EXPECT_EQ(Area(t), 45);
  EXPECT_TRUE(t.Contains(0, 8));
  EXPECT_FALSE(t.Contains(0, 9));
}

TEST(RegionTest, SetRectRgnAndCopyRgnReplaceTheSet) {
  CRgn a, b;
  a.CreateEllipticRgn(0, 0, 10, 10);
  a.SetRectRgn(1, 1, 3, 3);
  EXPECT_EQ(Area(a.GetRegion()), 4);
  EXPECT_EQ(b.CopyRgn(&a), SIMPLEREGION);
  EXPECT_TRUE(b.EqualRgn(&a));
  b.OffsetRgn(1, 0);
  EXPECT_FALSE(b.EqualRgn(&a));
}

}  // namespace
}  // namespace gdi
}  // namespace kiv
