// A window's icons: WM_SETICON keeps a big and a small icon per window and
// answers the one it replaces, WM_GETICON reads them back, and on the SDL
// display a top-level window's icon becomes its X window's icon
// (_NET_WM_ICON, read back with xprop; skipped when Xvfb or xprop is not
// installed).
#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/gdi/Resources.h"
#include "platform/gdi/Surface.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/support/XvfbScreen.h"

namespace kiv {
namespace test {
namespace {

constexpr UINT kRedIcon = 1;
constexpr UINT kBlueIcon = 2;

// Two icons of one colour each; the top row starts with a clear pixel and a
// half-transparent one.
class TwoIconTable : public gdi::ResourceTable {
 public:
  std::shared_ptr<gdi::Surface> LoadBitmap(UINT) const override { return nullptr; }
  std::shared_ptr<gdi::Surface> LoadIcon(UINT id, int size) const override {
    if (id != kRedIcon && id != kBlueIcon) return nullptr;
    auto image = std::make_shared<gdi::Surface>(size, size, id == kRedIcon ? RGB(255, 0, 0) : RGB(0, 0, 255));
    // Premultiplied BGRA: the first pixel clear, the second of half alpha.
    uint8_t* row = image->Pixels();
    row[0] = row[1] = row[2] = row[3] = 0;
    row[4] = id == kBlueIcon ? 128 : 0;
    row[5] = 0;
    row[6] = id == kRedIcon ? 128 : 0;
    row[7] = 128;
    image->MarkDirty();
    return image;
  }
  gdi::CursorImage LoadCursor(UINT) const override { return gdi::CursorImage(); }
  bool LoadString(UINT, std::string*) const override { return false; }
};

class WindowIconTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    gdi::SetResourceTable(&table_);
    red_ = LoadIcon(nullptr, MAKEINTRESOURCE(kRedIcon));
    blue_ = LoadIcon(nullptr, MAKEINTRESOURCE(kBlueIcon));
    ASSERT_NE(red_, nullptr);
    ASSERT_NE(blue_, nullptr);
  }
  void TearDown() override {
    WindowTest::TearDown();
    gdi::SetResourceTable(nullptr);
  }
  static HICON Sent(HWND hwnd, UINT msg, WPARAM kind, HICON icon = nullptr) {
    return reinterpret_cast<HICON>(SendMessage(hwnd, msg, kind, reinterpret_cast<LPARAM>(icon)));
  }

