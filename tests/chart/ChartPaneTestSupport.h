// The chart with the indicator pane beneath it, in a host that relays
// between them as the stock view does (StockViewRelay.h): the chart on the
// host's top rows, the pane below it over the same width, so that both
// plots start right of the same axis column. The host's zoom keys are the
// view's: the chart zooms, then the pane is drawn anew.
//
// Where a bar stands is read twice, from each window's own geometry (the
// chart's plots and the pane's indicator), and on the screen from the
// crosshair's vertical line, which each window draws through the centre of
// the bar under the shared crosshair point.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/indicators/IndicatorIds.h"
#include "chart/indicators/IndicatorStyle.h"
#include "chart/indicators/KivDesk_Wnd_Index.h"
#include "data/RoundToInt.h"
#include "tests/chart/StockViewRelay.h"
#include "tests/chart/engine/KLineBlockTestSupport.h"

namespace kiv::test {

// Both windows draw the crosshair's lines with this pen.
constexpr COLORREF kCrosshairPen = 0x555555;

class ChartPaneTest : public KLineBlockTest {
 protected:
  static constexpr int kWidth = 700, kChartHeight = 400, kPaneHeight = 200;

  void TearDown() override {
    relay_.SetWindows(nullptr, nullptr);
    if (pane_) pane_->DestroyWindow();
    pane_.reset();
    KLineBlockTest::TearDown();
  }

  // The host with the chart (given these services) and the pane with KDJ
  // beneath it, each shown as the view shows them.
  void OpenPair(ChartServices services = {}) {
    OpenHost(kWidth, kChartHeight + kPaneHeight);
    host_->hook = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
      return relay_.Relay(msg, wParam, lParam, result);
    };
    chart_ = std::make_unique<CKIVKLineBlock>(services, nullptr, &dialogs_);
    ASSERT_TRUE(chart_->Create(nullptr, "StockBlock", WS_CHILD | WS_VISIBLE, CRect(0, 0, kWidth, kChartHeight),
                               host_, 501));
    pane_ = std::make_unique<CKivDesk_Wnd_Index>("KDJ", kIdbIndexTabFace, kIdbIndexTabSeparator);
    ASSERT_TRUE(pane_->Create(nullptr, kIndexPaneWindowName, WS_CHILD | WS_VISIBLE,
                              CRect(0, kChartHeight, kWidth, kChartHeight + kPaneHeight), host_, kIdcIndexPane));
    relay_.SetWindows(chart_.get(), pane_.get());
    for (CWnd* w : {static_cast<CWnd*>(chart_.get()), static_cast<CWnd*>(pane_.get())}) {
      w->ShowWindow(SW_HIDE);
      w->ShowWindow(SW_SHOW);
    }
    Pump();
  }

  // The view's Up and Down keys.
  void ViewZoomIn(int steps) {
    chart_->ZoomIn(&steps);
    relay_.RepaintPane();
    Pump();
  }
  void ViewZoomOut(int steps) {
    chart_->ZoomOut(&steps);
    relay_.RepaintPane();
    Pump();
  }

  // Screen x of the centre of series bar `bar` as the chart places it, and
  // as the pane's indicator does.
  int ChartBarX(int bar) const {
    const int start = std::clamp(g_data.m_StartIndex, 0, chart_->Model().Series()->GetCount() - 1);
    CPoint p(chart_->BarCenterX(bar - start), 0);
    chart_->ClientToScreen(&p);
    return p.x;
  }
  int PaneBarX(int bar) const {
    const CKIVIndex_Base* index = pane_->CurrentIndicator();
    CPoint p(index->BarCenterX(bar - index->StartBar()), 0);
    pane_->ClientToScreen(&p);
    return p.x;
  }
  // Bars the pane's last drawing shows.
  int PaneVisibleBars() const {
    const CKIVIndex_Base* index = pane_->CurrentIndicator();
    const int fit = (index->m_rcPlot.right - index->m_rcPlot.left) / g_data.BarStep();
    return std::max(0, std::min(index->m_nCount - index->StartBar(), fit));
  }
  // Client y where the pane's last drawing put `value` of its indicator.
  int PaneValueY(float value) const {
    const CKIVIndex_Base* index = pane_->CurrentIndicator();
    const float range = index->m_fMax - index->m_fMin;
    if (!(range > 0.0f)) return (index->m_nValueTop + index->m_nValueBottom) / 2;
    return index->m_nValueTop +
           RoundToInt((index->m_fMax - value) / range * static_cast<float>(index->m_nValueBottom - index->m_nValueTop));
  }

