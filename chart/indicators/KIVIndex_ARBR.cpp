#include "chart/indicators/KIVIndex_ARBR.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "chart/indicators/IndicatorStyle.h"
#include "chart/indicators/IndicatorWindows.h"

using kiv::kIndexLineColors;

CKIVIndex_ARBR::CKIVIndex_ARBR(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_nParam1 = 26;
  UseResults(2, true);
}

CKIVIndex_ARBR::~CKIVIndex_ARBR() { FreeResults(); }

void CKIVIndex_ARBR::ComputeBars(const KLineBar* bars, int count, int from) {
  const int n = m_nParam1;
  const size_t size = static_cast<size_t>(count);
  // Per bar: H - O, O - L, and against the close before, max(H - C', 0)
  // and max(C' - L, 0); then their window sums.
  std::vector<float> aboveOpen(size), belowOpen(size), aboveClose(size), belowClose(size);
  std::vector<float> sumAbove(size), sumBelow(size);
  for (int j = std::max(from - n + 1, 0); j < count; ++j) {
    aboveOpen[j] = bars[j].high - bars[j].open;
    belowOpen[j] = bars[j].open - bars[j].low;
    if (j == 0) continue;
    aboveClose[j] = std::max(bars[j].high - bars[j - 1].close, 0.0f);
    belowClose[j] = std::max(bars[j - 1].close - bars[j].low, 0.0f);
  }
  const int firstAr = std::max(from, n - 1);
  kiv::SumWindowsForward(aboveOpen.data(), n, firstAr, count, sumAbove.data());
  kiv::SumWindowsForward(belowOpen.data(), n, firstAr, count, sumBelow.data());
  for (int i = firstAr; i < count; ++i) {
    m_pData1[i] = sumBelow[i] == 0.0f ? 0.0f : Finite(static_cast<double>(sumAbove[i]) * 100.0 / sumBelow[i]);
  }
  // BR needs the close before its window's first bar: i >= n.
  const int firstBr = std::max(from, n);
  kiv::SumWindowsForward(aboveClose.data(), n, firstBr, count, sumAbove.data());
  kiv::SumWindowsForward(belowClose.data(), n, firstBr, count, sumBelow.data());
  for (int i = firstBr; i < count; ++i) {
    m_pData2[i] = sumBelow[i] == 0.0f ? 0.0f : Finite(static_cast<double>(sumAbove[i]) * 100.0 / sumBelow[i]);
  }
}

void CKIVIndex_ARBR::Draw(CDC* dc) {
  CKIVIndex_Base::Draw(dc);
  if (!dc || m_nCount <= 0) return;
  DrawLine(dc, m_pData1, kIndexLineColors[0], m_nParam1);
  DrawLine(dc, m_pData2, kIndexLineColors[1], m_nParam1 + 1);
}

void CKIVIndex_ARBR::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  char title[64];
  std::snprintf(title, sizeof title, "ARBR (%d) -- ", m_nParam1);
  DrawTitleTexts(dc, title,
                 {{Format("AR %.3f", m_pData1[idx]), kIndexLineColors[0]},
                  {Format("BR %.3f", m_pData2[idx]), kIndexLineColors[1]}});
  CKIVIndex_Base::DrawTitle(dc);
}
