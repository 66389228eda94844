// CKIVKLineBlock: the K-line chart window. It hosts the chart model
// (ChartModel: the bars of one stock in one period, their lines, signals
// and marks) and shows it: candles, volume bars, grid, axis labels, moving
// averages and title in a chart layer redrawn only when something changed,
// and over a copy of it on every paint the crosshair, the information
// panel, the legends and the tips. It scrolls and zooms the process-wide
// view (g_data) that the indicator pane beneath it shares, moves the
// crosshair by mouse and keys, and offers the chart's context menu.
//
// Ownership: the host (the stock view, the side dialog) creates it with
// Create, destroys its window before deleting it, and owns the services and
// the dialog maker it is given; the chart owns its model, its back buffers,
// fonts and mark bitmaps, and the interval dialog it made. The pointer the
// chart sends its parent with WM_KIV_SERIES_READY stays the chart's.
//
// Threads: UI thread only, except what the model hands to the network and
// worker threads (ChartModel.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "chart/engine/ChartModel.h"
#include "chart/engine/CrosshairBarSummary.h"
#include "chart/engine/KLineChartGeometry.h"
#include "chart/engine/KLineHolderMarks.h"
#include "chart/engine/window/ChartDialogSeams.h"
#include "data/Congfig.h"
#include "platform/core/Wnd.h"
#include "platform/gdi/DC.h"

namespace kiv {

// Bits of the menu options (m_MenuOptions); bits 0 and 1 mirror the
// configuration's chart option words 0 and 1.
constexpr uint16_t kHollowCandlesBit = 0x01;
constexpr uint16_t kGridOffBit = 0x02;
constexpr uint16_t kHoldingViewBit = 0x04;

// The settings record of the moving averages for a period tab: 1 to 8, or 0
// when the tab has none (market 4 shows day, week, month as tabs 0 to 2).
int MASettingsRecordOf(StockId stock, int periodSlot);

class CKIVKLineBlock : public CWnd, public ChartModelHost {
 public:
  CKIVKLineBlock(ChartServices services, CCongfig* config = nullptr, ChartDialogMaker* dialogs = nullptr);
  // Destroys the window first: nothing derives from the chart.
  ~CKIVKLineBlock() override;

  // ---- operations of the host ----
  void SetStock(StockId* id, DataType period);
  void ToggleExRights() { model_.ToggleExRights(); }
  void ToggleShortMarks() { model_.ToggleShortMarks(); }
  void ToggleIndexMarks() { model_.ToggleIndexMarks(); }
  void ToggleMidTermMarks() { model_.ToggleMidTermMarks(); }
  // Up and Down: wider (narrower) bars by *n levels, keeping the last
  // visible bar in place.
  void ZoomIn(int* n);
  void ZoomOut(int* n);
  // The host's 中线机会 state: mid-term marks and lines instead of averages.
  void SetMidTermMarks(int on);
  int MidTermMarks() const { return m_MidTermMarks; }
  // The stock view's holding-change view (not stored).
  void SetHoldingView(bool on);

  // ---- what the host, the indicator pane and tests read ----
  ChartModel& Model() { return model_; }
  const ChartModel& Model() const { return model_; }
  uint16_t MenuOptions() const { return m_MenuOptions; }
  BOOL IsCrosshair() const { return m_bCrosshair; }
  BOOL IsDragging() const { return m_bDragging; }
  int IntervalFrom() const { return m_IntervalFrom; }
  int IntervalTo() const { return m_IntervalTo; }
  const KLinePlots& Plots() const { return plots_; }
  // The scales and extremes of the last chart redraw.
  const KLineScale& Scale() const { return scale_; }
  int VisibleCount() const { return visibleCount_; }
  int TitleRight() const { return titleRight_; }
  int LastBarLowY() const { return lastLowY_; }
  // Bitmap loads of the mark bitmaps since creation (they stay loaded).
  int MarkBitmapLoads() const { return markBitmapLoads_; }

  // The visible slot under a screen point; -1 without series or left of
  // the plot.
  int BarIndexAtPoint(POINT screen) const;
  // Centre x of a visible slot.
  int BarCenterX(int slot) const;
  int PriceToY(float price) const { return scale_.PriceToY(price); }
  int VolumeToY(float volume) const { return scale_.VolumeToY(volume); }

  // Posts the crosshair bar summary of the last bar (or the hovered one) to
  // the parent; 1 when it did.
  int SendCrosshairSummary(bool lastBar);

