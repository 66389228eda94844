#include "chart/indicators/KIVIndex_DMI.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "chart/indicators/IndicatorStyle.h"
#include "chart/indicators/IndicatorWindows.h"

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
  const size_t size = static_cast<size_t>(count);
  // Per bar of the windows from `first` on: the raw moves (up, down), the
  // directional moves they give and the true range.
  std::vector<float> plus(size), minus(size), range(size);
  for (int j = first - n + 1; j < count; ++j) {
    const float up = bars[j].high - bars[j - 1].high;
    const float down = bars[j - 1].low - bars[j].low;
    plus[j] = up > 0.0f && up > down ? up : 0.0f;
    minus[j] = down > 0.0f && down > up ? down : 0.0f;
    const float before = bars[j - 1].close;
    range[j] = std::max({bars[j].high - bars[j].low, std::fabs(bars[j].high - before), std::fabs(bars[j].low - before)});
  }
  std::vector<float> sumPlus(size), sumMinus(size), sumRange(size);
  kiv::SumWindowsForward(plus.data(), n, first, count, sumPlus.data());
  kiv::SumWindowsForward(minus.data(), n, first, count, sumMinus.data());
  kiv::SumWindowsForward(range.data(), n, first, count, sumRange.data());
  for (int i = first; i < count; ++i) {
    m_pData1[i] = sumRange[i] == 0.0f ? 0.0f : Finite(static_cast<double>(sumPlus[i]) / sumRange[i] * 100.0);
    m_pData2[i] = sumRange[i] == 0.0f ? 0.0f : Finite(static_cast<double>(sumMinus[i]) / sumRange[i] * 100.0);
  }
  // |MDI - PDI| / (PDI + MDI) per bar, summed over M bars.
  const int firstAdx = std::max(from, n + m - 1);
  if (firstAdx >= count) return;
  std::vector<float>& terms = plus;
  std::vector<float>& sums = sumPlus;
  for (int j = firstAdx - m + 1; j < count; ++j) {
    const float both = m_pData1[j] + m_pData2[j];
    terms[j] = both == 0.0f ? 0.0f : Finite(std::fabs(static_cast<double>(m_pData2[j]) - m_pData1[j]) / both);
  }
  kiv::SumWindowsForward(terms.data(), m, firstAdx, count, sums.data());
  for (int i = firstAdx; i < count; ++i) m_pData3[i] = Finite(static_cast<double>(sums[i]) * 100.0 / m);
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
