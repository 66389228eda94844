#include "chart/indicators/KIVIndex_BIAS.h"

#include <algorithm>
#include <cstdio>

#include "chart/indicators/IndicatorStyle.h"

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
  for (int k = 0; k < 3; ++k) {
    const int n = periods[k];
    for (int i = std::max(from, n - 1); i < count; ++i) {
      // Summed from bar i backwards, in single precision.
      float sum = 0.0f;
      for (int j = i; j > i - n; --j) sum += bars[j].close;
      const float average = sum / static_cast<float>(n);
      out[k][i] = average == 0.0f ? 0.0f
                                  : Finite((static_cast<double>(bars[i].close) - average) / average * 100.0);
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
