#include "chart/indicators/KIVIndex_CCI.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "chart/indicators/IndicatorStyle.h"
#include "chart/indicators/IndicatorWindows.h"

using kiv::kIndexLineColors;

CKIVIndex_CCI::CKIVIndex_CCI(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_nParam1 = 14;
  UseResults(1, true);
}

CKIVIndex_CCI::~CKIVIndex_CCI() { FreeResults(); }

void CKIVIndex_CCI::ComputeBars(const KLineBar* bars, int count, int from) {
  const int n = m_nParam1;
  const int first = std::max(from, n - 1);
  if (first >= count) return;
  // Typical prices of the bars the windows from `first` on cover.
  std::vector<float> typical(static_cast<size_t>(count)), average(static_cast<size_t>(count));
  std::vector<float> deviation(static_cast<size_t>(count));
  for (int i = first - n + 1; i < count; ++i) typical[i] = (bars[i].low + bars[i].high + bars[i].close) / 3.0f;
  kiv::SumWindowsForward(typical.data(), n, first, count, average.data());
  for (int i = first; i < count; ++i) average[i] /= static_cast<float>(n);
  kiv::SumAbsoluteDeviations(typical.data(), average.data(), n, first, count, deviation.data());
  for (int i = first; i < count; ++i) {
    const float meanDeviation = deviation[i] / static_cast<float>(n);
    m_pData1[i] = meanDeviation == 0.0f ? 0.0f
                                        : Finite(static_cast<double>(typical[i] - average[i]) /
                                                 (static_cast<double>(meanDeviation) * 0.015));
  }
}

void CKIVIndex_CCI::Draw(CDC* dc) {
  CKIVIndex_Base::Draw(dc);
  if (!dc || m_nCount <= 0) return;
  DrawLine(dc, m_pData1, kIndexLineColors[0], m_nParam1);
}

void CKIVIndex_CCI::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  char title[64];
  std::snprintf(title, sizeof title, "CCI (%d) -- ", m_nParam1);
  DrawTitleTexts(dc, title, {{Format("%.3f", m_pData1[idx]), kIndexLineColors[0]}});
  CKIVIndex_Base::DrawTitle(dc);
}
