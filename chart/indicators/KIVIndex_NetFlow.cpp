#include "chart/indicators/KIVIndex_NetFlow.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "chart/engine/KLineViewState.h"
#include "chart/indicators/IndicatorStyle.h"
#include "data/RoundToInt.h"
#include "shell/KivUiTheme.h"

using kiv::g_data;

namespace {

constexpr float kFlatFlow = 0.0001f;

// Truncated toward zero, saturating beyond the 64-bit range.
int64_t TruncateFlow(float value) {
  if (!std::isfinite(value)) return 0;
  if (value >= 9.2233720368547758e18f) return INT64_MAX;
  if (value <= -9.2233720368547758e18f) return INT64_MIN;
  return static_cast<int64_t>(value);
}

}  // namespace

CKIVIndex_NetFlow::CKIVIndex_NetFlow(BOOL crosshair, CWnd* owner) : CKIVIndex_Base(crosshair, owner) {
  m_bZeroLine = 1;
}

CKIVIndex_NetFlow::~CKIVIndex_NetFlow() = default;

void CKIVIndex_NetFlow::Compute(const CKLineSeries* series) {
  ScopedWriteLock write(&m_Lock);
  m_pSeries = series;
  m_nCount = series ? std::max(series->GetCount(), 0) : 0;
}

float CKIVIndex_NetFlow::BarValue(int i) const {
  if (!m_pSeries || i < 0 || i >= m_pSeries->GetCount()) return 0.0f;
  return Finite(static_cast<double>(m_pSeries->Value1(i)) - m_pSeries->Value2(i));
}

std::string CKIVIndex_NetFlow::TitleText(float value) {
  char text[260];
  if (value > kFlatFlow) {
    std::snprintf(text, sizeof text, "主力净流入 %" PRId64, TruncateFlow(value));
  } else if (value < -kFlatFlow) {
    std::snprintf(text, sizeof text, "主力净流出 %" PRId64, TruncateFlow(-value));
  } else {
    std::snprintf(text, sizeof text, "主力净流入 %d", 0);
  }
  return text;
}

int CKIVIndex_NetFlow::ColumnCount() const {
  if (!m_pSeries || !HasVisibleBars()) return 0;
  return std::min(DrawnBars(), m_pSeries->GetCount() - StartBar());
}

void CKIVIndex_NetFlow::Draw(CDC* dc) {
  if (!DrawFrame(dc)) return;
  CFont* oldFont = dc->SelectObject(&m_Font);
  m_nValueTop = m_rcPlot.top + g_data.labelHeight;
  m_nValueBottom = m_rcPlot.bottom - kiv::kIndexValueBottomGap;
  // The range covers the visible bars only and is symmetric about 0.
  const int n = ColumnCount();
  const int start = StartBar();
  float highest = 0.0f, lowest = 0.0f;
  for (int k = 0; k < n; ++k) {
    const float v = BarValue(start + k);
    highest = k == 0 ? v : std::max(highest, v);
    lowest = k == 0 ? v : std::min(lowest, v);
  }
  const float magnitude = std::max(highest, -lowest);
  m_fMax = magnitude;
  m_fMin = -magnitude;
  DrawGrid(dc);
  // Flows that are all 0 have no scale: the zero line alone is drawn.
  if (magnitude > 0.0f) {
    const float half = static_cast<float>(m_nValueBottom - m_nValueTop) * 0.5f;
    const float middle = static_cast<float>(m_nValueTop) + half;
    const int zeroY = RoundToInt(middle);
    const int barWidth = BarWidth();
    const int width = std::max(barWidth, 1);
    const COLORREF flat = UiTheme().clrLevel;
    CPen pen(PS_SOLID, 1, flat);
    CPen* oldPen = dc->SelectObject(&pen);
    const COLORREF oldBack = dc->GetBkColor();
    for (int k = 0; k < n; ++k) {
      const int x = m_rcPlot.left + 1 + k * BarStep();
      const float v = BarValue(start + k);
      const int y = RoundToInt(middle - v * half / magnitude);
      if (v > kFlatFlow) {
        dc->FillSolidRect(x, y, width, zeroY - y + 1, UiTheme().clrRise);
      } else if (v < -kFlatFlow) {
        dc->FillSolidRect(x, zeroY, width, y - zeroY + 1, UiTheme().clrFall);
      } else if (width >= 2) {
        dc->MoveTo(x, zeroY);
        dc->LineTo(x + 2 * (barWidth / 2), zeroY);
      } else {
        dc->SetPixel(x, zeroY, flat);
      }
    }
    dc->SetBkColor(oldBack);
    dc->SelectObject(oldPen);
  }
  dc->SelectObject(oldFont);
}

void CKIVIndex_NetFlow::DrawTitle(CDC* dc) {
  if (!dc) return;
  const int idx = TitleBar();
  if (idx < 0) return;
  const float v = BarValue(idx);
  const COLORREF colour = v > kFlatFlow ? UiTheme().clrRise : v < -kFlatFlow ? UiTheme().clrFall : UiTheme().clrLevel;
  DrawTitleTextsAt(dc, m_rcPlot.left + 3, "", {{TitleText(v), colour}});
  CKIVIndex_Base::DrawTitle(dc);
}