  // The screen rows that the crosshair's vertical line crosses in each
  // window: the chart's price plot and the pane's plot, less their edges.
  CRect ChartColumnRows() const {
    CRect r = chart_->Plots().price;
    r.DeflateRect(0, 2);
    chart_->ClientToScreen(&r);
    return r;
  }
  CRect PaneColumnRows() const {
    CRect r(pane_->CurrentIndicator()->m_rcPlot);
    r.DeflateRect(0, 2);
    pane_->ClientToScreen(&r);
    return r;
  }
  // Of the rows of `rows`, the share at screen column x in `colour`.
  static double ColumnShare(const std::function<COLORREF(int, int)>& pixel, const CRect& rows, int x,
                            COLORREF colour) {
    int n = 0;
    for (int y = rows.top; y < rows.bottom; ++y) n += pixel(x, y) == colour ? 1 : 0;
    return rows.Height() > 0 ? static_cast<double>(n) / rows.Height() : 0;
  }
  // Whether both windows draw the crosshair's vertical line down screen
  // column x, and neither beside it.
  static bool ShowsCrosshairColumn(const std::function<COLORREF(int, int)>& pixel, const CRect& chartRows,
                                   const CRect& paneRows, int x) {
    for (const CRect& rows : {chartRows, paneRows}) {
      if (ColumnShare(pixel, rows, x, kCrosshairPen) < 0.8) return false;
      if (ColumnShare(pixel, rows, x - 1, kCrosshairPen) > 0.5) return false;
      if (ColumnShare(pixel, rows, x + 1, kCrosshairPen) > 0.5) return false;
    }
    return true;
  }

  // The composed headless screen as a pixel reader (one picture per call).
  std::function<COLORREF(int, int)> ScreenReader() {
    std::shared_ptr<gdi::Surface> shot(Screen().ComposeScreen().release());
    return [shot](int x, int y) { return shot->PixelAt(x, y); };
  }
  // The client pixels of a window on the composed screen.
  std::vector<COLORREF> ClientPixels(CWnd& wnd) {
    const std::function<COLORREF(int, int)> pixel = ScreenReader();
    CRect r;
    wnd.GetClientRect(&r);
    wnd.ClientToScreen(&r);
    std::vector<COLORREF> out;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) out.push_back(pixel(x, y));
    return out;
  }
  // Whether each window shows what drawing it anew shows: a window left
  // with a picture of other bars fails.
  ::testing::AssertionResult BothShowTheirFullDrawing() {
    const std::vector<COLORREF> chartBefore = ClientPixels(*chart_), paneBefore = ClientPixels(*pane_);
    chart_->Model().RequestRedraw();
    chart_->Invalidate();
    pane_->m_bRedraw = TRUE;
    pane_->Invalidate();
    Pump();
    if (ClientPixels(*chart_) != chartBefore) return ::testing::AssertionFailure() << "the chart's picture was stale";
    if (ClientPixels(*pane_) != paneBefore) return ::testing::AssertionFailure() << "the pane's picture was stale";
    return ::testing::AssertionSuccess();
  }

  std::unique_ptr<CKivDesk_Wnd_Index> pane_;
  StockViewRelay relay_;
};

}  // namespace kiv::test
