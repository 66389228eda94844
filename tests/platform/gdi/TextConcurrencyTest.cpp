// Workers may measure and draw text on their own DCs while the UI thread
// does: the shared stock font, the font faces and pango must hold up.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace kiv {
namespace gdi {
namespace {

TEST(TextConcurrencyTest, ThreadsMeasureAndDrawTheSameTextAlike) {
  constexpr int kThreads = 4;
  std::vector<int> widths(kThreads, 0);
  std::vector<COLORREF> firstInk(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &widths, &firstInk] {
      CDC dc;
      dc.CreateCompatibleDC(nullptr);
      CBitmap bitmap;
      bitmap.CreateCompatibleBitmap(&dc, 120, 20);
      dc.SelectObject(&bitmap);
      dc.SetTextColor(RGB(255, 255, 255));
      dc.SetBkMode(TRANSPARENT);
      for (int i = 0; i < 50; ++i) {
        widths[t] = dc.GetTextExtent("行情数据 600036").cx;
        dc.TextOut(0, 0, "行情数据 600036");
      }
      firstInk[t] = bitmap.GetSurface()->PixelAt(3, 5);
      dc.SelectStockObject(SYSTEM_FONT);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 1; t < kThreads; ++t) {
    EXPECT_EQ(widths[t], widths[0]);
    EXPECT_EQ(firstInk[t], firstInk[0]);
  }
  EXPECT_GT(widths[0], 0);
}

}  // namespace
}  // namespace gdi
}  // namespace kiv
