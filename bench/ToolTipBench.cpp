// What one show of the rich tooltip costs, as the K-line view's buttons show
// theirs: measuring the markup text, building the pattern of effect 13 at
// the balloon's size, placing and shaping the window over what lies under
// it, and its paint (shadow, pattern, border, icon and text), on the
// headless screen.
//
//   Show:   CPPToolTip showing the two K-line texts in turn, set up as the
//           K-line view sets it up, and painting the balloon.
//   Anchor: the same text drawn with one DrawText on a plain fill of the
//           balloon's size, and copied to a window of that size.
//
// After the runs, the show's time over the anchor's is printed, and each
// over a 16 ms frame budget.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "bench/RatioReporter.h"
#include "platform/backend/HeadlessDisplay.h"
#include "platform/core/MessageLoop.h"
#include "platform/ui/Button.h"
#include "res/ResourceTables.h"
#include "shell/KivUiTheme.h"
#include "shell/PPToolTip.h"

namespace {

const char* const kTipTexts[2] = {"<b>点击可以放大K线图,方便查看", "<b>点击可以还原K线图,以便了解更多信息"};
const char* const kPlainTexts[2] = {"点击可以放大K线图,方便查看", "点击可以还原K线图,以便了解更多信息"};

// The K-line view's two buttons and their tooltip, on a white window.
class BenchHost : public CWnd {
 public:
  ~BenchHost() override {
    if (::IsWindow(tooltip.m_hWnd)) tooltip.DestroyWindow();
    if (::IsWindow(m_hWnd)) DestroyWindow();
  }
  bool Open() {
    if (!CreateEx(0, "BenchHost", "host", WS_POPUP | WS_VISIBLE, CRect(100, 100, 700, 500), nullptr, 0) ||
        !buttons[0].Create("放大", WS_CHILD | WS_VISIBLE, CRect(20, 20, 80, 44), this, 601) ||
        !buttons[1].Create("还原", WS_CHILD | WS_VISIBLE, CRect(100, 20, 160, 44), this, 602) ||
        !tooltip.Create(this, TRUE)) {
      return false;
    }
    tooltip.AddTool(&buttons[0], kTipTexts[0], 62010);
    tooltip.AddTool(&buttons[1], kTipTexts[1], 62010);
    tooltip.EnableNotify(TRUE);
    tooltip.SetDefaultFont();
    tooltip.SetColor(kPPToolTipColorBegin, 0xDFFFFF);
    tooltip.SetColor(kPPToolTipColorMiddle, 0xACC0C0);
    tooltip.SetColor(kPPToolTipColorEnd, 0x708080);
    tooltip.SetFillEffect(13, 10);
    tooltip.SetToolOption(kPPToolTipBehaviourRestartOnMove);
    return true;
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    tooltip.RelayEvent(msg);
    return CWnd::PreTranslateMessage(msg);
  }
  CButton buttons[2];
  CPPToolTip tooltip;

 protected:
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, RGB(255, 255, 255));
  }
};

// A fresh headless screen with the host, the pointer resting on button i.
struct ShowScene {
  ShowScene() {
    kiv::ResetWindowSystemForTesting();
    kiv::res::UseDeskResources();
    WriteUiTheme();
    ok = host.Open();
    kiv::PumpPendingMessages();
  }
  ~ShowScene() {
    host.tooltip.DestroyWindow();
    host.DestroyWindow();
    kiv::ResetWindowSystemForTesting();
  }
  // The pointer on button i, as the tooltip last saw it move.
  void PointAt(int i) {
    CPoint p(30, 12);
    host.buttons[i].ClientToScreen(&p);
    kiv::Headless()->MoveMouse(p);
    kiv::PumpPendingMessages();
  }
  BenchHost host;
  bool ok = false;
};

void BM_ToolTipShow(benchmark::State& state) {
  ShowScene scene;
  if (!scene.ok) {
    state.SkipWithError("the host did not open");
    return;
  }
  CPPToolTip& tip = scene.host.tooltip;
  // Fonts, the icon and the bold faces load at the first show of each
  // text, outside the measure.
  for (int first = 0; first < 2; ++first) {
    scene.PointAt(first);
    tip.ShowTooltip(first, FALSE);
    tip.UpdateWindow();
  }
  int i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    scene.PointAt(i);
    state.ResumeTiming();
    tip.ShowTooltip(i, FALSE);  // measure, pattern, place, shape, show
    tip.UpdateWindow();         // and the paint
    benchmark::DoNotOptimize(tip.ShownToolIndex());
    i ^= 1;
  }
  if (!::IsWindowVisible(tip.m_hWnd)) state.SkipWithError("the tooltip did not show");
}
BENCHMARK(BM_ToolTipShow)->Unit(benchmark::kMicrosecond);

void BM_PlainFillAndDrawText(benchmark::State& state) {
  ShowScene scene;
  CPPToolTip& tip = scene.host.tooltip;
  scene.PointAt(0);
  tip.ShowTooltip(0, FALSE);
  CRect balloon;
  tip.GetWindowRect(&balloon);
  const int width = balloon.Width();
  const int height = balloon.Height();
  tip.Pop();
  LOGFONT font;
  tip.GetFont(&font);
  font.lfWeight = FW_BOLD;
  CFont bold;
  bold.CreateFontIndirect(&font);
  CClientDC window(&scene.host);
  CRect warm(0, 0, width, height);
  for (const char* text : kPlainTexts) window.DrawText(text, -1, &warm, DT_CALCRECT | DT_NOPREFIX);
  int i = 0;
  for (auto _ : state) {
    CDC memory;
    memory.CreateCompatibleDC(&window);
    CBitmap canvas;
    canvas.CreateCompatibleBitmap(&window, width, height);
    CBitmap* oldCanvas = memory.SelectObject(&canvas);
    CFont* oldFont = memory.SelectObject(&bold);
    CRect r(0, 0, width, height);
    memory.FillSolidRect(&r, 0xDFFFFF);
    memory.SetBkMode(TRANSPARENT);
    r.DeflateRect(12, 12);
    memory.DrawText(kPlainTexts[i], -1, &r, DT_LEFT | DT_TOP | DT_NOPREFIX);
    window.BitBlt(0, 0, width, height, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(oldFont);
    memory.SelectObject(oldCanvas);
    benchmark::DoNotOptimize(window.GetTargetSurface());
    i ^= 1;
  }
}
BENCHMARK(BM_PlainFillAndDrawText)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    reporter.PrintRatio("ratio K-line tooltip show / plain fill and DrawText of the same size and text",
                        "BM_ToolTipShow", "BM_PlainFillAndDrawText");
    reporter.PrintBudget("K-line tooltip show (measure, effect-13 pattern, place, shape, paint)", "BM_ToolTipShow");
    reporter.PrintBudget("plain fill and DrawText of the balloon's size", "BM_PlainFillAndDrawText");
  });
}
