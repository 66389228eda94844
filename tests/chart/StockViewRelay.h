// The stock view's relay between the K-line chart and the indicator pane
// (ChartPaneRelay), for the test hosts that hold the two (or a stand-in for
// the chart, which counts as shown while its window is visible), with what
// the view does beyond it for the chart alone: the crosshair step keys go to
// the chart, and a crosshair summary the chart hands over is taken here and
// kept in `summaries` (a test host has no money-flow pane to hand it to)
// while the pane's crosshair is repainted.
//
// The relay holds the two windows it was given, owns neither; the host's
// hook calls Relay on the UI thread.
#pragma once

#include <memory>
#include <vector>

#include "chart/engine/ChartIds.h"
#include "chart/engine/CrosshairBarSummary.h"
#include "chart/indicators/KivDesk_Wnd_Index.h"
#include "chart/view/ChartPaneRelay.h"
#include "platform/core/Wnd.h"
#include "platform/post/Posting.h"

namespace kiv::test {

class StockViewRelay {
 public:
  StockViewRelay() { SetWindows(nullptr, nullptr); }
  StockViewRelay(CWnd* chart, CKivDesk_Wnd_Index* pane) { SetWindows(chart, pane); }
  void SetWindows(CWnd* chart, CKivDesk_Wnd_Index* pane) {
    chart_ = chart;
    pane_ = pane;
    relay_.SetWindows(chart, pane);
    relay_.SetChartShown([this] { return chart_ && chart_->IsWindowVisible(); });
  }

  // The view after its ZoomIn / ZoomOut: the pane is drawn anew, as after a
  // drag zoom.
  void RepaintPane() { relay_.RepaintPane(); }

  // Handles one message the host received; false for those the view leaves
  // to its default handling.
  bool Relay(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    switch (msg) {
      case WM_KIV_CHART_MOUSE: {
        std::unique_ptr<CrosshairBarSummary> summary = AdoptPosted<CrosshairBarSummary>(wParam);
        if (summary) summaries.push_back(*summary);
        if (relay_.PaneShown()) pane_->PostMessage(WM_KIV_CROSSHAIR_REPAINT, 0, 0);
        return true;
      }
      case WM_KIV_KLINE_KEY_LEFT:
      case WM_KIV_KLINE_KEY_RIGHT:
        if (relay_.ChartShown()) chart_->PostMessage(msg, wParam, lParam);
        return true;
      default:
        return relay_.Relay(msg, wParam, lParam);
    }
  }

  std::vector<CrosshairBarSummary> summaries;

 private:
  ChartPaneRelay relay_;
  CWnd* chart_ = nullptr;
  CKivDesk_Wnd_Index* pane_ = nullptr;
};

}  // namespace kiv::test
