#include "chart/indicators/KIVIndex_OBV.h"

#include "chart/indicators/IndicatorStyle.h"

using kiv::kIndexLineColors;

CKIVIndex_OBV::CKIVIndex_OBV(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  // The running total carries every bar before: always from bar 0.
  UseResults(1, false);
}

CKIVIndex_OBV::~CKIVIndex_OBV() { FreeResults(); }

void CKIVIndex_OBV::ComputeBars(const KLineBar* bars, int count, int) {
  float total = 0.0f;
  m_pData1[0] = 0.0f;
  for (int i = 1; i < count; ++i) {
    const float d = bars[i].close - bars[i - 1].close;
    // Adding 0 leaves the total as it is; written as one addition, the
    // rise or fall of a close costs no mispredicted branch.
    const float volume = bars[i].volume;
    total += d > 0.0001f ? volume : d < -0.0001f ? -volume : 0.0f;
    m_pData1[i] = Finite(total);
  }
}

void CKIVIndex_OBV::Draw(CDC* dc) {
  CKIVIndex_Base::Draw(dc);
  if (!dc || m_nCount <= 0) return;
  DrawLine(dc, m_pData1, kIndexLineColors[0], 1);
}

void CKIVIndex_OBV::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  DrawTitleTexts(dc, "OBV -- ", {{Format("%.3f", m_pData1[idx]), kIndexLineColors[0]}});
  CKIVIndex_Base::DrawTitle(dc);
}
