#include "chart/view/ChartPaneRelay.h"

#include "chart/engine/ChartIds.h"
#include "chart/indicators/KivDesk_Wnd_Index.h"

namespace kiv {

bool ChartPaneRelay::PaneShown() const { return pane_ && pane_->m_bShown; }

void ChartPaneRelay::RepaintPane() {
  if (!PaneShown()) return;
  pane_->m_bRedraw = TRUE;
  pane_->Invalidate();
}

bool ChartPaneRelay::Relay(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KIV_SERIES_READY:
      if (pane_ && (wParam == 0 || PaneShown())) pane_->SendMessage(msg, wParam, lParam);
      return true;
    case WM_KIV_INDEX_MOUSE:
      if (ChartShown()) chart_->PostMessage(WM_KIV_CROSSHAIR_REPAINT, 0, 0);
      return true;
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
    default:
      return false;
  }
}

}  // namespace kiv
