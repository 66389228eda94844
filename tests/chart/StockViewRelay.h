// What the stock view does between the K-line chart and the indicator pane
// beneath it, for the test hosts that hold the two (or a stand-in for the
// chart): a series from the chart is sent on (a new one only while the pane
// is shown, the drop notice always); the pane's mouse notice becomes a
// crosshair repaint of the chart, the chart's mouse notice a crosshair
// repaint of the pane; crosshair toggles go to the chart and crosshair shows
// to the pane; the chart's full-repaint notice (after a drag zoom) and the
// repaint key set the pane's redraw flag; the crosshair step keys go to the
// chart. A crosshair summary the chart hands over is taken here and kept in
// `summaries` (the view has no money-flow pane to hand it to).
//
// The relay holds the two windows it was given, owns neither; the host's
// hook calls Relay on the UI thread.
#pragma once

#include <memory>
#include <vector>

#include "chart/engine/ChartIds.h"
#include "chart/engine/CrosshairBarSummary.h"
#include "chart/indicators/KivDesk_Wnd_Index.h"
#include "platform/core/Wnd.h"
#include "platform/post/Posting.h"

namespace kiv::test {

class StockViewRelay {
 public:
  StockViewRelay() = default;
  StockViewRelay(CWnd* chart, CKivDesk_Wnd_Index* pane) : chart_(chart), pane_(pane) {}
  void SetWindows(CWnd* chart, CKivDesk_Wnd_Index* pane) {
    chart_ = chart;
    pane_ = pane;
  }

  // The view after its ZoomIn / ZoomOut: the pane is drawn anew, as after a
  // drag zoom.
  void RepaintPane() {
    if (PaneShown()) {
      pane_->m_bRedraw = TRUE;
      pane_->Invalidate();
    }
  }

  // Handles one message the host received; false for those the view leaves
  // to its default handling.
  bool Relay(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    switch (msg) {
      case WM_KIV_SERIES_READY:
        // A new series only to a shown pane; the drop notice always, so the
        // pane never keeps a series the chart has freed.
        if (pane_ && (wParam == 0 || PaneShown())) pane_->SendMessage(msg, wParam, lParam);
        return true;
      case WM_KIV_INDEX_MOUSE:
        if (ChartShown()) chart_->PostMessage(WM_KIV_CROSSHAIR_REPAINT, 0, 0);
        return true;
      case WM_KIV_CHART_MOUSE: {
        std::unique_ptr<CrosshairBarSummary> summary = AdoptPosted<CrosshairBarSummary>(wParam);
        if (summary) summaries.push_back(*summary);
        if (PaneShown()) pane_->PostMessage(WM_KIV_CROSSHAIR_REPAINT, 0, 0);
        return true;
      }
      case WM_KIV_CROSSHAIR_SHOW:
        if (PaneShown()) pane_->PostMessage(msg, wParam, 0);
        return true;
      case WM_KIV_CROSSHAIR_TOGGLED:
        if (ChartShown()) chart_->PostMessage(msg, wParam, 0);
        return true;
      case WM_KIV_INDEX_REPAINT:
      case WM_KIV_KLINE_KEY_REPAINT:
        RepaintPane();
        return true;
      case WM_KIV_KLINE_KEY_LEFT:
      case WM_KIV_KLINE_KEY_RIGHT:
        if (ChartShown()) chart_->PostMessage(msg, wParam, lParam);
        return true;
      default:
        return false;
    }
  }

  std::vector<CrosshairBarSummary> summaries;

 private:
  bool PaneShown() const { return pane_ && pane_->m_bShown; }
  bool ChartShown() const { return chart_ && chart_->IsWindowVisible(); }

  CWnd* chart_ = nullptr;
  CKivDesk_Wnd_Index* pane_ = nullptr;
};

}  // namespace kiv::test