  TwoIconTable table_;
  HICON red_ = nullptr;
  HICON blue_ = nullptr;
};

TEST_F(WindowIconTest, SetIconKeepsEachKindPerWindowAndAnswersThePreviousOne) {
  TestWnd* a = Top("a", CRect(0, 0, 100, 100));
  TestWnd* b = Top("b", CRect(200, 0, 300, 100));
  TestWnd* child = Child(a, "child", CRect(0, 0, 10, 10));

  EXPECT_EQ(Sent(*a, WM_SETICON, ICON_BIG, red_), nullptr);
  EXPECT_EQ(a->SetIcon(blue_, FALSE), nullptr);
  EXPECT_EQ(Sent(*a, WM_GETICON, ICON_BIG), red_);
  EXPECT_EQ(Sent(*a, WM_GETICON, ICON_SMALL), blue_);
  EXPECT_EQ(a->GetIcon(TRUE), red_);
  EXPECT_EQ(a->GetIcon(FALSE), blue_);
  // Replacing answers the icon of the same kind, and only that kind changes.
  EXPECT_EQ(a->SetIcon(blue_, TRUE), red_);
  EXPECT_EQ(a->GetIcon(TRUE), blue_);
  EXPECT_EQ(a->GetIcon(FALSE), blue_);
  EXPECT_EQ(Sent(*a, WM_SETICON, ICON_SMALL, nullptr), blue_);
  EXPECT_EQ(a->GetIcon(FALSE), nullptr);
  // ICON_SMALL2 falls back to the big icon when there is no small one.
  EXPECT_EQ(Sent(*a, WM_GETICON, ICON_SMALL2), blue_);
  a->SetIcon(red_, FALSE);
  EXPECT_EQ(Sent(*a, WM_GETICON, ICON_SMALL2), red_);
  // An unknown kind changes nothing and answers nothing.
  EXPECT_EQ(Sent(*a, WM_SETICON, 7, red_), nullptr);
  EXPECT_EQ(Sent(*a, WM_GETICON, 7), nullptr);
  EXPECT_EQ(a->GetIcon(TRUE), blue_);

  // Other windows keep their own, children included.
  EXPECT_EQ(b->GetIcon(TRUE), nullptr);
  EXPECT_EQ(b->GetIcon(FALSE), nullptr);
  EXPECT_EQ(child->SetIcon(red_, TRUE), nullptr);
  EXPECT_EQ(child->GetIcon(TRUE), red_);
  EXPECT_EQ(a->GetIcon(TRUE), blue_);
}

TEST_F(WindowIconTest, AWindowWithoutAHandlerObjectKeepsItsIconsToo) {
  TestWnd* a = Top("a", CRect(0, 0, 100, 100));
  HWND hwnd = a->m_hWnd;
  a->Detach();
  EXPECT_EQ(Sent(hwnd, WM_SETICON, ICON_BIG, red_), nullptr);
  EXPECT_EQ(Sent(hwnd, WM_SETICON, ICON_BIG, blue_), red_);
  EXPECT_EQ(Sent(hwnd, WM_GETICON, ICON_BIG), blue_);
  DestroyWindow(hwnd);
  EXPECT_EQ(Sent(hwnd, WM_GETICON, ICON_BIG), nullptr);  // a dead window answers nothing
}

// The X window's _NET_WM_ICON as numbers (width, height, then ARGB pixels
// row by row); empty when xprop finds no such window or property.
std::vector<unsigned long> XWindowIcon(const std::string& display, const std::string& windowName) {
  const std::string command = "xprop -display " + display + " -name '" + windowName +
                              "' -notype -f _NET_WM_ICON 32c _NET_WM_ICON 2>/dev/null";
  std::vector<unsigned long> values;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return values;
  std::string output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  size_t equals = output.find('=');
  if (equals == std::string::npos) return values;
  std::istringstream numbers(output.substr(equals + 1));
  std::string item;
  while (std::getline(numbers, item, ',')) values.push_back(std::stoul(item));
  return values;
}

class WindowIconScreenTest : public WindowIconTest {
 protected:
  void TearDown() override {
    screen_.Close();  // the SDL display goes before its server
    WindowIconTest::TearDown();
  }
  // Pumps and reads the X icon until it is a 32 x 32 icon of colour `rgb`
  // whose first pixel is clear and whose second has half alpha with its
  // colour whole (an X icon's alpha is not premultiplied); false when it
  // never is within the bound (about ten seconds).
  bool XIconBecomes(const std::string& windowName, unsigned long rgb) {
    const unsigned long opaque = 0xFF000000ul | rgb;
    const unsigned long half = 0x80000000ul | rgb;
    std::vector<unsigned long> icon;
    for (int attempt = 0; attempt < 100; ++attempt) {
      PumpPendingMessages();
      icon = XWindowIcon(screen_.Display(), windowName);
      if (icon.size() == 2 + 32 * 32 && icon[0] == 32 && icon[1] == 32 && icon[2] == 0 && icon[3] == half &&
          icon[4] == opaque && icon.back() == opaque) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ADD_FAILURE() << "the X icon has " << icon.size() << " numbers"
                  << (icon.size() > 3 ? ", the second pixel " + std::to_string(icon[3]) : std::string());
    return false;
  }
  XvfbScreen screen_;
};

TEST_F(WindowIconScreenTest, TheBigIconOrElseTheSmallOneBecomesTheXWindowsIcon) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  if (!ProgramInPath("xprop")) GTEST_SKIP() << "xprop is not installed";
  ASSERT_TRUE(screen_.Open(800, 600));
  // Given before the window shows, as a dialog sets its icons while it
  // initialises; the small one stands in while there is no big one.
  TestWnd* w = Top("icon-window", CRect(100, 80, 300, 160), WS_POPUP);
  w->SetIcon(blue_, FALSE);
  w->ShowWindow(SW_SHOW);
  EXPECT_TRUE(XIconBecomes("icon-window", 0x0000FFul));
  // Then the big one, on a window already shown.
  w->SetIcon(red_, TRUE);
  EXPECT_TRUE(XIconBecomes("icon-window", 0xFF0000ul));
}

}  // namespace
}  // namespace test
}  // namespace kiv
