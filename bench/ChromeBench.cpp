// What the main window's chrome costs to repaint, and what keeping the
// ticker's last reply costs.
//
//   TickerDraw:      the index ticker's whole picture, 1322 pixels wide:
//                    background, frame and dividers, the four cells (names,
//                    levels, changes and ratios, read from the quote pack
//                    under its lock) and the clock, in the wide layout.
//   TickerTexts:     the same seventeen texts in the same font drawn
//                    straight through the layer's TextOut on the same
//                    surface: the anchor.
//   TitleDraw:       the title bar's own picture, 1322 pixels wide: the
//                    background column stretched, the logo and the slogans.
//   TitleTexts:      the two slogans through TextOut: its anchor.
//   FrameSave:       Frame.dat written as the ticker writes it after a reply
//                    (a temporary file beside it, synced, renamed over it).
//   FramePlainWrite: the same bytes written over the file in place: the
//                    anchor.
//
// After the runs: each drawing over its texts, each drawing over a 16 ms
// frame budget, and the save over the plain write.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/BenchDataFolder.h"
#include "bench/RatioReporter.h"
#include "data/CachePath.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/NetService.h"
#include "platform/gdi/Surface.h"
#include "platform/sys/Files.h"
#include "res/ResourceTables.h"
#include "shell/ChromeIds.h"
#include "shell/KivDesk_Title.h"
#include "shell/KivDesk_Wnd_Toolbar.h"
#include "shell/KivTabCanvas.h"
#include "shell/KivUiTheme.h"

