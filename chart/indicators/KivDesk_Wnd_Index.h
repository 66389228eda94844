// CKivDesk_Wnd_Index: the indicator pane under the K-line chart of the
// stock view. It shows one of the twelve technical indicators at a time for
// the bar series the chart shows, with a tab strip along its bottom edge to
// switch indicators, and shares the crosshair with the chart: the crosshair
// point lives in the view state g_data, and the two windows ask each other,
// through their host, to repaint.
//
// Painting keeps two off-screen pictures of the client size: the indicator
// drawn in full (redrawn only when m_bRedraw is set: a new series, another
// indicator, a resize, or the host after a zoom), and a copy of it with the
// title line, the value box and the crosshair on top, made on every paint.
// A crosshair move therefore costs one copy and the title, not the lines.
// The pane clips its strip (WS_CLIPCHILDREN) and shows the second picture
// with one copy; the strip paints itself.
//
// Messages: WM_KIV_SERIES_READY (wParam the chart's series or 0; the pane
// keeps the pointer until the next one, and 0 only clears the indicator's
// results, without a repaint), WM_KIV_CROSSHAIR_SHOW (wParam the flag),
// WM_KIV_CROSSHAIR_REPAINT, and WM_KIV_SELECT from its own strip. It posts
// WM_KIV_INDEX_MOUSE to its parent after the mouse moved the crosshair
// point, and WM_KIV_CROSSHAIR_TOGGLED (wParam the new flag) after a click.
//
// Ownership: the host constructs it, creates the window (window name
// "StockIndex", control id 502) and destroys the window before deleting
// it. The pane owns its indicator, its tab strip and its pictures; the
// series belongs to the chart, which announces with wParam 0 before it
// frees or replaces it. Threads: the UI thread only; m_Lock guards the
// series pointer and every use of the indicator.
#pragma once

#include <memory>

#include "chart/indicators/KIVIndex_Base.h"
#include "data/KLineSeries.h"
#include "net/KivRWLock.h"
#include "platform/core/Wnd.h"
#include "shell/KivDesk_Wnd_Tab.h"
#include "shell/KivTabCanvas.h"

class CKivDesk_Wnd_Index : public CWnd {
 public:
  // The name of the indicator to show first (one of the tab texts, "KDJ"
  // in the stock view), the strip's face bitmap (normal and selected; its
  // height is the tab band's) and its separator bitmap.
  CKivDesk_Wnd_Index(const char* indexName, UINT tabBitmapId, UINT tabBitmapId2);
  ~CKivDesk_Wnd_Index() override;

  // The tab text (and indicator name) of item 0-11; null for any other.
  static const char* IndicatorName(int item);
  // The item of an indicator name (exact, case-sensitive); -1 when none.
  static int IndicatorItem(const char* name);

  // What the pane shows, for its host and its tests.
  CKIVIndex_Base* CurrentIndicator() const { return m_pIndex.get(); }
  int CurrentItem() const { return m_nCurIndex; }
  CKivDesk_Wnd_Tab* TabStrip() const { return m_pTab.get(); }
  const CKLineSeries* Series() const { return m_pSeries; }
  BOOL IsCrosshairShown() const { return m_bCrosshair; }

  // The last WM_SHOWWINDOW's flag: the host relays to the pane only while
  // it is set.
  BOOL m_bShown = FALSE;
  // The next paint draws the indicator anew; the host sets it (and
  // invalidates) after zoom changes and on its repaint-pane command.
  BOOL m_bRedraw = TRUE;

 protected:
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  int OnCreate(LPCREATESTRUCT cs) override;
  void OnSize(UINT type, int cx, int cy) override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnShowWindow(BOOL show, UINT status) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnSeriesReady(WPARAM wParam);
  LRESULT OnCrosshairShow(WPARAM wParam);
  LRESULT OnCrosshairRepaint();
  LRESULT OnSelectIndicator(WPARAM wParam, LPARAM lParam);

  // A new indicator of item 0-11, created with the pane's crosshair flag.
  std::unique_ptr<CKIVIndex_Base> MakeIndicator(int item);
  // The strip's place: from the plot's left edge to the right, the bottom
  // kIndexTabHeight rows.
  CRect TabRect() const;
  // Both pictures at the client size, black until drawn.
  void BuildPictures(int width, int height);

  const UINT m_nTabBitmapId;
  const UINT m_nTabBitmapId2;
  BOOL m_bCrosshair = FALSE;
  std::unique_ptr<CKivDesk_Wnd_Tab> m_pTab;
  std::unique_ptr<CKIVIndex_Base> m_pIndex;
  char m_szIndexName[260] = {};
  int m_nCurIndex = -1;
  const CKLineSeries* m_pSeries = nullptr;  // the chart's; not owned
  CKivRWLock m_Lock;
  // The indicator drawn in full, and that drawing with the title line and
  // crosshair on top.
  KivTabCanvas indexPicture_;
  KivTabCanvas titlePicture_;
};
