#include "chart/indicators/KIVIndex_KDJ.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "chart/indicators/IndicatorStyle.h"
#include "chart/indicators/IndicatorWindows.h"

using kiv::kIndexLineColors;

CKIVIndex_KDJ::CKIVIndex_KDJ(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_nParam1 = 9;
  m_nParam2 = 3;
  m_nParam3 = 3;
  // Each K depends on every bar before it: always computed from bar 0.
  UseResults(3, false);
}

CKIVIndex_KDJ::~CKIVIndex_KDJ() { FreeResults(); }

void CKIVIndex_KDJ::ComputeBars(const KLineBar* bars, int count, int) {
  const int n = m_nParam1;
  const double m1 = m_nParam2, m2 = m_nParam3;
  float k = 0.0f, d = 0.0f;
  m_pData1[0] = m_pData2[0] = m_pData3[0] = 0.0f;
  // Highest and lowest close of each window, shortened at the start.
  const size_t size = static_cast<size_t>(count);
  std::vector<float> closes(size), highest(size), lowest(size);
  for (int i = 0; i < count; ++i) closes[i] = bars[i].close;
  kiv::WindowExtremes(closes.data(), n, 0, count, highest.data(), lowest.data());
  for (int i = 1; i < count; ++i) {
    const float spread = highest[i] - lowest[i];
    const double rsv = std::fabs(spread) >= 0.00001f ? static_cast<double>(closes[i] - lowest[i]) / spread : 0.0;
    k = Finite(((m1 - 1) * k + rsv) / m1);
    d = Finite(((m2 - 1) * d + k) / m2);
    m_pData1[i] = k;
    m_pData2[i] = d;
    m_pData3[i] = Finite(3.0 * k - 2.0 * d);
  }
  for (int i = 0; i < count; ++i) {
    m_pData1[i] *= 100.0f;
    m_pData2[i] *= 100.0f;
    m_pData3[i] *= 100.0f;
  }
}

void CKIVIndex_KDJ::Draw(CDC* dc) {
  CKIVIndex_Base::Draw(dc);
  if (!dc || m_nCount <= 0 || !m_pData1 || !m_pData2 || !m_pData3) return;
  DrawLine(dc, m_pData1, kIndexLineColors[0], 0);
  DrawLine(dc, m_pData2, kIndexLineColors[1], 0);
  DrawLine(dc, m_pData3, kIndexLineColors[2], 0);
}

void CKIVIndex_KDJ::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  char title[64];
  std::snprintf(title, sizeof title, "KDJ (%d,%d,%d) -- ", m_nParam1, m_nParam2, m_nParam3);
  DrawTitleTexts(dc, title,
                 {{Format("K %.3f", m_pData1[idx]), kIndexLineColors[0]},
                  {Format("D %.3f", m_pData2[idx]), kIndexLineColors[1]},
                  {Format("J %.3f", m_pData3[idx]), kIndexLineColors[2]}});
  CKIVIndex_Base::DrawTitle(dc);
}
