#include "chart/indicators/KIVIndex_RSI.h"

#include <cmath>
#include <cstdio>

#include "chart/indicators/IndicatorStyle.h"

using kiv::kIndexLineColors;

CKIVIndex_RSI::CKIVIndex_RSI(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_nParam1 = 6;
  m_nParam2 = 12;
  m_nParam3 = 24;
  m_nLevelCount = 5;
  m_pLevels = levels_;
  // The running averages carry every bar before: always from bar 0.
  UseResults(3, false);
}

CKIVIndex_RSI::~CKIVIndex_RSI() {
  FreeResults();
  m_nLevelCount = 0;
  m_pLevels = nullptr;
}

void CKIVIndex_RSI::ComputeBars(const KLineBar* bars, int count, int) {
  const int periods[3] = {m_nParam1, m_nParam2, m_nParam3};
  float* out[3] = {m_pData1, m_pData2, m_pData3};
  for (int k = 0; k < 3; ++k) {
    const float n = static_cast<float>(periods[k]);
    const float kept = n - 1.0f;
    float rises = 0.0f, moves = 0.0f;
    out[k][0] = 0.0f;
    for (int i = 1; i < count; ++i) {
      const float d = bars[i].close - bars[i - 1].close;
      const float up = d >= 0.0f ? d : 0.0f;
      rises = (kept * rises + up) / n;
      moves = (kept * moves + std::fabs(d)) / n;
      out[k][i] = moves == 0.0f ? 0.0f : Finite(static_cast<double>(rises) / moves * 100.0);
    }
  }
}

void CKIVIndex_RSI::Draw(CDC* dc) {
  CKIVIndex_Base::Draw(dc);
  if (!dc || m_nCount <= 0) return;
  DrawLine(dc, m_pData1, kIndexLineColors[0], 0);
  DrawLine(dc, m_pData2, kIndexLineColors[1], 0);
  DrawLine(dc, m_pData3, kIndexLineColors[2], 0);
}

void CKIVIndex_RSI::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  char title[64];
  std::snprintf(title, sizeof title, "RSI (%d,%d,%d) -- ", m_nParam1, m_nParam2, m_nParam3);
  DrawTitleTexts(dc, title,
                 {{Format("RSI1 %.3f", m_pData1[idx]), kIndexLineColors[0]},
                  {Format("RSI2 %.3f", m_pData2[idx]), kIndexLineColors[1]},
                  {Format("RSI3 %.3f", m_pData3[idx]), kIndexLineColors[2]}});
  CKIVIndex_Base::DrawTitle(dc);
}
