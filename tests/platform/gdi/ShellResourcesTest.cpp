// The application shell's resources: every bitmap, icon, cursor and string
// its windows load, at the sizes their layouts are built on, and the pixels
// those layouts rely on (texts written on the notices' light body, close
// marks inside the boxes that take the click, page buttons that change when
// lit).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "res/ResourceTables.h"
#include "tests/platform/gdi/GdiTestSupport.h"

namespace kiv {
namespace gdi {
namespace {

struct ShellBitmapSize {
  UINT id;
  int width;
  int height;
};

// Every bitmap the shell's windows load, with the size they are laid out by.
const ShellBitmapSize kShellBitmaps[] = {
    // Page buttons (normal, active): 110 x 40, the button column's width.
    {136, 110, 40}, {144, 110, 40}, {319, 110, 40}, {320, 110, 40}, {131, 110, 40}, {139, 110, 40},
    {130, 110, 40}, {146, 110, 40}, {133, 110, 40}, {141, 110, 40}, {135, 110, 40}, {143, 110, 40},
    {238, 110, 40}, {239, 110, 40}, {134, 110, 40}, {142, 110, 40}, {297, 110, 40}, {296, 110, 40},
    // Head photo: the column's width, in the gap of tab height + 65 above
    // the first page button; the server strip's icon.
    {327, 110, 88}, {246, 16, 16},
    // Title bar: height measure and background column, logo (one row less
    // than the bar), slogan measure, caption buttons (the bar less its
    // bottom row) and the four text buttons.
    {147, 1, 30}, {151, 1, 30}, {330, 190, 29}, {245, 160, 30},
    {152, 28, 29}, {153, 28, 29}, {232, 28, 29}, {233, 28, 29}, {234, 28, 29}, {235, 28, 29},
    {156, 28, 29}, {157, 28, 29}, {333, 64, 29}, {332, 64, 29}, {344, 64, 29}, {343, 64, 29},
    {336, 64, 29}, {337, 64, 29}, {345, 64, 29}, {346, 64, 29},
    // Tab skins (normal, selected, separator) of the main strip, the panels
    // and the panes; the indicator pane's face and separator; the caption
    // and mark buttons of the stock view's tab row (65-pixel slots as high
    // as the row); the picking picture.
    {165, 4, 24}, {163, 4, 24}, {164, 2, 24}, {161, 4, 22}, {160, 4, 22}, {162, 2, 22},
    {229, 4, 22}, {228, 4, 22}, {230, 2, 22}, {182, 4, 24}, {181, 2, 24}, {215, 65, 24},
    {214, 65, 24}, {253, 65, 24}, {252, 65, 24}, {575, 250, 44},
    // Login dialog: background (270 wide, the dialog's design width; as high
    // as the dialog, whose boxes sit at half of it and busy bar 80 above its
    // bottom), edges, login button, close pair, edit pattern (the edits'
    // height), check boxes, rule, edit frame, product picture.
    {205, 270, 400}, {206, 270, 10}, {207, 10, 400}, {189, 96, 32}, {191, 24, 24}, {190, 24, 24},
    {203, 8, 24}, {208, 13, 13}, {209, 13, 13}, {210, 240, 2}, {322, 160, 26}, {329, 120, 60},
    // Caption strip, close pair and logo of the About box and the alert pop-up.
    {217, 1, 22}, {220, 19, 22}, {221, 19, 22}, {323, 35, 22},
    // Password change and risk disclosure.
    {334, 4, 40}, {339, 90, 30}, {338, 90, 30},
    // Phone reminder and countdown notice (its buttons are the hit boxes).
    {306, 480, 260}, {305, 90, 30}, {304, 90, 30}, {314, 420, 230}, {315, 70, 25}, {316, 70, 25},
};

class ShellResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { res::UseDeskResources(); }
  void TearDown() override { SetResourceTable(nullptr); }
};

TEST_F(ShellResourcesTest, EveryBitmapTheShellUsesLoadsAtItsSize) {
  for (const ShellBitmapSize& b : kShellBitmaps) {
    SCOPED_TRACE(b.id);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(b.id));
    EXPECT_EQ(bitmap.GetSize(), CSize(b.width, b.height));
  }
  // The countdown notice is compiled into the updater as well, alike.
  for (UINT id : {314u, 315u, 316u}) {
    SCOPED_TRACE(id);
    auto desk = res::DeskResources().LoadBitmap(id);
    auto updater = res::UpdaterResources().LoadBitmap(id);
    ASSERT_TRUE(desk && updater);
    ASSERT_EQ(desk->Size(), updater->Size());
    EXPECT_EQ(0, std::memcmp(desk->Pixels(), updater->Pixels(), desk->Stride() * desk->Height()));
  }
}

TEST_F(ShellResourcesTest, IconsCursorAndAboutStringTheShellUses) {
  const ResourceTable& desk = res::DeskResources();
  for (UINT id : {179u, 120u, 201u, 202u, 62010u}) {
    for (int size : {16, 32}) {
      SCOPED_TRACE(std::to_string(id) + " at " + std::to_string(size));
      auto icon = desk.LoadIcon(id, size);
      ASSERT_NE(icon, nullptr);
      EXPECT_EQ(icon->Size(), CSize(size, size));
    }
  }
  CursorImage hand = desk.LoadCursor(188);
  ASSERT_NE(hand.image, nullptr);
  EXPECT_EQ(hand.image->Size(), CSize(32, 32));
  EXPECT_TRUE(CRect(0, 0, 32, 32).PtInRect(hand.hotSpot));
  std::string about;
  ASSERT_TRUE(desk.LoadString(101, &about));
  EXPECT_EQ(about, "关于 RYKIVDesk(&A)...");
}

// --- Pixels the layouts rely on ---------------------------------------------

constexpr COLORREF kShellNoticeBody = 0xCCCCCC;

// Where a text written at (x, y) in the given font lands.
CRect ShellTextBox(int x, int y, const std::string& text, int height, int weight) {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CFont font;
  font.CreateFont(height, 0, 0, 0, weight, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 32, "宋体");
  CFont* old = dc.SelectObject(&font);
  CSize size = dc.GetTextExtent(text);
  dc.SelectObject(old);
  return CRect(x, y, x + size.cx, y + size.cy);
}

// The windows write these texts with the body colour as background, so every
// pixel under them must be that colour, and they must lie in the picture.
void ExpectShellBodyUnder(const Surface& image, const CRect& box, const std::string& what) {
  SCOPED_TRACE(what);
  ASSERT_GE(box.left, 0);
  ASSERT_GE(box.top, 0);
  ASSERT_LE(box.right, image.Width());
  ASSERT_LE(box.bottom, image.Height());
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x)
      ASSERT_EQ(image.PixelAt(x, y), kShellNoticeBody) << "at " << x << "," << y;
}

