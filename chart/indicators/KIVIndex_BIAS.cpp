#include "chart/indicators/KIVIndex_BIAS.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "chart/indicators/IndicatorStyle.h"
#include "chart/indicators/IndicatorWindows.h"

using kiv::kIndexLineColors;

CKIVIndex_BIAS::CKIVIndex_BIAS(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_nParam1 = 6;
  m_nParam2 = 12;
  m_nParam3 = 24;
  UseResults(3, true);
}

CKIVIndex_BIAS::~CKIVIndex_BIAS() { FreeResults(); }

void CKIVIndex_BIAS::ComputeBars(const KLineBar* bars, int count, int from) {
  const int periods[3] = {m_nParam1, m_nParam2, m_nParam3};
  float* out[3] = {m_pData1, m_pData2, m_pData3};
  std::vector<float> closes(static_cast<size_t>(count)), sums(static_cast<size_t>(count));
  const int longest = std::max({periods[0], periods[1], periods[2]});
  for (int i = std::max(from - longest + 1, 0); i < count; ++i) closes[i] = bars[i].close;
  for (int k = 0; k < 3; ++k) {
    const int n = periods[k];
    const int first = std::max(from, n - 1);
    // Summed from bar i backwards, in single precision.
    kiv::SumWindowsBackward(closes.data(), n, first, count, sums.data());
    for (int i = first; i < count; ++i) {
      const float average = sums[i] / static_cast<float>(n);
      out[k][i] = average == 0.0f ? 0.0f : Finite((static_cast<double>(closes[i]) - average) / average * 100.0);
    }
  }
}

void CKIVIndex_BIAS::Draw(CDC* dc) {
  CKIVIndex_Base::Draw(dc);
  if (!dc || m_nCount <= 0) return;
  DrawLine(dc, m_pData1, kIndexLineColors[0], m_nParam1);
  DrawLine(dc, m_pData2, kIndexLineColors[1], m_nParam2);
  DrawLine(dc, m_pData3, kIndexLineColors[2], m_nParam3);
}

void CKIVIndex_BIAS::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  char title[64];
  std::snprintf(title, sizeof title, "BIAS (%d,%d,%d) -- ", m_nParam1, m_nParam2, m_nParam3);
  DrawTitleTexts(dc, title,
                 {{Format("BIAS1 %.3f", m_pData1[idx]), kIndexLineColors[0]},
                  {Format("BIAS2 %.3f", m_pData2[idx]), kIndexLineColors[1]},
                  {Format("BIAS3 %.3f", m_pData3[idx]), kIndexLineColors[2]}});
  CKIVIndex_Base::DrawTitle(dc);
}
