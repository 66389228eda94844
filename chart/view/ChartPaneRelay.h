// ChartPaneRelay: what a host of the K-line chart and the indicator pane
// beneath it passes between the two. A series from the chart goes on to the
// pane (a new one only while the pane is shown, the drop notice always, so
// the pane never keeps a series the chart has freed); the pane's mouse
// notice becomes a crosshair repaint of the chart; crosshair toggles go to
// the chart and crosshair shows to the pane; the chart's full-repaint
// notice (after a drag zoom) and the repaint key draw the pane anew.
//
// The stock view relays through one; so do the test hosts that hold a
// chart (or a stand-in for it) and a pane. The relay holds the two windows
// it was given and owns neither; the chart counts as shown by the host's
// rule. UI thread only.
#pragma once

#include <functional>

#include "platform/core/Wnd.h"

class CKivDesk_Wnd_Index;

namespace kiv {

class ChartPaneRelay {
 public:
  ChartPaneRelay() = default;
  ChartPaneRelay(CWnd* chart, CKivDesk_Wnd_Index* pane, std::function<bool()> chartShown)
      : chart_(chart), pane_(pane), chartShown_(std::move(chartShown)) {}
  void SetWindows(CWnd* chart, CKivDesk_Wnd_Index* pane) {
    chart_ = chart;
    pane_ = pane;
  }
  void SetChartShown(std::function<bool()> chartShown) { chartShown_ = std::move(chartShown); }

  // The pane is drawn anew (after a zoom of the chart), when it is shown.
  void RepaintPane();
  // Handles one message between the two; false for any other message.
  bool Relay(UINT msg, WPARAM wParam, LPARAM lParam);

  bool PaneShown() const;
  bool ChartShown() const { return chart_ && chartShown_ && chartShown_(); }

 private:
  CWnd* chart_ = nullptr;
  CKivDesk_Wnd_Index* pane_ = nullptr;
  std::function<bool()> chartShown_;
};

}  // namespace kiv