// Pixels brighter than the dark title band near the top-right corner are the
// close mark's: all of them inside the box the window takes as a close, and
// some there.
void ExpectShellCloseMarkIn(const Surface& image, const CRect& hit) {
  int inside = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = image.Width() - 40; x < image.Width(); ++x) {
      COLORREF c = image.PixelAt(x, y);
      if (GetRValue(c) <= 0x60 && GetGValue(c) <= 0x60 && GetBValue(c) <= 0x60) continue;
      ASSERT_TRUE(hit.PtInRect(CPoint(x, y))) << "mark pixel outside the close box at " << x << "," << y;
      ++inside;
    }
  EXPECT_GT(inside, 10);
}

TEST_F(ShellResourcesTest, CountdownNoticeHoldsItsTextsOnTheLightBody) {
  for (bool updater : {false, true}) {
    SCOPED_TRACE(updater ? "updater" : "desk");
    auto image = (updater ? res::UpdaterResources() : res::DeskResources()).LoadBitmap(314);
    ASSERT_NE(image, nullptr);
    const int r = image->Width(), b = image->Height();
    // The countdown row: 12-px line texts and the 15-px bold number.
    ExpectShellBodyUnder(*image, ShellTextBox(62, b - 80, "窗口将在", 12, FW_NORMAL), "line start");
    ExpectShellBodyUnder(*image, ShellTextBox(130, b - 80, "秒后自动执行确定选项!", 12, FW_NORMAL), "line end");
    ExpectShellBodyUnder(*image, ShellTextBox(110, b - 82, "30", 15, 700), "number");
    // Five lines of notice text in the dialog's 12-px font fit between the
    // title band and the countdown row, across the body.
    CRect line = ShellTextBox(16, 0, "程序检测到您的 \"RYKIVDesk.exe\" 正在运行中，无法继续更新！", 12, FW_NORMAL);
    EXPECT_LE(line.right, r - 16);
    CRect notice(16, 30, r - 16, b - 86);
    EXPECT_GE(notice.Height(), 5 * (line.Height() + 2));
    ExpectShellBodyUnder(*image, notice, "notice text");
    // The close box: R - 24 < x < R - 13, T + 6 < y < T + 17.
    ExpectShellCloseMarkIn(*image, CRect(r - 23, 7, r - 13, 17));
  }
}

