#include "chart/indicators/KIVIndex_BOLL.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "chart/engine/KLineViewState.h"
#include "chart/indicators/IndicatorStyle.h"
#include "chart/indicators/IndicatorWindows.h"

using kiv::kIndexLineColors;

CKIVIndex_BOLL::CKIVIndex_BOLL(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_nParam1 = 26;
  m_nParam2 = 2;
  UseResults(3, true);
}

CKIVIndex_BOLL::~CKIVIndex_BOLL() { FreeResults(); }

void CKIVIndex_BOLL::ComputeBars(const KLineBar* bars, int count, int from) {
  const int n = m_nParam1;
  const double width = m_nParam2;
  const int first = std::max(from, n - 1);
  if (first >= count) return;
  const size_t size = static_cast<size_t>(count);
  std::vector<float> closes(size), middle(size), squares(size);
  for (int i = first - n + 1; i < count; ++i) closes[i] = bars[i].close;
  kiv::SumWindowsForward(closes.data(), n, first, count, middle.data());
  for (int i = first; i < count; ++i) middle[i] /= static_cast<float>(n);
  kiv::SumSquaredDeviations(closes.data(), middle.data(), n, first, count, squares.data());
  for (int i = first; i < count; ++i) {
    // The sample deviation: divisor n - 1.
    const double sd = std::sqrt(static_cast<double>(squares[i]) / (n - 1));
    m_pData1[i] = Finite(middle[i]);
    m_pData2[i] = Finite(middle[i] + sd * width);
    m_pData3[i] = Finite(middle[i] - sd * width);
  }
}

void CKIVIndex_BOLL::CalcRange() {
  CKIVIndex_Base::CalcRange();
  if (!m_pSeries || !HasVisibleBars()) return;
  const int count = std::min(m_nCount, m_pSeries->GetCount());
  const KLineBar* bars = m_pSeries->Bars();
  for (int i = StartBar(); i < count; ++i) {
    if (std::isfinite(bars[i].low)) m_fMin = std::min(m_fMin, bars[i].low);
    if (std::isfinite(bars[i].high)) m_fMax = std::max(m_fMax, bars[i].high);
  }
}

void CKIVIndex_BOLL::DrawPriceBars(CDC* dc) {
  if (!m_pSeries) return;
  const int n = std::min(DrawnBars(), m_pSeries->GetCount() - StartBar());
  if (n < 1) return;
  const KLineBar* bars = m_pSeries->Bars() + StartBar();
  const int width = BarWidth();
  const int step = BarStep();
  CPen pen(PS_SOLID, 1, kiv::kBollPriceBarColor);
  CPen* oldPen = dc->SelectObject(&pen);
  for (int k = 0; k < n; ++k) {
    const int xl = m_rcPlot.left + k * step;
    const int xc = xl + width / 2;
    const int xr = xc + width / 2;
    dc->MoveTo(xc, ValueY(bars[k].high));
    dc->LineTo(xc, ValueY(bars[k].low));
    dc->MoveTo(xl, ValueY(bars[k].open));
    dc->LineTo(xc, ValueY(bars[k].open));
    dc->MoveTo(xr, ValueY(bars[k].close));
    dc->LineTo(xc, ValueY(bars[k].close));
  }
  dc->SelectObject(oldPen);
}

void CKIVIndex_BOLL::Draw(CDC* dc) {
  CKIVIndex_Base::Draw(dc);
  if (!dc || m_nCount <= 0) return;
  DrawPriceBars(dc);
  DrawLine(dc, m_pData1, kIndexLineColors[0], m_nParam1);
  DrawLine(dc, m_pData2, kIndexLineColors[1], m_nParam1);
  DrawLine(dc, m_pData3, kIndexLineColors[2], m_nParam1);
}

void CKIVIndex_BOLL::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  char title[64];
  std::snprintf(title, sizeof title, "BOLL (%d,%d) -- ", m_nParam1, m_nParam2);
  DrawTitleTexts(dc, title,
                 {{Format("MID %.3f", m_pData1[idx]), kIndexLineColors[0]},
                  {Format("UPPER %.3f", m_pData2[idx]), kIndexLineColors[1]},
                  {Format("LOWER1 %.3f", m_pData3[idx]), kIndexLineColors[2]}});
  CKIVIndex_Base::DrawTitle(dc);
}
