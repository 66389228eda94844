#include "chart/indicators/KIVIndex_MACD.h"

#include <cmath>
#include <cstdio>

#include "chart/engine/KLineViewState.h"
#include "chart/indicators/IndicatorStyle.h"
#include "data/RoundToInt.h"
#include "shell/KivUiTheme.h"

using kiv::kIndexLineColors;

CKIVIndex_MACD::CKIVIndex_MACD(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_nParam1 = 12;
  m_nParam2 = 26;
  m_nParam3 = 9;
  m_bZeroLine = 1;
  // The averages carry every bar before: always from bar 0.
  UseResults(3, false);
}

CKIVIndex_MACD::~CKIVIndex_MACD() { FreeResults(); }

void CKIVIndex_MACD::ComputeBars(const KLineBar* bars, int count, int) {
  const float fast = static_cast<float>(m_nParam1), slow = static_cast<float>(m_nParam2);
  const float signal = static_cast<float>(m_nParam3);
  float fastAverage = bars[0].close, slowAverage = bars[0].close, dea = 0.0f;
  m_pData1[0] = m_pData2[0] = m_pData3[0] = 0.0f;
  for (int i = 1; i < count; ++i) {
    const float close = bars[i].close;
    fastAverage = (2.0f * close + (fast - 1.0f) * fastAverage) / (fast + 1.0f);
    slowAverage = (2.0f * close + (slow - 1.0f) * slowAverage) / (slow + 1.0f);
    const float diff = fastAverage - slowAverage;
    dea = (2.0f * diff + (signal - 1.0f) * dea) / (signal + 1.0f);
    m_pData1[i] = Finite(diff);
    m_pData2[i] = Finite(dea);
    m_pData3[i] = Finite((diff - dea) * 2.0f);
  }
}

void CKIVIndex_MACD::DrawHistogram(CDC* dc) {
  const int n = DrawnBars();
  if (n < 1) return;
  const int start = StartBar();
  const float range = m_fMax - m_fMin;
  const float height = static_cast<float>(m_nValueBottom - m_nValueTop);
  // The height of value 0; mid-height for a flat range.
  const int zeroY = range > 0.0f && std::isfinite(range) ? m_nValueTop + RoundToInt(m_fMax / range * height) : MidY();
  const int x0 = m_rcPlot.left + BarWidth() / 2;
  CPen rise(PS_SOLID, 1, UiTheme().clrRise);
  CPen fall(PS_SOLID, 1, UiTheme().clrFall);
  CPen* oldPen = dc->SelectObject(&rise);
  CPen* selected = &rise;
  for (int k = 0; k < n; ++k) {
    const float value = m_pData3[start + k];
    CPen* pen = value > -0.0001f ? &rise : &fall;
    if (pen != selected) selected = pen, dc->SelectObject(pen);
    const int x = x0 + k * BarStep();
    dc->MoveTo(x, zeroY);
    dc->LineTo(x, ValueY(value));
  }
  dc->SelectObject(oldPen);
}

void CKIVIndex_MACD::Draw(CDC* dc) {
  CKIVIndex_Base::Draw(dc);
  if (!dc || m_nCount == 0) return;
  DrawHistogram(dc);
  DrawLine(dc, m_pData1, kIndexLineColors[0], 0);
  DrawLine(dc, m_pData2, kIndexLineColors[1], 0);
}

void CKIVIndex_MACD::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  char title[64];
  std::snprintf(title, sizeof title, "MACD (%d,%d,%d) -- ", m_nParam1, m_nParam2, m_nParam3);
  DrawTitleTexts(dc, title,
                 {{Format("DIFF %.3f", m_pData1[idx]), kIndexLineColors[0]},
                  {Format("DEA %.3f", m_pData2[idx]), kIndexLineColors[1]},
                  {Format("MACD %.3f", m_pData3[idx]), kIndexLineColors[2]}});
  CKIVIndex_Base::DrawTitle(dc);
}
