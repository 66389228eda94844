// The screen as the program sees it: GetDC(nullptr) is a picture of its own
// shown top-level windows in z-order, the size of the screen, and the
// system's non-client metrics give the status bar's font.
#include <cstring>

#include "platform/gdi/Bitmap.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {
namespace {

class ScreenDcTest : public WindowTest {};

TEST_F(ScreenDcTest, TheScreenDcShowsOurShownWindowsInZOrderAtTheScreensSize) {
  TestWnd* low = Top("low", CRect(100, 100, 300, 200));
  low->fill = RGB(200, 0, 0);
  TestWnd* high = Top("high", CRect(250, 150, 400, 260));
  high->fill = RGB(0, 0, 200);
  TestWnd* hidden = Top("hidden", CRect(120, 110, 140, 130), WS_POPUP);
  hidden->fill = RGB(0, 200, 0);
  Pump();

  HDC screen = ::GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  CDC* dc = CDC::FromHandle(screen);
  EXPECT_EQ(dc->GetDeviceCaps(HORZRES), 1366);
  EXPECT_EQ(dc->GetDeviceCaps(VERTRES), 768);
  EXPECT_EQ(dc->GetPixel(130, 120), RGB(200, 0, 0));  // the hidden window is not there
  EXPECT_EQ(dc->GetPixel(260, 160), RGB(0, 0, 200));  // the higher window covers the lower
  EXPECT_EQ(dc->GetPixel(50, 50), RGB(0, 0, 0));      // none of ours: black
  // It is a blit source like any DC.
  CDC memory;
  memory.CreateCompatibleDC(nullptr);
  CBitmap copy;
  copy.CreateCompatibleBitmap(&memory, 20, 20);
  CBitmap* old = memory.SelectObject(&copy);
  memory.BitBlt(0, 0, 20, 20, dc, 240, 140, SRCCOPY);
  EXPECT_EQ(memory.GetPixel(5, 5), RGB(200, 0, 0));
  EXPECT_EQ(memory.GetPixel(15, 15), RGB(0, 0, 200));
  memory.SelectObject(old);
  EXPECT_EQ(::ReleaseDC(nullptr, screen), 1);
  EXPECT_EQ(::ReleaseDC(nullptr, screen), 0);

  // A later picture shows the windows as they are then.
  high->ShowWindow(SW_HIDE);
  screen = ::GetDC(nullptr);
  EXPECT_EQ(CDC::FromHandle(screen)->GetPixel(260, 160), RGB(200, 0, 0));
  ::ReleaseDC(nullptr, screen);
}

TEST_F(ScreenDcTest, TheNonClientMetricsGiveTheStatusFontToACallerOfTheRightSize) {
  NONCLIENTMETRICS metrics;
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(::SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  EXPECT_EQ(metrics.cbSize, 340u);
  EXPECT_EQ(metrics.lfStatusFont.lfHeight, -12);
  EXPECT_EQ(metrics.lfStatusFont.lfWeight, FW_NORMAL);
  EXPECT_STREQ(metrics.lfStatusFont.lfFaceName, "宋体");
  EXPECT_EQ(metrics.lfCaptionFont.lfWeight, FW_BOLD);

  NONCLIENTMETRICS wrong;
  wrong.cbSize = 344;  // a layout this system does not have
  EXPECT_FALSE(::SystemParametersInfo(SPI_GETNONCLIENTMETRICS, 344, &wrong, 0));
  EXPECT_EQ(wrong.lfStatusFont.lfHeight, 0);
  EXPECT_FALSE(::SystemParametersInfo(SPI_GETNONCLIENTMETRICS, 0, nullptr, 0));
}

}  // namespace
}  // namespace test
}  // namespace kiv