namespace {

constexpr int kChromeWidth = 1322;
constexpr int kTickerHeight = 24;

// The ticker's and the title bar's drawing, without their paint's copy to
// the screen.
class BenchTicker : public CKivDesk_Wnd_Toolbar {
 public:
  using CKivDesk_Wnd_Toolbar::CKivDesk_Wnd_Toolbar;
  using CKivDesk_Wnd_Toolbar::Draw;
};

class BenchTitle : public CKivDesk_Title {
 public:
  BenchTitle()
      : CKivDesk_Title(kIdbTitleBackground, kIdbTitleLogo, kIdbTitleMeasure, kIdbTitleExit, kIdbTitleExitActive,
                       kIdbTitleMaximize, kIdbTitleMaximizeActive, kIdbTitleRestore, kIdbTitleRestoreActive,
                       kIdbTitleToTray, kIdbTitleToTrayActive) {}
  using CKivDesk_Title::DrawBar;
};

// Four indices as a reply carries them.
KivNetPack BenchTickerReply() {
  const int32_t quotes[4][2] = {{32512345, 32400000}, {110234567, 110500000}, {40123456, 40000000},
                                {70250000, 70300000}};
  KivNetPack rows;
  for (int32_t r = 0; r < 4; ++r) {
    rows.SetInt32(0, FIELD_STOCK_ID, r);
    rows.SetInt32(quotes[r][0], FIELD_LAST_PRICE, r);
    rows.SetInt32(quotes[r][1], FIELD_PREV_CLOSE, r);
  }
  KivNetPack payload;
  payload.SetPack(rows, GROUP_INDEX_QUOTES, 0);
  return payload;
}

// The windows of the chrome on the headless display, in a folder of their
// own for Frame.dat.
struct ChromeScene {
  BenchDataFolder folder{"chrome"};
  ChromeScene() {
    kiv::res::UseDeskResources();
    WriteUiTheme();
    main.CreateEx(0, nullptr, "main", WS_POPUP | WS_VISIBLE, CRect(0, 0, kChromeWidth, 200), nullptr, 0);
    ticker = std::make_unique<BenchTicker>(service);
    ticker->SetWideMode(TRUE);
    ticker->Create(nullptr, "CKivDesk_ToolBar", WS_CHILD | WS_VISIBLE, CRect(0, 30, kChromeWidth, 30 + kTickerHeight),
                   &main, kIdcTicker);
    KivNetPack reply = BenchTickerReply();
    const uint32_t type = DT_INDEX_QUOTES, extra = 0;
    ticker->OnQuotePacket(reply, type, extra);
    title.Create(nullptr, "CKivDesk_Title", WS_CHILD | WS_VISIBLE, CRect(0, 0, kChromeWidth, 30), &main, kIdcTitleBar);
    tickerCanvas.Rebuild(kChromeWidth, kTickerHeight);
    titleCanvas.Rebuild(kChromeWidth, 30);
  }
  ~ChromeScene() {
    service.Shutdown();
    title.DestroyWindow();
    ticker->DestroyWindow();
    main.DestroyWindow();
  }
  CNetService service;
  CWnd main;
  std::unique_ptr<BenchTicker> ticker;
  BenchTitle title;
  KivTabCanvas tickerCanvas;
  KivTabCanvas titleCanvas;
};

void BM_TickerDraw(benchmark::State& state) {
  ChromeScene scene;
  const CRect client(0, 0, kChromeWidth, kTickerHeight);
  CDC& dc = scene.tickerCanvas.Dc();
  scene.ticker->Draw(dc, client);  // fonts made once, outside the measure
  for (auto _ : state) {
    scene.ticker->Draw(dc, client);
    benchmark::DoNotOptimize(dc.GetTargetSurface()->Pixels());
  }
}
BENCHMARK(BM_TickerDraw)->Unit(benchmark::kMicrosecond);

void BM_TickerTexts(benchmark::State& state) {
  ChromeScene scene;
  CDC& dc = scene.tickerCanvas.Dc();
  CFont font;
  font.CreateFontIndirect(&UiTheme().lfNormal);
  CFont* old = dc.SelectObject(&font);
  dc.SetBkMode(TRANSPARENT);
  std::vector<std::string> texts;
  const int32_t quotes[4][2] = {{32512345, 32400000}, {110234567, 110500000}, {40123456, 40000000},
                                {70250000, 70300000}};
  for (int i = 0; i < 4; ++i) {
    const CKivDesk_Wnd_Toolbar::CellTexts cell = CKivDesk_Wnd_Toolbar::FormatCell(quotes[i][0], quotes[i][1]);
    texts.push_back(CKivDesk_Wnd_Toolbar::IndexName(i));
    texts.push_back(cell.value);
    texts.push_back(cell.change);
    texts.push_back(cell.ratio);
  }
  texts.push_back("2026-3-16  10:37");
  for (auto _ : state) {
    int x = 5;
    for (const std::string& text : texts) {
      dc.TextOut(x, 4, text);
      x += 70;
    }
    benchmark::DoNotOptimize(dc.GetTargetSurface()->Pixels());
  }
  dc.SelectObject(old);
}
BENCHMARK(BM_TickerTexts)->Unit(benchmark::kMicrosecond);

void BM_TitleDraw(benchmark::State& state) {
  ChromeScene scene;
  const CRect client(0, 0, kChromeWidth, 30);
  CDC& dc = scene.titleCanvas.Dc();
  if (!scene.title.IsWide()) state.SkipWithError("the title bar is not in its wide layout");
  scene.title.DrawBar(dc, client);  // skins and font loaded once, outside the measure
  for (auto _ : state) {
    scene.title.DrawBar(dc, client);
    benchmark::DoNotOptimize(dc.GetTargetSurface()->Pixels());
  }
}
BENCHMARK(BM_TitleDraw)->Unit(benchmark::kMicrosecond);

void BM_TitleTexts(benchmark::State& state) {
  ChromeScene scene;
  CDC& dc = scene.titleCanvas.Dc();
  CFont font;
  font.CreateFontIndirect(&UiTheme().lfSmall);
  CFont* old = dc.SelectObject(&font);
  dc.SetBkMode(TRANSPARENT);
  for (auto _ : state) {
    dc.TextOut(330, 8, kTitleSlogan1, static_cast<int>(std::strlen(kTitleSlogan1)));
    dc.TextOut(400, 8, kTitleSlogan2, static_cast<int>(std::strlen(kTitleSlogan2)));
    benchmark::DoNotOptimize(dc.GetTargetSurface()->Pixels());
  }
  dc.SelectObject(old);
}
BENCHMARK(BM_TitleTexts)->Unit(benchmark::kMicrosecond);

std::string FrameBytes() {
  KivNetPack reply = BenchTickerReply();
  KivNetPack rows;
  reply.GetPack(rows, GROUP_INDEX_QUOTES, 0);
  std::string bytes;
  KivNetPack(rows).GetAllPackData(bytes);
  return bytes;
}

void BM_FrameSave(benchmark::State& state) {
  ChromeScene scene;
  const std::string bytes = FrameBytes();
  const std::string path = CKivDesk_Wnd_Toolbar::FrameFilePath();
  for (auto _ : state) {
    if (!CKivDesk_Wnd_Toolbar::SaveFrameFile(path, bytes)) state.SkipWithError("Frame.dat could not be written");
  }
}
BENCHMARK(BM_FrameSave)->Unit(benchmark::kMicrosecond);

void BM_FramePlainWrite(benchmark::State& state) {
  ChromeScene scene;
  const std::string bytes = FrameBytes();
  const std::string path = kiv::NativePath(CKivDesk_Wnd_Toolbar::FrameFilePath());
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
      state.SkipWithError("Frame.dat could not be opened");
      break;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
}
BENCHMARK(BM_FramePlainWrite)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    reporter.PrintRatio("ratio ticker repaint (4 cells and clock) / its texts through TextOut", "BM_TickerDraw",
                        "BM_TickerTexts");
    reporter.PrintRatio("ratio title-bar repaint / its slogans through TextOut", "BM_TitleDraw", "BM_TitleTexts");
    reporter.PrintRatio("ratio Frame.dat save (aside, synced, renamed) / plain write", "BM_FrameSave",
                        "BM_FramePlainWrite");
    reporter.PrintBudget("ticker repaint, 1322 px", "BM_TickerDraw");
    reporter.PrintBudget("title-bar repaint, 1322 px", "BM_TitleDraw");
  });
}
