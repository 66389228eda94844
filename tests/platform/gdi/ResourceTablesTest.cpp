// The two programs' resource tables: sizes the windows rely on, ids the
// programs share or reuse, and lookups through CBitmap::LoadBitmap.
#include <gtest/gtest.h>

#include "res/ResourceTables.h"
#include "tests/platform/gdi/GdiTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace gdi {
namespace {

struct SizeCase {
  bool updater;
  UINT id;
  CSize size;
};

class BitmapSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(BitmapSizeTest, BitmapHasTheSizeTheWindowsExpect) {
  const SizeCase& c = GetParam();
  const ResourceTable& table = c.updater ? res::UpdaterResources() : res::DeskResources();
  std::shared_ptr<Surface> image = table.LoadBitmap(c.id);
  ASSERT_NE(image, nullptr) << c.id;
  EXPECT_EQ(image->Size(), c.size) << c.id;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, BitmapSizeTest,
    ::testing::Values(SizeCase{false, 250, {10, 11}}, SizeCase{false, 247, {10, 11}},
                      SizeCase{false, 248, {11, 10}}, SizeCase{false, 249, {11, 10}},
                      SizeCase{false, 166, {20, 24}}, SizeCase{false, 311, {12, 28}},
                      SizeCase{false, 302, {26, 15}}, SizeCase{true, 139, {480, 22}},
                      SizeCase{true, 133, {20, 22}}, SizeCase{true, 130, {344, 30}},
                      SizeCase{true, 131, {344, 30}}),
    [](const ::testing::TestParamInfo<SizeCase>& info) {
      return std::string(info.param.updater ? "updater_" : "desk_") + std::to_string(info.param.id);
    });

// Pairs a button or strip draws in turn must match in size.
TEST(ResourceTablesTest, NormalAndActivePicturesShareTheirSize) {
  const std::pair<UINT, UINT> pairs[] = {{136, 144}, {319, 320}, {131, 139}, {130, 146}, {133, 141},
                                         {135, 143}, {238, 239}, {134, 142}, {297, 296}, {152, 153},
                                         {232, 233}, {234, 235}, {156, 157}, {333, 332}, {344, 343},
                                         {336, 337}, {345, 346}, {191, 190}, {208, 209}, {165, 163},
                                         {161, 160}, {229, 228}, {215, 214}, {253, 252}, {282, 283}};
  for (const auto& pair : pairs) {
    auto a = res::DeskResources().LoadBitmap(pair.first);
    auto b = res::DeskResources().LoadBitmap(pair.second);
    ASSERT_TRUE(a && b) << pair.first << "/" << pair.second;
    EXPECT_EQ(a->Size(), b->Size()) << pair.first << "/" << pair.second;
  }
}

TEST(ResourceTablesTest, TheProgramsReuseIdsForDifferentPictures) {
  auto desk = res::DeskResources().LoadBitmap(130);
  auto updater = res::UpdaterResources().LoadBitmap(130);
  ASSERT_TRUE(desk && updater);
  EXPECT_NE(desk->Size(), updater->Size());
  // The countdown notice is compiled into both programs.
  for (UINT id : {314u, 315u, 316u}) {
    EXPECT_NE(res::DeskResources().LoadBitmap(id), nullptr) << id;
    EXPECT_NE(res::UpdaterResources().LoadBitmap(id), nullptr) << id;
  }
  EXPECT_EQ(res::UpdaterResources().LoadBitmap(217), nullptr);
}

TEST(ResourceTablesTest, EveryListedBitmapDrawsOpaque) {
  for (UINT id : res::DeskBitmapIds()) {
    auto image = res::DeskResources().LoadBitmap(id);
    ASSERT_NE(image, nullptr) << id;
    const uint8_t* p = image->Pixels();
    for (int y = 0; y < image->Height(); ++y)
      for (int x = 0; x < image->Width(); ++x)
        ASSERT_EQ(p[y * image->Stride() + 4 * x + 3], 255) << id << " at " << x << "," << y;
  }
}

TEST(ResourceTablesTest, ABitmapsSizeIsKnownWithoutDrawingItAndIsTheDrawnSize) {
  for (bool updater : {false, true}) {
    const ResourceTable& table = updater ? res::UpdaterResources() : res::DeskResources();
    for (UINT id : updater ? res::UpdaterBitmapIds() : res::DeskBitmapIds()) {
      SIZE size{0, 0};
      ASSERT_TRUE(table.BitmapSize(id, &size)) << id;
      auto image = table.LoadBitmap(id);
      ASSERT_NE(image, nullptr) << id;
      EXPECT_EQ(size.cx, image->Width()) << id;
      EXPECT_EQ(size.cy, image->Height()) << id;
    }
  }
  SIZE none{7, 7};
  EXPECT_FALSE(res::DeskResources().BitmapSize(59999, &none));
  SetResourceTable(&res::DeskResources());
  EXPECT_EQ(ResourceBitmapSize(136).cx, 110);
  EXPECT_EQ(ResourceBitmapSize(59999).cx, 0);
  SetResourceTable(nullptr);
  EXPECT_EQ(ResourceBitmapSize(136).cx, 0) << "no table installed";
}

TEST(ResourceTablesTest, LoadBitmapUsesTheInstalledProgramsTable) {
  res::UseUpdaterResources();
  CBitmap bitmap;
  EXPECT_TRUE(bitmap.LoadBitmap(139));
  EXPECT_EQ(bitmap.GetSize(), CSize(480, 22));
  CBitmap missing;
  EXPECT_FALSE(missing.LoadBitmap(217));
  res::UseDeskResources();
  EXPECT_TRUE(missing.LoadBitmap(217));
  EXPECT_FALSE(missing.LoadBitmap(9999));
  SetResourceTable(nullptr);
}

TEST(ResourceTablesTest, IconsCursorAndStringsAreThere) {
  const ResourceTable& desk = res::DeskResources();
  for (int size : {16, 32}) {
    auto icon = desk.LoadIcon(179, size);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->Size(), CSize(size, size));
  }
  EXPECT_NE(res::UpdaterResources().LoadIcon(128, 32), nullptr);
  EXPECT_EQ(desk.LoadIcon(4242, 32), nullptr);
  CursorImage hand = desk.LoadCursor(res::kIdcHand);
  ASSERT_NE(hand.image, nullptr);
  EXPECT_TRUE(CRect(0, 0, hand.image->Width(), hand.image->Height()).PtInRect(hand.hotSpot));
  std::string about;
  ASSERT_TRUE(desk.LoadString(res::kIdsAbout, &about));
  EXPECT_EQ(about, "关于 RYKIVDesk(&A)...");
  EXPECT_FALSE(desk.LoadString(4242, &about));
}

}  // namespace
}  // namespace gdi
}  // namespace kiv
