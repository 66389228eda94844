// What a full repaint of the maximised main window costs on the headless
// display's 1366 x 728 work area: the title bar, the page buttons, the head
// photo, the server strip, the status toolbar and the watch-list page (the
// empty dark page while the lists' room has no maker registered), each
// painting into the window's backing store.
//
//   DeskRepaint:   the whole window invalidated with its children and
//                  painted at once.
//   PlainFillCopy: one fill of a 1366 x 728 memory surface and its copy to
//                  another of that size: the anchor, the least any full
//                  repaint of that area does.
//
// After the runs: the repaint over the anchor, and over a 16 ms frame.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "bench/BenchDataFolder.h"
#include "bench/RatioReporter.h"
#include "data/CachePath.h"
#include "data/GlobalObjects.h"
#include "platform/core/MessageLoop.h"
#include "platform/core/WinUser.h"
#include "platform/gdi/Surface.h"
#include "res/ResourceTables.h"
#include "shell/KivTabCanvas.h"
#include "shell/KivUiTheme.h"
#include "shell/desk/DeskEnvironment.h"
#include "shell/desk/RYKIVDeskDlg.h"

namespace {

constexpr int kWorkWidth = 1366;
constexpr int kWorkHeight = 728;

// The maximised main dialog with its globals, in a folder of its own.
struct DeskScene {
  BenchDataFolder folder{"desk"};
  DeskScene() {
    kiv::res::UseDeskResources();
    WriteUiTheme();
    kiv::GlobalObjectsOptions options;
    options.config.programFolder = folder.Path().string();
    options.config.startServerListThread = false;
    options.watchIniPath = (folder.Path() / "system-watch.ini").string();
    globals = std::make_unique<kiv::KivGlobalObjects>(options);
    DeskEnvironment environment;
    environment.globals = globals.get();
    environment.systemIniPath = (folder.Path() / "system.ini").string();
    environment.programFolder = folder.Path().string() + "/";
    SetDeskEnvironment(environment);
    dialog = std::make_unique<CRYKIVDeskDlg>();
    dialog->Create();
    dialog->SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    kiv::PumpPendingMessages();
  }
  ~DeskScene() {
    globals->Shutdown();
    dialog->DestroyWindow();
    dialog.reset();
    SetDeskEnvironment(DeskEnvironment());
    globals.reset();
  }
  std::unique_ptr<kiv::KivGlobalObjects> globals;
  std::unique_ptr<CRYKIVDeskDlg> dialog;
};

void BM_DeskRepaint(benchmark::State& state) {
  DeskScene scene;
  CRect window;
  scene.dialog->GetWindowRect(&window);
  if (window.Width() != kWorkWidth || window.Height() != kWorkHeight) {
    state.SkipWithError("the dialog is not maximised over a 1366 x 728 work area");
  }
  for (auto _ : state) {
    scene.dialog->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    kiv::PumpPendingMessages();
  }
}
BENCHMARK(BM_DeskRepaint)->Unit(benchmark::kMicrosecond);

void BM_PlainFillCopy(benchmark::State& state) {
  KivTabCanvas source;
  KivTabCanvas target;
  source.Rebuild(kWorkWidth, kWorkHeight);
  target.Rebuild(kWorkWidth, kWorkHeight);
  const CRect area(0, 0, kWorkWidth, kWorkHeight);
  for (auto _ : state) {
    source.Dc().FillSolidRect(&area, 0x1A1A1A);
    target.Dc().BitBlt(0, 0, kWorkWidth, kWorkHeight, &source.Dc(), 0, 0, SRCCOPY);
    benchmark::DoNotOptimize(target.Dc().GetTargetSurface()->Pixels());
  }
}
BENCHMARK(BM_PlainFillCopy)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    reporter.PrintRatio("ratio maximised main window repaint, 1366 x 728 / plain fill and copy of that size",
                        "BM_DeskRepaint", "BM_PlainFillCopy");
    reporter.PrintBudget("maximised main window repaint, 1366 x 728", "BM_DeskRepaint");
  });
}
