#include "chart/indicators/KivDesk_Wnd_Index.h"

#include <algorithm>
#include <cstring>

#include "chart/engine/ChartIds.h"
#include "chart/engine/KLineViewState.h"
#include "chart/indicators/IndicatorIds.h"
#include "chart/indicators/IndicatorStyle.h"
#include "chart/indicators/KIVIndex_ARBR.h"
#include "chart/indicators/KIVIndex_BIAS.h"
#include "chart/indicators/KIVIndex_BOLL.h"
#include "chart/indicators/KIVIndex_CCI.h"
#include "chart/indicators/KIVIndex_DMI.h"
#include "chart/indicators/KIVIndex_KDJ.h"
#include "chart/indicators/KIVIndex_MACD.h"
#include "chart/indicators/KIVIndex_NetFlow.h"
#include "chart/indicators/KIVIndex_OBV.h"
#include "chart/indicators/KIVIndex_PSY.h"
#include "chart/indicators/KIVIndex_RSI.h"
#include "chart/indicators/KIVIndex_WR.h"
#include "shell/ShellIds.h"

namespace {

template <class Indicator>
std::unique_ptr<CKIVIndex_Base> NewIndicatorOf(BOOL crosshair, CWnd* owner) {
  return std::make_unique<Indicator>(crosshair, owner);
}

struct PaneIndicator {
  const char* name;  // the tab text
  std::unique_ptr<CKIVIndex_Base> (*make)(BOOL crosshair, CWnd* owner);
};

// The strip's items 0-11, in order.
const PaneIndicator kPaneIndicators[kiv::kIndexCount] = {
    {"ARBR", NewIndicatorOf<CKIVIndex_ARBR>}, {"BIAS", NewIndicatorOf<CKIVIndex_BIAS>},
    {"BOLL", NewIndicatorOf<CKIVIndex_BOLL>}, {"CCI", NewIndicatorOf<CKIVIndex_CCI>},
    {"DMI", NewIndicatorOf<CKIVIndex_DMI>},   {"KDJ", NewIndicatorOf<CKIVIndex_KDJ>},
    {"MACD", NewIndicatorOf<CKIVIndex_MACD>}, {"NFI", NewIndicatorOf<CKIVIndex_NetFlow>},
    {"OBV", NewIndicatorOf<CKIVIndex_OBV>},   {"PSY", NewIndicatorOf<CKIVIndex_PSY>},
    {"RSI", NewIndicatorOf<CKIVIndex_RSI>},   {"W&R", NewIndicatorOf<CKIVIndex_WR>},
};

// Left edge of the plot, and of the strip below it: right of the axis
// labels.
int PanePlotLeft(const CRect& client) { return client.left + kiv::g_data.leftMargin + kiv::kIndexPlotLeftGap; }

}  // namespace

CKivDesk_Wnd_Index::CKivDesk_Wnd_Index(const char* indexName, UINT tabBitmapId, UINT tabBitmapId2)
    : m_nTabBitmapId(tabBitmapId), m_nTabBitmapId2(tabBitmapId2) {
  // Cut to the buffer, always terminated: a longer name matches nothing.
  if (indexName) std::strncpy(m_szIndexName, indexName, sizeof(m_szIndexName) - 1);
}

CKivDesk_Wnd_Index::~CKivDesk_Wnd_Index() {
  // The indicator draws on this window: it goes first; the strip's window
  // went with the pane's.
  m_pIndex.reset();
  if (m_pTab && ::IsWindow(m_pTab->m_hWnd)) m_pTab->DestroyWindow();
  m_pTab.reset();
}

const char* CKivDesk_Wnd_Index::IndicatorName(int item) {
  return item >= 0 && item < kiv::kIndexCount ? kPaneIndicators[item].name : nullptr;
}

int CKivDesk_Wnd_Index::IndicatorItem(const char* name) {
  if (!name) return -1;
  for (int i = 0; i < kiv::kIndexCount; ++i) {
    if (std::strcmp(name, kPaneIndicators[i].name) == 0) return i;
  }
  return -1;
}