TEST_F(ShellResourcesTest, PhoneReminderHoldsItsLinesOnTheLightBody) {
  auto image = res::DeskResources().LoadBitmap(306);
  ASSERT_NE(image, nullptr);
  struct Line {
    int x, y;
    const char* text;
    int height, weight;
  };
  const Line lines[] = {
      {95, 62, "您的账户还未与手机绑定！", 15, 700},
      {95, 92, "衡弈正在进行客户系统升级，为提升您的账户安全，提供更", 14, FW_NORMAL},
      {95, 117, "全面的投资服务，需要绑定您的手机号码才能正常使用。", 14, FW_NORMAL},
      {95, 157, "请及时绑定用户本人手机，以避免造成不必要的损失！", 12, FW_NORMAL},
      {95, 177, "如有问题请马上和我们联系，", 12, FW_NORMAL},
      {253, 176, "联系电话：", 13, FW_NORMAL},
      {313, 174, "400-000-0000", 15, 700},
  };
  for (const Line& l : lines) ExpectShellBodyUnder(*image, ShellTextBox(l.x, l.y, l.text, l.height, l.weight), l.text);
  // The close box: R - 23 < x < R - 14, T + 7 < y < T + 16.
  const int r = image->Width();
  ExpectShellCloseMarkIn(*image, CRect(r - 22, 8, r - 14, 16));
  // The buttons sit at (R - 220, B - 50) and (R - 200 + width of 305, B - 50),
  // inside the picture.
  auto first = res::DeskResources().LoadBitmap(305);
  auto second = res::DeskResources().LoadBitmap(304);
  ASSERT_TRUE(first && second);
  const int b = image->Height();
  EXPECT_LE(r - 200 + first->Width() + second->Width(), r);
  EXPECT_LE(b - 50 + std::max(first->Height(), second->Height()), b);
}

TEST_F(ShellResourcesTest, LitPageButtonsLookDifferentFromNormalOnes) {
  const std::pair<UINT, UINT> pairs[] = {{136, 144}, {319, 320}, {131, 139}, {130, 146}, {133, 141},
                                         {135, 143}, {238, 239}, {134, 142}, {297, 296}};
  for (const auto& pair : pairs) {
    SCOPED_TRACE(std::to_string(pair.first) + "/" + std::to_string(pair.second));
    auto normal = res::DeskResources().LoadBitmap(pair.first);
    auto active = res::DeskResources().LoadBitmap(pair.second);
    ASSERT_TRUE(normal && active);
    ASSERT_EQ(normal->Size(), active->Size());
    int differing = 0;
    for (int y = 0; y < normal->Height(); ++y)
      for (int x = 0; x < normal->Width(); ++x) differing += normal->PixelAt(x, y) != active->PixelAt(x, y);
    // Most of the face changes, not a few caption pixels.
    EXPECT_GT(differing, normal->Width() * normal->Height() / 2);
  }
  // Each page shows its own caption.
  auto first = res::DeskResources().LoadBitmap(136);
  auto second = res::DeskResources().LoadBitmap(319);
  ASSERT_TRUE(first && second);
  EXPECT_NE(0, std::memcmp(first->Pixels(), second->Pixels(), first->Stride() * first->Height()));
}

TEST_F(ShellResourcesTest, TitleBarPiecesFitTheBar) {
  const ResourceTable& desk = res::DeskResources();
  auto measure = desk.LoadBitmap(147), column = desk.LoadBitmap(151), logo = desk.LoadBitmap(330);
  auto exit = desk.LoadBitmap(152), maximise = desk.LoadBitmap(232);
  ASSERT_TRUE(measure && column && logo && exit && maximise);
  // The column is painted as high as the logo plus one row: the bar's height.
  EXPECT_EQ(logo->Height() + 1, measure->Height());
  EXPECT_GE(column->Height(), measure->Height());
  // In the compact 300-px window the exit, to-tray and maximise buttons are
  // laid out from 5 px inside the right edge, with a 10-px gap before
  // maximise; the logo stays clear of them.
  EXPECT_LE(logo->Width(), 300 - 5 - 2 * exit->Width() - 10 - maximise->Width());
}

}  // namespace
}  // namespace gdi
}  // namespace kiv
