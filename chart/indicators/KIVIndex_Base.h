// CKIVIndex_Base: the common base of the indicator pane's twelve technical
// indicators. An indicator computes per-bar value arrays from the bar series
// the chart shows and draws them into the pane bar by bar in step with the
// chart above it: the same first visible bar, bar width, gap and left margin
// of the shared view state g_data, so bar i of the indicator stands exactly
// under bar i of the chart. The base owns the value range, the frame, the
// grid with its axis labels, the line drawing, the title line's layout, the
// value box at the cursor height and the crosshair; each subclass adds its
// periods, formulas, line colours and title texts.
//
// Every division by a value that can be zero (flat prices, an empty window,
// a flat range, a value area of no height) is guarded: a value is 0 and a
// line of a flat range lies at mid-height. No array ever holds NaN or an
// infinity, whatever the bars hold.
//
// Ownership: the pane owns the one indicator it shows and deletes it through
// the virtual destructor. The indicator owns its result arrays, never the
// series: the pane keeps the series alive while the indicator refers to it
// (m_pSeries), and computes again when it changes.
//
// Threads: UI thread. Compute holds the indicator's m_Lock for writing; the
// pane holds its own lock around every Compute, Draw and DrawTitle, so the
// results are never replaced while they are drawn, and drawing takes no
// lock of the indicator's.
#pragma once

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "data/KLineBar.h"
#include "data/KLineSeries.h"
#include "net/KivRWLock.h"
#include "platform/core/Wnd.h"
#include "platform/gdi/DC.h"

class CKIVIndex_Base {
 public:
  static constexpr int kMaxArrays = 5;

  // Everything zeroed, the font made from the theme's small list font.
  CKIVIndex_Base(BOOL crosshair, CWnd* owner);
  virtual ~CKIVIndex_Base();
  CKIVIndex_Base(const CKIVIndex_Base&) = delete;
  CKIVIndex_Base& operator=(const CKIVIndex_Base&) = delete;

  // Background, frame, grid and axis labels. Only the frame while there is
  // nothing to show (no results). Subclasses call it first, then draw their
  // lines.
  virtual void Draw(CDC* dc);
  // The value box at the cursor height and, with m_bCrosshair, the
  // crosshair lines. Subclasses draw their title line first and call this
  // only when they drew it.
  virtual void DrawTitle(CDC* dc);
  // Replaces the results with those of `series` (null or empty: none), under
  // m_Lock held for writing. An indicator whose values each depend on a
  // window of bars keeps the bars it last computed and recomputes only from
  // the first bar that differs; the arrays are bit for bit those of a full
  // computation.
  virtual void Compute(const CKLineSeries* series);
  // Frees the results: m_nCount 0, the arrays null.
  virtual void FreeResults();
  // The value area and the value range over the bars from the first visible
  // one to the last.
  virtual void CalcRange();

  // One line of `values` across the visible bars; points before bar
  // `joinFrom` are not joined to the one before them.
  void DrawLine(CDC* dc, const float* values, COLORREF colour, int joinFrom);
  // The bar offset from the first visible bar under a screen point; -1
  // without a series or owner, or left of the plot.
  int HitTestBar(POINT screenPoint) const;
  // The first visible bar: the shared g_data.m_StartIndex held inside the
  // results. Another chart sharing the view state may have set it beyond
  // this series (or -1 before any series); the chart above holds it the
  // same way, so the two still show the same bars.
  int StartBar() const;
  // x of the centre of the bar at `offset` from the first visible bar; -1
  // without a series.
  int BarCenterX(int offset) const;
  // The first bar the last Compute filled anew (m_nCount when nothing had
  // changed, 0 for a full computation).
  int FirstRecomputedBar() const { return firstRecomputed_; }

  const CKLineSeries* m_pSeries = nullptr;  // not owned
  CWnd* m_pOwner = nullptr;                 // the pane: its client area is the drawing area
  CFont m_Font;
  RECT m_rcPlot{};  // recomputed by every Draw
  CKivRWLock m_Lock;
  int m_nCount = 0;  // bars computed; 0 when nothing is
  // Views of the result arrays (m_nCount entries); null when unused or when
  // nothing is computed.
  float* m_pData1 = nullptr;
  float* m_pData2 = nullptr;
  float* m_pData3 = nullptr;
  float* m_pData4 = nullptr;
  float* m_pData5 = nullptr;
  float m_fMax = 0;
  float m_fMin = 0;
  int m_nValueTop = 0;     // y of m_fMax
  int m_nValueBottom = 0;  // y of m_fMin
  int m_bZeroLine = 0;     // the middle grid line marks 0
  int m_nLevelCount = 0;   // fixed level lines instead of the three grid lines
  const float* m_pLevels = nullptr;
  int m_nParam1 = 0;
  int m_nParam2 = 0;
  int m_nParam3 = 0;
  int m_bCrosshair = 0;  // kept equal to the pane's flag by the pane

 protected:
  // A value shown in the title line, in the colour of its line.
  struct TitleValue {
    std::string text;  // GBK
    COLORREF colour;
  };

  // Called by the constructors: how many result arrays (1 .. 5, from
  // m_pData1 on) the indicator fills, and whether its values each depend on
  // a window of bars only (so a merge recomputes from its first changed bar).
  void UseResults(int arrays, bool windowed);
  // Fills entries from .. count - 1 of the result arrays from the bars;
  // entries before `from` hold the values of the same bars already (from is
  // 0 unless the indicator is windowed). Every value goes through Finite.
  virtual void ComputeBars(const KLineBar* bars, int count, int from);

  // v as a float, or 0 when it is NaN, infinite or beyond float's range.
  static float Finite(double v) {
    return std::isfinite(v) && std::fabs(v) <= static_cast<double>(FLT_MAX) ? static_cast<float>(v) : 0.0f;
  }

  // Steps of Draw that NFI reuses around its own range: background, plot
  // and frame (false when nothing more is to be drawn), and the grid with
  // its labels for the current range.
  bool DrawFrame(CDC* dc);
  void DrawGrid(CDC* dc);
  // The bar the title line shows (the last one, or the one under the
  // crosshair), or -1 when no title is drawn.
  int TitleBar() const;
  // The title text in the theme's text colour, then each value in its own
  // colour, 5 pixels apart, at (x, T + 2).
  void DrawTitleTexts(CDC* dc, const std::string& title, const std::vector<TitleValue>& values);
  void DrawTitleTextsAt(CDC* dc, int x, const std::string& title, const std::vector<TitleValue>& values);
  static std::string Format(const char* format, double value);

  // y of a value in the value area; mid-height for a flat range.
  int ValueY(float value) const;
  // y of the middle of the value area.
  int MidY() const;
  // Bars from the first visible one that are drawn: min(results right of
  // the first visible bar, bars that fit in the plot).
  int DrawnBars() const;
  bool HasVisibleBars() const;
  static int BarWidth();
  static int BarStep();

 private:
  int FirstChangedBar(const KLineBar* bars, int count) const;
  void DrawAxisLabel(CDC* dc, int y, const std::string& text);

  int arrays_ = 0;
  bool windowed_ = false;
  int firstRecomputed_ = 0;
  std::vector<float> results_[kMaxArrays];
  // The bars of the last computation (windowed indicators only).
  std::vector<KLineBar> computedBars_;
};