std::unique_ptr<CKIVIndex_Base> CKivDesk_Wnd_Index::MakeIndicator(int item) {
  if (item < 0 || item >= kiv::kIndexCount) return nullptr;
  return kPaneIndicators[item].make(m_bCrosshair, this);
}

CRect CKivDesk_Wnd_Index::TabRect() const {
  CRect rc;
  GetClientRect(&rc);
  const int left = std::min(PanePlotLeft(rc), static_cast<int>(rc.right));
  return CRect(left, rc.bottom - kiv::kIndexTabHeight, rc.right, rc.bottom);
}

// --- Creation and size -------------------------------------------------------

BOOL CKivDesk_Wnd_Index::PreCreateWindow(CREATESTRUCT& cs) {
  // The strip paints itself: the pane's one copy leaves it alone.
  cs.style |= WS_CLIPCHILDREN;
  return CWnd::PreCreateWindow(cs);
}

int CKivDesk_Wnd_Index::OnCreate(LPCREATESTRUCT cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  const int item = IndicatorItem(m_szIndexName);
  if (!m_pIndex) m_pIndex = MakeIndicator(item);  // a name outside the table makes none
  if (m_pTab) return 0;

  m_pTab = std::make_unique<CKivDesk_Wnd_Tab>(m_nTabBitmapId, m_nTabBitmapId, m_nTabBitmapId2,
                                              kiv::kIndexTabSelectedText, TRUE, FALSE);
  if (!m_pTab->Create(nullptr, kiv::kIndexTabWindowName, WS_CHILD | WS_VISIBLE, TabRect(), this,
                      kiv::kIdcIndexTab)) {
    m_pTab.reset();
    return 0;
  }
  m_pTab->SetItemCount(kiv::kIndexTabItems);
  for (int i = 0; i < kiv::kIndexCount; ++i) m_pTab->SetItemText(i, kPaneIndicators[i].name);
  m_nCurIndex = item;
  // Without a first indicator no item is the selection: the captionless
  // last item takes it, so that a click on any indicator picks it.
  m_pTab->SetCurSel(item >= 0 ? item : kiv::kIndexTabItems - 1);
  m_pTab->ShowWindow(SW_SHOW);
  return 0;
}

void CKivDesk_Wnd_Index::OnSize(UINT type, int cx, int cy) {
  CWnd::OnSize(type, cx, cy);
  if (m_pTab) m_pTab->MoveWindow(TabRect(), TRUE);
  BuildPictures(cx, cy);
  m_bRedraw = TRUE;
  Invalidate();
}

void CKivDesk_Wnd_Index::BuildPictures(int width, int height) {
  for (KivTabCanvas* picture : {&indexPicture_, &titlePicture_}) {
    picture->Rebuild(width, height);
    if (picture->IsReady()) picture->Dc().FillSolidRect(0, 0, width, height, RGB(0, 0, 0));
  }
}

// --- Painting ----------------------------------------------------------------

BOOL CKivDesk_Wnd_Index::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers every pixel
}

void CKivDesk_Wnd_Index::OnPaint() {
  CPaintDC dc(this);
  CRect rc;
  GetClientRect(&rc);
  const int w = rc.Width();
  const int h = rc.Height();
  const CSize size(w, h);
  if (!indexPicture_.IsReady() || indexPicture_.Size() != size || titlePicture_.Size() != size) {
    BuildPictures(w, h);
    m_bRedraw = TRUE;
  }
  if (!indexPicture_.IsReady() || !titlePicture_.IsReady()) return;  // no client area
  {
    OldReadLock read(&m_Lock);
    if (m_pIndex) {
      if (m_bRedraw) {
        m_pIndex->Draw(&indexPicture_.Dc());
        m_bRedraw = FALSE;
      }
      titlePicture_.Dc().BitBlt(0, 0, w, h, &indexPicture_.Dc(), 0, 0, SRCCOPY);
      m_pIndex->DrawTitle(&titlePicture_.Dc());
    }
  }
  dc.BitBlt(rc.left, rc.top, w, h, &titlePicture_.Dc(), 0, 0, SRCCOPY);
}

// --- Mouse -------------------------------------------------------------------

