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
  float* out[3] = {m_pData1, m_pData2, m_pData3};
  const float n[3] = {static_cast<float>(m_nParam1), static_cast<float>(m_nParam2), static_cast<float>(m_nParam3)};
  const float kept[3] = {n[0] - 1.0f, n[1] - 1.0f, n[2] - 1.0f};
  float rises[3] = {}, moves[3] = {};
  for (int k = 0; k < 3; ++k) out[k][0] = 0.0f;
  // The three periods side by side: their averages do not depend on one
  // another, so their divisions overlap.
  for (int i = 1; i < count; ++i) {
    const float d = bars[i].close - bars[i - 1].close;
    const float up = d >= 0.0f ? d : 0.0f;
    for (int k = 0; k < 3; ++k) {
      rises[k] = (kept[k] * rises[k] + up) / n[k];
      moves[k] = (kept[k] * moves[k] + std::fabs(d)) / n[k];
      out[k][i] = moves[k] == 0.0f ? 0.0f : Finite(static_cast<double>(rises[k]) / moves[k] * 100.0);
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
