#include "chart/indicators/KIVIndex_DMI.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "chart/indicators/IndicatorStyle.h"

using kiv::kIndexLineColors;

CKIVIndex_DMI::CKIVIndex_DMI(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_nParam1 = 14;
  m_nParam2 = 6;
  UseResults(4, true);
}

CKIVIndex_DMI::~CKIVIndex_DMI() { FreeResults(); }

void CKIVIndex_DMI::ComputeBars(const KLineBar* bars, int count, int from) {
  const int n = m_nParam1, m = m_nParam2;
  const int first = std::max(from, n);
  if (first >= count) return;
  // Raw moves of the bars the windows from `first` on cover.
  std::vector<float> up(static_cast<size_t>(count)), down(static_cast<size_t>(count));
  for (int i = first - n + 1; i < count; ++i) {
    up[i] = bars[i].high - bars[i - 1].high;
    down[i] = bars[i - 1].low - bars[i].low;
  }
  for (int i = first; i < count; ++i) {
    float plus = 0.0f, minus = 0.0f, range = 0.0f;
    for (int j = i - n + 1; j <= i; ++j) {
      plus += up[j] > 0.0f && up[j] > down[j] ? up[j] : 0.0f;
      minus += down[j] > 0.0f && down[j] > up[j] ? down[j] : 0.0f;
      const float before = bars[j - 1].close;
      range += std::max({bars[j].high - bars[j].low, std::fabs(bars[j].high - before), std::fabs(bars[j].low - before)});
    }
    m_pData1[i] = range == 0.0f ? 0.0f : Finite(static_cast<double>(plus) / range * 100.0);
    m_pData2[i] = range == 0.0f ? 0.0f : Finite(static_cast<double>(minus) / range * 100.0);
  }
  for (int i = std::max(from, n + m - 1); i < count; ++i) {
    float sum = 0.0f;
    for (int j = i - m + 1; j <= i; ++j) {
      const float both = m_pData1[j] + m_pData2[j];
      sum += both == 0.0f ? 0.0f : Finite(std::fabs(static_cast<double>(m_pData2[j]) - m_pData1[j]) / both);
    }
    m_pData3[i] = Finite(static_cast<double>(sum) * 100.0 / m);
  }
  // With the ADX of M - 1 bars before (bar i - 5 for M = 6).
  for (int i = std::max(from, n + 2 * m - 1); i < count; ++i) {
    m_pData4[i] = Finite((static_cast<double>(m_pData3[i - m + 1]) + m_pData3[i]) * 0.5);
  }
}

void CKIVIndex_DMI::Draw(CDC* dc) {
  CKIVIndex_Base::Draw(dc);
  if (!dc || m_nCount <= 0) return;
  DrawLine(dc, m_pData1, kIndexLineColors[0], m_nParam1 + 1);
  DrawLine(dc, m_pData2, kIndexLineColors[1], m_nParam1 + 1);
  DrawLine(dc, m_pData3, kIndexLineColors[2], m_nParam1 + m_nParam2);
  DrawLine(dc, m_pData4, kIndexLineColors[3], m_nParam1 + 2 * m_nParam2);
}

void CKIVIndex_DMI::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  char title[64];
  std::snprintf(title, sizeof title, "DMI (%d,%d) -- ", m_nParam1, m_nParam2);
  DrawTitleTexts(dc, title,
                 {{Format("PDI %.3f", m_pData1[idx]), kIndexLineColors[0]},
                  {Format("MDI %.3f", m_pData2[idx]), kIndexLineColors[1]},
                  {Format("ADX %.3f", m_pData3[idx]), kIndexLineColors[2]},
                  {Format("ADXR %.3f", m_pData4[idx]), kIndexLineColors[3]}});
  CKIVIndex_Base::DrawTitle(dc);
}
