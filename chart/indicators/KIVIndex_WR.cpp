#include "chart/indicators/KIVIndex_WR.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "chart/indicators/IndicatorStyle.h"
#include "chart/indicators/IndicatorWindows.h"

using kiv::kIndexLineColors;

CKIVIndex_WR::CKIVIndex_WR(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_nParam1 = 14;
  m_nParam2 = 28;
  UseResults(2, true);
}

CKIVIndex_WR::~CKIVIndex_WR() { FreeResults(); }

void CKIVIndex_WR::ComputeBars(const KLineBar* bars, int count, int from) {
  const int periods[2] = {m_nParam1, m_nParam2};
  float* out[2] = {m_pData1, m_pData2};
  const size_t size = static_cast<size_t>(count);
  std::vector<float> highs(size), lows(size), highest(size), lowest(size);
  for (int i = std::max(from - std::max(periods[0], periods[1]) + 1, 0); i < count; ++i) {
    highs[i] = bars[i].high;
    lows[i] = bars[i].low;
  }
  for (int k = 0; k < 2; ++k) {
    // Windows shortened at the start of the series.
    kiv::WindowExtremes(highs.data(), periods[k], from, count, highest.data(), nullptr);
    kiv::WindowExtremes(lows.data(), periods[k], from, count, nullptr, lowest.data());
    for (int i = from; i < count; ++i) {
      out[k][i] = highest[i] == lowest[i]
                      ? 0.0f
                      : Finite(static_cast<double>(highest[i] - bars[i].close) * 100.0 / (highest[i] - lowest[i]));
    }
  }
}

void CKIVIndex_WR::Draw(CDC* dc) {
  CKIVIndex_Base::Draw(dc);
  if (!dc || m_nCount <= 0) return;
  DrawLine(dc, m_pData1, kIndexLineColors[0], 0);
  DrawLine(dc, m_pData2, kIndexLineColors[1], 0);
}

void CKIVIndex_WR::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  char title[64];
  std::snprintf(title, sizeof title, "W&R (%d,%d) -- ", m_nParam1, m_nParam2);
  DrawTitleTexts(dc, title,
                 {{Format("WR1 %.3f", m_pData1[idx]), kIndexLineColors[0]},
                  {Format("WR2 %.3f", m_pData2[idx]), kIndexLineColors[1]}});
  CKIVIndex_Base::DrawTitle(dc);
}
