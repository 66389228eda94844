#include "chart/indicators/KIVIndex_PSY.h"

#include <algorithm>
#include <cstdio>

#include "chart/indicators/IndicatorStyle.h"

using kiv::kIndexLineColors;

CKIVIndex_PSY::CKIVIndex_PSY(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_nParam1 = 12;
  UseResults(1, true);
}

CKIVIndex_PSY::~CKIVIndex_PSY() { FreeResults(); }

void CKIVIndex_PSY::ComputeBars(const KLineBar* bars, int count, int from) {
  const int n = m_nParam1;
  // Bar i needs the close before its window's first bar: i >= n.
  const int first = std::max(from, n);
  if (first >= count) return;
  // A count of bars is exact, so it may run: the rises of the window of bar
  // `first`, then one in and one out per bar.
  auto rose = [bars](int j) { return bars[j].close > bars[j - 1].close ? 1 : 0; };
  int rising = 0;
  for (int j = first - n + 1; j <= first; ++j) rising += rose(j);
  for (int i = first; i < count; ++i) {
    if (i > first) rising += rose(i) - rose(i - n);
    m_pData1[i] = Finite(rising * 100.0 / n);
  }
}

void CKIVIndex_PSY::Draw(CDC* dc) {
  CKIVIndex_Base::Draw(dc);
  if (!dc || m_nCount <= 0) return;
  DrawLine(dc, m_pData1, kIndexLineColors[0], m_nParam1 + 1);
}

void CKIVIndex_PSY::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  char title[64];
  std::snprintf(title, sizeof title, "PSY (%d) -- ", m_nParam1);
  DrawTitleTexts(dc, title, {{Format("%.3f", m_pData1[idx]), kIndexLineColors[0]}});
  CKIVIndex_Base::DrawTitle(dc);
}