void CKivDesk_Wnd_Index::OnMouseMove(UINT flags, CPoint point) {
  CRect plot;
  GetClientRect(&plot);
  plot.left = PanePlotLeft(plot);
  if (plot.PtInRect(point)) {
    CPoint screen = point;
    ClientToScreen(&screen);
    if (screen.x != kiv::g_data.crosshairX || screen.y != kiv::g_data.crosshairY) {
      kiv::g_data.crosshairX = screen.x;
      kiv::g_data.crosshairY = screen.y;
      // The pane repaints when the host answers, after the chart has taken
      // the new point.
      if (CWnd* parent = GetParent()) parent->PostMessage(kiv::WM_KIV_INDEX_MOUSE, 0, 0);
    }
  }
  CWnd::OnMouseMove(flags, point);
}

void CKivDesk_Wnd_Index::OnLButtonDown(UINT flags, CPoint point) {
  CRect rc;
  GetClientRect(&rc);
  if (m_pIndex && rc.PtInRect(point)) {
    m_bCrosshair = m_bCrosshair ? FALSE : TRUE;
    m_pIndex->m_bCrosshair = m_pIndex->m_bCrosshair ? 0 : 1;
    if (CWnd* parent = GetParent()) {
      parent->PostMessage(kiv::WM_KIV_CROSSHAIR_TOGGLED, static_cast<WPARAM>(m_pIndex->m_bCrosshair), 0);
    }
    Invalidate();
  }
  CWnd::OnLButtonDown(flags, point);
}

void CKivDesk_Wnd_Index::OnShowWindow(BOOL show, UINT status) {
  CWnd::OnShowWindow(show, status);
  m_bShown = show;
}

// --- The program's messages ----------------------------------------------------

LRESULT CKivDesk_Wnd_Index::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kiv::WM_KIV_SERIES_READY:
      return OnSeriesReady(wParam);
    case kiv::WM_KIV_CROSSHAIR_SHOW:
      return OnCrosshairShow(wParam);
    case kiv::WM_KIV_CROSSHAIR_REPAINT:
      return OnCrosshairRepaint();
    case WM_KIV_SELECT:
      return OnSelectIndicator(wParam, lParam);
    default:
      return CWnd::OnMessage(msg, wParam, lParam);
  }
}

LRESULT CKivDesk_Wnd_Index::OnSeriesReady(WPARAM wParam) {
  const auto* series = reinterpret_cast<const CKLineSeries*>(wParam);
  {
    ScopedWriteLock write(&m_Lock);
    m_pSeries = series;
    if (m_pIndex) m_pIndex->Compute(series);
  }
  // The chart drops its series (0) before it frees or replaces it: the
  // results go, the picture stays until the new series comes.
  if (series) {
    m_bRedraw = TRUE;
    Invalidate();
  }
  return 0;
}

LRESULT CKivDesk_Wnd_Index::OnCrosshairShow(WPARAM wParam) {
  m_bCrosshair = wParam ? TRUE : FALSE;
  if (m_pIndex) {
    m_pIndex->m_bCrosshair = m_bCrosshair;
    Invalidate();
  }
  return 0;
}

LRESULT CKivDesk_Wnd_Index::OnCrosshairRepaint() {
  // The title layer is made anew from the kept drawing.
  Invalidate();
  return 0;
}

LRESULT CKivDesk_Wnd_Index::OnSelectIndicator(WPARAM wParam, LPARAM lParam) {
  const int item = static_cast<int>(lParam);
  // Only the pane's own strip, only another indicator: the captionless
  // item (or any other number) changes nothing.
  if (wParam != kiv::kIdcIndexTab || item == m_nCurIndex || !IndicatorName(item)) return 0;
  {
    ScopedWriteLock write(&m_Lock);
    // The old indicator goes before the new one draws on the pane; the new
    // one keeps the pane's crosshair state.
    m_pIndex.reset();
    m_pIndex = MakeIndicator(item);
    m_nCurIndex = item;
    m_pIndex->Compute(m_pSeries);
  }
  if (m_pTab) {
    m_pTab->SetCurSel(item);
    m_pTab->Invalidate();
  }
  m_bRedraw = TRUE;
  Invalidate();
  return 0;
}
