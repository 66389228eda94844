// What stretching a skin across a 1366-pixel row costs, as the tab strips
// and the title bars paint their faces, and what a whole tab strip's paint
// costs.
//
//   Columns: the skin's first column copied 1,366 times, one 1-pixel-wide
//            copy per column, onto the strip's off-screen surface.
//   Stretch: the same column stretched across the same row in one copy
//            (nearest pixel, which gives the same pixels): the anchor.
//   Strip:   CKivDesk_Wnd_Tab's own drawing of six captioned equal-width
//            items 1,366 pixels wide (faces, separators, rest, captions).
//
// After the runs, the column copies' time over the one stretch's is
// printed, and each measure over a 16 ms frame budget.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/RatioReporter.h"
#include "platform/gdi/Surface.h"
#include "res/ResourceTables.h"
#include "shell/KivDesk_Wnd_Tab.h"
#include "shell/KivTabCanvas.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"

namespace {

constexpr int kStripWidth = 1366;

// The strip's face skin in a DC, and a surface of the strip's size.
struct StripScene {
  StripScene() {
    kiv::res::UseDeskResources();
    skin.LoadBitmap(kIdbTabNormal);
    height = skin.GetSize().cy;
    skinDc.CreateCompatibleDC(nullptr);
    oldSkin = skinDc.SelectObject(&skin);
    canvas.Rebuild(kStripWidth, height);
  }
  ~StripScene() { skinDc.SelectObject(oldSkin); }
  CBitmap skin;
  CDC skinDc;
  CBitmap* oldSkin = nullptr;
  KivTabCanvas canvas;
  int height = 0;
};

void BM_SkinRowByColumnCopies(benchmark::State& state) {
  StripScene scene;
  CDC& dc = scene.canvas.Dc();
  for (auto _ : state) {
    for (int x = 0; x < kStripWidth; ++x) dc.BitBlt(x, 0, 1, scene.height, &scene.skinDc, 0, 0, SRCCOPY);
    benchmark::DoNotOptimize(dc.GetTargetSurface()->Pixels());
  }
}
BENCHMARK(BM_SkinRowByColumnCopies)->Unit(benchmark::kMicrosecond);

void BM_SkinRowInOneStretch(benchmark::State& state) {
  StripScene scene;
  CDC& dc = scene.canvas.Dc();
  for (auto _ : state) {
    CKivDesk_Wnd_Tab::DrawFaceColumns(dc, 0, kStripWidth - 1, 0, scene.height, scene.skinDc);
    benchmark::DoNotOptimize(dc.GetTargetSurface()->Pixels());
  }
}
BENCHMARK(BM_SkinRowInOneStretch)->Unit(benchmark::kMicrosecond);

// The strip's drawing without a window: what its WM_PAINT does before the
// one copy to the screen.
class BenchTab : public CKivDesk_Wnd_Tab {
 public:
  BenchTab() : CKivDesk_Wnd_Tab(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, 0xE0A000, FALSE, FALSE) {}
  using CKivDesk_Wnd_Tab::DrawItems;
};

void BM_TabStripDraw(benchmark::State& state) {
  StripScene scene;
  InitUiFontsForScreen(UiTheme().Fonts(), 1366, 768);
  BenchTab strip;
  const char* const captions[] = {"推荐", "排行榜", "盯盘", "价值排行", "热点板块", "主力动向"};
  strip.SetItemCount(6);
  for (int i = 0; i < 6; ++i) strip.SetItemText(i, captions[i]);
  strip.SetCurSel(2);
  const CRect client(0, 0, kStripWidth, scene.height);
  strip.DrawItems(scene.canvas.Dc(), client);  // skins and fonts load once, outside the measure
  for (auto _ : state) {
    strip.DrawItems(scene.canvas.Dc(), client);
    benchmark::DoNotOptimize(scene.canvas.Dc().GetTargetSurface()->Pixels());
  }
}
BENCHMARK(BM_TabStripDraw)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    reporter.PrintRatio("ratio 1366-px skin row, 1-px column copies / one stretch", "BM_SkinRowByColumnCopies",
                        "BM_SkinRowInOneStretch");
    reporter.PrintBudget("1366-px skin row by 1-px column copies", "BM_SkinRowByColumnCopies");
    reporter.PrintBudget("1366-px skin row in one stretch", "BM_SkinRowInOneStretch");
    reporter.PrintBudget("tab strip drawing, 6 captioned items, 1366 px", "BM_TabStripDraw");
  });
}