  // ---- painting (public for the tests and the benchmark) ----
  void DrawChart(CDC* dc);
  void DrawInfoPanel(CDC* dc);
  void DrawDragBand(CDC* dc, int textHeight);
  void DrawExRightsTip(CDC* dc, int bar, int barX, int cursorY);
  void DrawExRightsDayMark(CDC* dc, int bar, int centreX);
  // The text of a bar's holding marks: the first entry's date, then one
  // line per entry; empty without entries.
  static std::string FormatHoldingMarks(const KLineHolderMarks* marks);

  // ---- ChartModelHost ----
  HWND ChartHwnd() const override { return m_hWnd; }
  BOOL PostToChart(UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT SendToParent(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void SetTimer(UINT id, UINT elapseMs) override;
  void KillTimer(UINT id) override;
  CWinThreadPtr StartWorker(AFX_THREADPROC proc, void* param) override;
  int64_t Now() const override;
  void Invalidate() override;

 protected:
  int OnCreate(LPCREATESTRUCT cs) override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnTimer(UINT_PTR id) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnRButtonDown(UINT flags, CPoint point) override;
  void OnRButtonUp(UINT flags, CPoint point) override;
  void OnMouseMove(UINT flags, CPoint point) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // Changes the zoom level by *n steps through changeLevel, keeping the last
  // visible bar in place.
  void Rezoom(int* n, int (*changeLevel)(int));
  // The series prices are drawn from: the adjusted copy where it is shown
  // and long enough, else the main series.
  const CKLineSeries* PaintSeries(int start) const;
  // The first visible bar held inside the main series.
  int StartIndex() const;
  bool InPlots(CPoint client) const;
  CPoint CrosshairClientPoint() const;
  // The bar under a client point, for the interval range.
  int IntervalBarAt(CPoint client);
  void ToggleCrosshairByClick();
  void StepCrosshairByKey(bool left, WPARAM wParam);
  void OnCrosshairRepaint();
  void ShowContextMenu(CPoint client);
  void RunIntervalStatistics();
  void RunMASettings();
  void FlipMenuOption(uint16_t bit);
  // Bits 0 and 1 of the menu options from the configuration words.
  void ReadMenuOptionWords();
  void ReloadAverageSettings();
  void MakeLayers(CDC* screen, int width, int height);
  void FreeLayers();
  void CollectExRightsDates();
  bool IsExRightsDay(int64_t barTime) const;
  const ExRightsRecord* ExRightsRowOf(int64_t barTime) const;
  void DrawSignalMark(CDC* dc, bool buy, bool lastBar, int xc, int yH, int yL, int sHeight, bool pendingAllowed);
  void DrawLines(CDC* dc, const CKLineSeries& main, int start, int visible);
  void DrawPolyline(CDC* dc, const CMovingAverageLine& line, int start, int visible, bool volume);
  void DrawHoldingTips(CDC* dc, int bar, int barX, CPoint cursor, int textHeight);

  ChartModel model_;
  CCongfig* config_;
  ChartDialogMaker* dialogs_;
  std::unique_ptr<ChartIntervalDialog> m_IntervalDlg;

  int m_MidTermMarks = 0;
  uint16_t m_MenuOptions = 0;
  BOOL m_bDragging = 0;
  CPoint m_DragStart;
  BOOL m_bCrosshair = 0;
  bool crosshairRefresh_ = false;
  bool rightDown_ = false;
  CPoint rightPoint_;  // client
  bool rightDrag_ = false;
  int m_IntervalFrom = 0;
  int m_IntervalTo = 0;
  bool holdingRunShown_ = false;
  int holdingRunBar_ = -1;

  KLinePlots plots_;
  KLineScale scale_;
  int visibleCount_ = 0;
  int titleRight_ = 0;
  int lastHighY_ = 0;
  int lastLowY_ = 0;
  std::vector<int> exRightsDates_;  // local yyyymmdd of the shown stock's ex-rights rows, sorted

  bool layersReady_ = false;
  CDC chartLayer_;
  CBitmap chartBitmap_;
  CBitmap* chartOld_ = nullptr;
  CDC overlayLayer_;
  CBitmap overlayBitmap_;
  CBitmap* overlayOld_ = nullptr;
  CFont axisFont_;
  CFont panelFont_;
  CFont tipFont_;
  CDC markDc_;  // IDB_SIGNAL_MARK, loaded at creation
  CBitmap markBitmap_;
  CBitmap* markOld_ = nullptr;
  CDC pendingDc_;  // IDB_SIGNAL_MARK_PENDING, loaded at the first mark drawn
  CBitmap pendingBitmap_;
  CBitmap* pendingOld_ = nullptr;
  bool pendingTried_ = false;
  CBrush noteBrush_;
  int markBitmapLoads_ = 0;
};

}  // namespace kiv
