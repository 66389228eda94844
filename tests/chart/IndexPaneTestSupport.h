// The indicator pane in a small host that relays between it and a stand-in
// chart window as the stock view does (StockViewRelay.h); the stand-in chart
// answers every crosshair repaint with its mouse notice, as the chart does.
// Pixels are read from the composed headless screen.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chart/engine/ChartIds.h"
#include "chart/engine/KLineViewState.h"
#include "chart/indicators/IndicatorIds.h"
#include "chart/indicators/IndicatorStyle.h"
#include "chart/indicators/KivDesk_Wnd_Index.h"
#include "platform/gdi/Surface.h"
#include "res/ResourceTables.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"
#include "tests/chart/IndicatorTestSupport.h"
#include "tests/chart/StockViewRelay.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv::test {

// The pane as the host makes it, counting its paints.
class CountedIndexPane : public CKivDesk_Wnd_Index {
 public:
  using CKivDesk_Wnd_Index::CKivDesk_Wnd_Index;
  ~CountedIndexPane() override {
    if (::IsWindow(m_hWnd)) DestroyWindow();
  }
  int paints = 0;

 protected:
  void OnPaint() override {
    ++paints;
    CKivDesk_Wnd_Index::OnPaint();
  }
};

class IndexPaneTest : public WindowTest {
 protected:
  // The host at (100, 80), 600 x 320; the chart on its top 100 rows, the
  // pane below it (600 x 220). With a left margin of 50 the pane's plot
  // spans x 60 .. 599 and y 0 .. 195, the strip x 60 .. 599, y 196 .. 219.
  static constexpr int kHostX = 100, kHostY = 80;
  static constexpr int kPaneTop = 100, kPaneWidth = 600, kPaneHeight = 220;
  static constexpr int kPlotLeft = 60, kPlotRight = 599, kPlotBottom = 195;
  static constexpr COLORREF kFrame = 0x555555;

  void SetUp() override {
    WindowTest::SetUp();
    res::UseDeskResources();
    InitUiFonts(UiTheme().Fonts());
    saved_ = g_data;
    g_data = KLineViewState();
    g_data.leftMargin = 50;
    g_data.labelHeight = 20;
    g_data.zoomLevel = 6;  // bars 5 pixels wide, step 7
    g_data.m_StartIndex = 0;
    series_ = SeriesOf(WalkBars(120));
  }
  void TearDown() override {
    ClosePane();
    g_data = saved_;
    WindowTest::TearDown();
  }

  // Creates the pane showing `first`, shown as the host's layout shows it.
  // The host and its chart first (on whichever display is installed by
  // then).
  CountedIndexPane& Open(const char* first = "KDJ") {
    host_ = Top("host", CRect(kHostX, kHostY, kHostX + kPaneWidth, kHostY + kPaneTop + kPaneHeight));
    chart_ = Child(host_, "chart", CRect(0, 0, kPaneWidth, kPaneTop), 501);
    host_->hook = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
      return relay_.Relay(msg, wParam, lParam, result);
    };
    chart_->hook = [this](UINT msg, WPARAM, LPARAM, LRESULT*) {
      // The chart has drawn its crosshair at the new point and says so.
      if (msg == WM_KIV_CROSSHAIR_REPAINT) host_->PostMessage(WM_KIV_CHART_MOUSE, 0, 0);
      return false;
    };
    pane_ = std::make_unique<CountedIndexPane>(first, kIdbIndexTabFace, kIdbIndexTabSeparator);
    EXPECT_TRUE(pane_->Create(nullptr, kIndexPaneWindowName, WS_CHILD | WS_VISIBLE,
                              CRect(0, kPaneTop, kPaneWidth, kPaneTop + kPaneHeight), host_, kIdcIndexPane));
    relay_.SetWindows(chart_, pane_.get());
    pane_->ShowWindow(SW_HIDE);
    pane_->ShowWindow(SW_SHOW);
    Pump();
    return *pane_;
  }
  // The pane goes; the host relays to it no more.
  void ClosePane() {
    relay_.SetWindows(nullptr, nullptr);
    pane_.reset();
  }
  // The chart announces its series (or drops it, with null) to its host.
  void ChartSends(const CKLineSeries* series) {
    host_->SendMessage(WM_KIV_SERIES_READY, reinterpret_cast<WPARAM>(series), 0);
  }

  int Pump() {
    shot_.reset();
    return WindowTest::Pump();
  }
  // A pixel of the pane's client area on the composed screen.
  COLORREF PanePixel(int x, int y) {
    if (!shot_) shot_ = Screen().ComposeScreen();
    CPoint p(x, y);
    pane_->ClientToScreen(&p);
    return shot_->PixelAt(p.x, p.y);
  }
  int CountInRect(const CRect& rect, COLORREF colour) {
    int n = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) n += PanePixel(x, y) == colour ? 1 : 0;
    }
    return n;
  }
  // Pixels of the indicator's first line colour inside the plot.
  int LinePixels() { return CountInRect(CRect(kPlotLeft + 1, 20, kPlotRight, kPlotBottom), kIndexLineColors[0]); }
  int CountInRow(int y, COLORREF colour) { return CountInRect(CRect(kPlotLeft + 1, y, kPlotRight, y + 1), colour); }

  CPoint OnScreen(CWnd& wnd, CPoint client) {
    wnd.ClientToScreen(&client);
    return client;
  }
  void ClickPane(CPoint client) {
    clock_.Advance(1000);
    Screen().Click(OnScreen(*pane_, client));
    Pump();
  }
  CRect TabItemRect(int item) {
    CRect r;
    EXPECT_TRUE(pane_->TabStrip()->GetItemRect(item, &r)) << item;
    return r;
  }
  void ClickTab(CPoint client) {
    clock_.Advance(1000);
    Screen().Click(OnScreen(*pane_->TabStrip(), client));
    Pump();
  }
  void MoveMouseInPane(CPoint client) {
    Screen().MoveMouse(OnScreen(*pane_, client));
    Pump();
  }
  size_t Count(const std::string& window, UINT msg) const { return Of(window, msg).size(); }

  TestWnd* host_ = nullptr;
  TestWnd* chart_ = nullptr;
  std::unique_ptr<CountedIndexPane> pane_;
  std::unique_ptr<CKLineSeries> series_;
  StockViewRelay relay_;

 private:
  KLineViewState saved_;
  std::unique_ptr<gdi::Surface> shot_;
};

}  // namespace kiv::test
