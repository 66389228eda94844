#include "chart/indicators/KIVIndex_ARBR.h"

#include <algorithm>
#include <cstdio>

#include "chart/indicators/IndicatorStyle.h"

using kiv::kIndexLineColors;

CKIVIndex_ARBR::CKIVIndex_ARBR(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_nParam1 = 26;
  UseResults(2, true);
}

CKIVIndex_ARBR::~CKIVIndex_ARBR() { FreeResults(); }

void CKIVIndex_ARBR::ComputeBars(const KLineBar* bars, int count, int from) {
  const int n = m_nParam1;
  for (int i = std::max(from, n - 1); i < count; ++i) {
    float aboveOpen = 0.0f, belowOpen = 0.0f;
    for (int j = i - n + 1; j <= i; ++j) {
      aboveOpen += bars[j].high - bars[j].open;
      belowOpen += bars[j].open - bars[j].low;
    }
    m_pData1[i] = belowOpen == 0.0f ? 0.0f : Finite(static_cast<double>(aboveOpen) * 100.0 / belowOpen);
  }
  // BR needs the close before its window's first bar: i >= n.
  for (int i = std::max(from, n); i < count; ++i) {
    float aboveClose = 0.0f, belowClose = 0.0f;
    for (int j = i - n + 1; j <= i; ++j) {
      aboveClose += std::max(bars[j].high - bars[j - 1].close, 0.0f);
      belowClose += std::max(bars[j - 1].close - bars[j].low, 0.0f);
    }
    m_pData2[i] = belowClose == 0.0f ? 0.0f : Finite(static_cast<double>(aboveClose) * 100.0 / belowClose);
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
