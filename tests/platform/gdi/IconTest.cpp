// Icons by resource id: LoadIcon from the installed program table, DrawIcon
// on a DC with the icon's alpha, DestroyIcon, and what a handle of the wrong
// kind, a stale table or a made-up value gets.
#include <gtest/gtest.h>

#include "platform/core/WinUser.h"
#include "platform/gdi/IconRecord.h"
#include "res/ResourceTables.h"
#include "tests/platform/gdi/GdiTestSupport.h"

namespace kiv {
namespace gdi {
namespace {

using test::Canvas;
using test::kGreen;

// The alpha of a pixel of an icon image (premultiplied ARGB).
int IconAlphaAt(Surface& image, int x, int y) { return image.Pixels()[y * image.Stride() + x * 4 + 3]; }

// Checks that the canvas shows `image` at (left, top), 32 x 32, over
// `background`: opaque pixels as they are, transparent ones not at all.
// Pixels of partial alpha (the edges of rounded corners) blend and are left
// out. Returns how many opaque and transparent pixels were compared.
std::pair<int, int> ExpectIconAt(const Canvas& canvas, Surface& image, int left, int top, COLORREF background) {
  int opaque = 0;
  int clear = 0;
  for (int y = 0; y < kIconSize; ++y) {
    for (int x = 0; x < kIconSize; ++x) {
      const int alpha = IconAlphaAt(image, x, y);
      if (alpha == 255) {
        ++opaque;
        EXPECT_EQ(canvas.At(left + x, top + y), image.PixelAt(x, y)) << x << "," << y;
      } else if (alpha == 0) {
        ++clear;
        EXPECT_EQ(canvas.At(left + x, top + y), background) << x << "," << y;
      }
    }
  }
  return {opaque, clear};
}

class IconTest : public ::testing::Test {
 protected:
  void SetUp() override { res::UseDeskResources(); }
  void TearDown() override { SetResourceTable(nullptr); }
};

TEST_F(IconTest, LoadIconGivesTheTablesIconAndDrawIconPaintsItWithItsAlpha) {
  HICON icon = ::LoadIcon(nullptr, MAKEINTRESOURCE(179));
  ASSERT_NE(icon, nullptr);
  // Icons are shared: loading the id again gives the same handle.
  EXPECT_EQ(::LoadIcon(nullptr, MAKEINTRESOURCE(179)), icon);
  std::shared_ptr<Surface> expected = res::DeskResources().LoadIcon(179, kIconSize);
  ASSERT_NE(expected, nullptr);

  Canvas canvas(100, 60, kGreen);
  EXPECT_TRUE(::DrawIcon(canvas.dc.GetSafeHdc(), 10, 12, icon));
  EXPECT_TRUE(canvas.dc.DrawIcon(CPoint(60, 20), icon));
  for (POINT at : {POINT{10, 12}, POINT{60, 20}}) {
    auto [opaque, clear] = ExpectIconAt(canvas, *expected, at.x, at.y, kGreen);
    EXPECT_GT(opaque, 500);  // the round box
    EXPECT_GT(clear, 0);     // its corners
  }
  // Nothing outside the two 32 x 32 boxes.
  const CRect boxes[] = {CRect(10, 12, 42, 44), CRect(60, 20, 92, 52)};
  int outside = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 100; ++x) {
      const bool inBox = boxes[0].PtInRect(CPoint(x, y)) || boxes[1].PtInRect(CPoint(x, y));
      outside += !inBox && canvas.At(x, y) != kGreen ? 1 : 0;
    }
  }
  EXPECT_EQ(outside, 0);
}

TEST_F(IconTest, DrawIconHonoursTheViewportAndTheClip) {
  HICON icon = ::LoadIcon(nullptr, MAKEINTRESOURCE(179));
  ASSERT_NE(icon, nullptr);
  Canvas canvas(80, 80, kGreen);
  canvas.dc.SetViewportOrg(20, 20);
  canvas.dc.IntersectClipRect(0, 0, 16, 80);  // the icon's left half only
  EXPECT_TRUE(canvas.dc.DrawIcon(0, 0, icon));
  EXPECT_EQ(canvas.Changed(kGreen), CRect(20, 20, 36, 52));
}

struct MissingIconCase {
  const char* name;
  bool withTable;
  LPCSTR resource;
};

class MissingIconTest : public ::testing::TestWithParam<MissingIconCase> {
 protected:
  void TearDown() override { SetResourceTable(nullptr); }
};

TEST_P(MissingIconTest, GivesNoIconAndDrawsNothing) {
  const MissingIconCase& c = GetParam();
  SetResourceTable(c.withTable ? &res::DeskResources() : nullptr);
  HICON icon = ::LoadIcon(nullptr, c.resource);
  EXPECT_EQ(icon, nullptr);
  Canvas canvas(40, 40, kGreen);
  EXPECT_FALSE(::DrawIcon(canvas.dc.GetSafeHdc(), 0, 0, icon));
  EXPECT_EQ(canvas.Count(kGreen), 40 * 40);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, MissingIconTest,
    ::testing::Values(MissingIconCase{"id_the_table_lacks", true, MAKEINTRESOURCE(4242)},
                      MissingIconCase{"bitmap_id_is_no_icon", true, MAKEINTRESOURCE(217)},
                      MissingIconCase{"no_table_installed", false, MAKEINTRESOURCE(179)},
                      MissingIconCase{"name_given_as_text", true, "MAINICON"}),
    [](const ::testing::TestParamInfo<MissingIconCase>& info) { return std::string(info.param.name); });

TEST_F(IconTest, ATableInstalledLaterIsNeverAnsweredFromAnOlderOne) {
  ASSERT_NE(::LoadIcon(nullptr, MAKEINTRESOURCE(179)), nullptr);
  ASSERT_NE(::LoadCursor(nullptr, MAKEINTRESOURCE(res::kIdcHand)), nullptr);
  res::UseUpdaterResources();  // has icon 128, not 179
  EXPECT_EQ(::LoadIcon(nullptr, MAKEINTRESOURCE(179)), nullptr);
  EXPECT_NE(::LoadIcon(nullptr, MAKEINTRESOURCE(128)), nullptr);
  SetResourceTable(nullptr);
  EXPECT_EQ(::LoadIcon(nullptr, MAKEINTRESOURCE(128)), nullptr);
  EXPECT_EQ(::LoadCursor(nullptr, MAKEINTRESOURCE(res::kIdcHand)), nullptr);
}

TEST_F(IconTest, DestroyIconKeepsASharedIconUsableAndRefusesWhatIsNoIcon) {
  HICON icon = ::LoadIcon(nullptr, MAKEINTRESOURCE(179));
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(::DestroyIcon(icon));
  // A window may still show it: it draws as before.
  Canvas canvas(40, 40, kGreen);
  EXPECT_TRUE(canvas.dc.DrawIcon(0, 0, icon));
  EXPECT_LT(canvas.Count(kGreen), 40 * 40 / 2);

  int notAnIcon = 0;
  HICON madeUp = reinterpret_cast<HICON>(&notAnIcon);
  EXPECT_FALSE(::DestroyIcon(nullptr));
  EXPECT_FALSE(::DestroyIcon(madeUp));
  EXPECT_FALSE(::DestroyIcon(::LoadCursor(nullptr, IDC_ARROW)));
  Canvas untouched(40, 40, kGreen);
  EXPECT_FALSE(untouched.dc.DrawIcon(0, 0, madeUp));
  EXPECT_EQ(untouched.Count(kGreen), 40 * 40);
}

TEST_F(IconTest, CursorsAndIconsAreOneKindOfHandle) {
  // A cursor with a picture draws like an icon; a standard cursor has no
  // picture of ours to draw.
  HCURSOR hand = ::LoadCursor(nullptr, MAKEINTRESOURCE(res::kIdcHand));
  ASSERT_NE(hand, nullptr);
  Canvas canvas(40, 40, kGreen);
  EXPECT_TRUE(canvas.dc.DrawIcon(0, 0, hand));
  EXPECT_LT(canvas.Count(kGreen), 40 * 40);
  EXPECT_FALSE(canvas.dc.DrawIcon(0, 0, ::LoadCursor(nullptr, IDC_ARROW)));
  // An icon given as a cursor points with its centre.
  const IconRecord* asCursor = IconRecordOf(::LoadIcon(nullptr, MAKEINTRESOURCE(179)));
  ASSERT_NE(asCursor, nullptr);
  EXPECT_EQ(CPoint(asCursor->hotSpot), CPoint(16, 16));
}

}  // namespace
}  // namespace gdi
}  // namespace kiv
