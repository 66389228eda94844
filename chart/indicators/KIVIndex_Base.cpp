#include "chart/indicators/KIVIndex_Base.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "chart/engine/KLineViewState.h"
#include "chart/indicators/IndicatorStyle.h"
#include "data/RoundToInt.h"
#include "shell/KivUiTheme.h"

using kiv::g_data;

namespace {

// The bar fields an indicator reads lie together: open, high, low, close
// and volume, compared as one block of bytes to find the first changed bar.
constexpr size_t kReadFieldsOffset = offsetof(KLineBar, open);
constexpr size_t kReadFieldsSize = offsetof(KLineBar, volume) + sizeof(float) - kReadFieldsOffset;
static_assert(kReadFieldsSize == 5 * sizeof(float), "open, high, low, close and volume lie together");

// std::clamp with an empty interval (hi < lo) is undefined; here lo wins.
int ClampIndex(int value, int lo, int hi) { return std::max(lo, std::min(value, hi)); }

}  // namespace

CKIVIndex_Base::CKIVIndex_Base(BOOL crosshair, CWnd* owner) : m_pOwner(owner), m_bCrosshair(crosshair ? 1 : 0) {
  // The second of the theme's five fonts: the small list font.
  m_Font.CreateFontIndirect(&UiTheme().Fonts()[1]);
}

CKIVIndex_Base::~CKIVIndex_Base() = default;

void CKIVIndex_Base::UseResults(int arrays, bool windowed) {
  arrays_ = ClampIndex(arrays, 0, kMaxArrays);
  windowed_ = windowed;
}

std::string CKIVIndex_Base::Format(const char* format, double value) {
  // Wide enough for "%.3f" of the largest float (39 digits and the rest).
  char text[96];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// --- Results ---------------------------------------------------------------

void CKIVIndex_Base::ComputeBars(const KLineBar*, int, int) {}

void CKIVIndex_Base::FreeResults() {
  for (std::vector<float>& array : results_) std::vector<float>().swap(array);
  std::vector<KLineBar>().swap(computedBars_);
  m_pData1 = m_pData2 = m_pData3 = m_pData4 = m_pData5 = nullptr;
  m_nCount = 0;
}

int CKIVIndex_Base::FirstChangedBar(const KLineBar* bars, int count) const {
  const int kept = std::min(count, static_cast<int>(computedBars_.size()));
  for (int i = 0; i < kept; ++i) {
    const char* now = reinterpret_cast<const char*>(&bars[i]) + kReadFieldsOffset;
    const char* then = reinterpret_cast<const char*>(&computedBars_[i]) + kReadFieldsOffset;
    if (std::memcmp(now, then, kReadFieldsSize) != 0) return i;
  }
  return kept;
}

void CKIVIndex_Base::Compute(const CKLineSeries* series) {
  ScopedWriteLock write(&m_Lock);
  m_pSeries = series;
  const int count = series ? series->GetCount() : 0;
  firstRecomputed_ = 0;
  if (count <= 0 || arrays_ == 0) {
    FreeResults();
    return;
  }
  const KLineBar* bars = series->Bars();
  // A windowed value depends only on bars up to its own, so the values
  // before the first changed bar stand as they are.
  const int from = windowed_ && m_nCount > 0 ? FirstChangedBar(bars, count) : 0;
  firstRecomputed_ = from;
  if (from == count && m_nCount == count) return;
  float** views[kMaxArrays] = {&m_pData1, &m_pData2, &m_pData3, &m_pData4, &m_pData5};
  for (int k = 0; k < arrays_; ++k) {
    results_[k].resize(static_cast<size_t>(count));
    std::fill(results_[k].begin() + from, results_[k].end(), 0.0f);
    *views[k] = results_[k].data();
  }
  m_nCount = count;
  ComputeBars(bars, count, from);
  if (windowed_) {
    computedBars_.resize(static_cast<size_t>(count));
    std::copy(bars + from, bars + count, computedBars_.begin() + from);
  }
}

// --- Geometry --------------------------------------------------------------

int CKIVIndex_Base::BarWidth() {
  return kiv::KLineZoomTable[ClampIndex(g_data.zoomLevel, 0, kiv::kZoomLevels - 1)].candleWidth;
}

int CKIVIndex_Base::BarStep() { return g_data.BarStep(); }

int CKIVIndex_Base::StartBar() const { return ClampIndex(g_data.m_StartIndex, 0, std::max(m_nCount - 1, 0)); }

bool CKIVIndex_Base::HasVisibleBars() const { return m_nCount >= 1; }

int CKIVIndex_Base::DrawnBars() const {
  if (!HasVisibleBars()) return 0;
  const int visible = (m_rcPlot.right - m_rcPlot.left) / BarStep();
  return std::min(m_nCount - StartBar(), visible);
}

int CKIVIndex_Base::MidY() const {
  return RoundToInt(static_cast<float>(m_nValueTop) + static_cast<float>(m_nValueBottom - m_nValueTop) * 0.5f);
}

int CKIVIndex_Base::ValueY(float value) const {
  const float range = m_fMax - m_fMin;
  // A flat range has no scale: everything lies at mid-height.
  if (!(range > 0.0f) || !std::isfinite(range)) return MidY();
  const float height = static_cast<float>(m_nValueBottom - m_nValueTop);
  return m_nValueTop + RoundToInt((m_fMax - value) / range * height);
}

int CKIVIndex_Base::HitTestBar(POINT screenPoint) const {
  if (!m_pSeries || !m_pOwner) return -1;
  CPoint p(screenPoint.x, screenPoint.y);
  m_pOwner->ScreenToClient(&p);
  const int dx = p.x - m_rcPlot.left;
  if (dx < 0) return -1;
  return dx / BarStep();
}

int CKIVIndex_Base::BarCenterX(int offset) const {
  if (!m_pSeries) return -1;
  return m_rcPlot.left + BarWidth() / 2 + BarStep() * offset;
}

// --- Drawing ---------------------------------------------------------------

bool CKIVIndex_Base::DrawFrame(CDC* dc) {
  if (!dc || !m_pOwner) return false;
  CRect rc;
  m_pOwner->GetClientRect(&rc);
  dc->FillSolidRect(&rc, UiTheme().clrBack);
  m_rcPlot.left = rc.left + g_data.leftMargin + kiv::kIndexPlotLeftGap;
  m_rcPlot.top = rc.top;
  m_rcPlot.right = rc.right - 1;
  m_rcPlot.bottom = rc.bottom - kiv::kIndexPlotBottomGap;
  const int l = m_rcPlot.left, t = m_rcPlot.top, r = m_rcPlot.right, b = m_rcPlot.bottom;
  CPen pen(PS_SOLID, 1, UiTheme().clrIndexGrid);
  CPen* oldPen = dc->SelectObject(&pen);
  // The plot box, the axis box left of it and the stub below the plot's
  // left edge, each one connected path.
  dc->MoveTo(l - 1, t);
  dc->LineTo(l - 1, b);
  dc->LineTo(r, b);
  dc->LineTo(r, t);
  dc->LineTo(l - 1, t);
  dc->MoveTo(rc.left, t);
  dc->LineTo(rc.left, rc.bottom - 1);
  dc->LineTo(l - 2, rc.bottom - 1);
  dc->LineTo(l - 2, t);
  dc->LineTo(rc.left, t);
  dc->MoveTo(l - 1, b);
  dc->LineTo(l - 1, rc.bottom);
  dc->SelectObject(oldPen);
  return HasVisibleBars();
}

void CKIVIndex_Base::DrawAxisLabel(CDC* dc, int y, const std::string& text) {
  const CSize size = dc->GetTextExtent(text);
  dc->TextOut(m_rcPlot.left - size.cx - 2, y - size.cy / 2, text);
}

void CKIVIndex_Base::DrawGrid(CDC* dc) {
  CPen pen(PS_SOLID, 1, kiv::kIndexGridColor);
  CPen* oldPen = dc->SelectObject(&pen);
  const COLORREF oldText = dc->SetTextColor(kiv::kIndexLabelColor);
  const int oldMode = dc->SetBkMode(TRANSPARENT);
  const int height = m_nValueBottom - m_nValueTop;
  const float range = m_fMax - m_fMin;
  const bool scaled = std::fabs(m_fMax) > kiv::kIndexLabelScaleLimit || std::fabs(m_fMin) > kiv::kIndexLabelScaleLimit;
  const bool flat = !(range > 0.0f) || !std::isfinite(range);
  auto line = [&](int y, const std::string& label) {
    dc->MoveTo(m_rcPlot.left + 1, y);
    dc->LineTo(m_rcPlot.right, y);
    DrawAxisLabel(dc, y, label);
  };
  if (m_nLevelCount <= 0) {
    for (int k = 0; k < 3; ++k) {
      if (k == 1 && m_bZeroLine) {
        const int y = flat ? MidY()
                           : RoundToInt(static_cast<float>(height) * m_fMax / range + static_cast<float>(m_nValueTop));
        line(y, "0.0");
        continue;
      }
      // A flat range of values around 0 has no scale to label: its zero
      // line alone is drawn.
      if (flat && m_bZeroLine) continue;
      float value = m_fMax - range * static_cast<float>(k) * 0.5f;
      if (scaled) value /= 10000.0f;
      line(m_nValueTop + (height * k) / 2, Format("%.2f", value));
    }
  } else if (m_pLevels) {
    for (int k = 0; k < m_nLevelCount; ++k) {
      const float v = m_pLevels[k];
      const int y = flat ? MidY() : RoundToInt(static_cast<float>(m_nValueBottom) - static_cast<float>(height) * v / range);
      line(y, Format("%.2f", v));
    }
  }
  dc->SetBkMode(oldMode);
  dc->SetTextColor(oldText);
  dc->SelectObject(oldPen);
}

void CKIVIndex_Base::Draw(CDC* dc) {
  if (!DrawFrame(dc)) return;
  CFont* oldFont = dc->SelectObject(&m_Font);
  CalcRange();
  DrawGrid(dc);
  dc->SelectObject(oldFont);
}

void CKIVIndex_Base::CalcRange() {
  m_nValueTop = m_rcPlot.top + g_data.labelHeight;
  m_nValueBottom = m_rcPlot.bottom - kiv::kIndexValueBottomGap;
  if (m_nLevelCount > 0 && m_pLevels) {
    m_fMax = m_fMin = m_pLevels[0];
    for (int k = 1; k < m_nLevelCount; ++k) {
      m_fMax = std::max(m_fMax, m_pLevels[k]);
      m_fMin = std::min(m_fMin, m_pLevels[k]);
    }
    return;
  }
  m_fMax = -1e7f;
  m_fMin = 1e7f;
  if (!HasVisibleBars()) return;
  // From the first visible bar to the last bar, also those right of the
  // plot when the view is scrolled back; warm-up zeros count like values.
  const int start = StartBar();
  const float* arrays[kMaxArrays] = {m_pData1, m_pData2, m_pData3, m_pData4, m_pData5};
  if (arrays[0]) m_fMax = m_fMin = arrays[0][start];
  for (int k = 0; k < kMaxArrays; ++k) {
    if (!arrays[k]) continue;
    for (int i = start; i < m_nCount; ++i) {
      m_fMax = std::max(m_fMax, arrays[k][i]);
      m_fMin = std::min(m_fMin, arrays[k][i]);
    }
  }
}

void CKIVIndex_Base::DrawLine(CDC* dc, const float* values, COLORREF colour, int joinFrom) {
  if (!dc || !values) return;
  const int n = DrawnBars();
  if (n < 1) return;
  const int start = StartBar();
  const int step = BarStep();
  const int x0 = m_rcPlot.left + BarWidth() / 2;
  CPen pen(PS_SOLID, 1, colour);
  CPen* oldPen = dc->SelectObject(&pen);
  for (int i = 0; i < n; ++i) {
    const int x = x0 + i * step;
    const int y = ValueY(values[start + i]);
    if (i == 0 || start + i < joinFrom) {
      dc->MoveTo(x, y);
    } else {
      dc->LineTo(x, y);
    }
  }
  dc->SelectObject(oldPen);
}

int CKIVIndex_Base::TitleBar() const {
  if (!m_pSeries || !HasVisibleBars()) return -1;
  int idx = std::max(m_nCount - 1, 0);
  if (m_bCrosshair) {
    const int last = std::max(m_pSeries->GetCount() - 1, 0);
    const int offset = ClampIndex(HitTestBar(POINT{g_data.crosshairX, g_data.crosshairY}), 0, last);
    idx = ClampIndex(offset + StartBar(), 0, last);
  }
  return idx < m_nCount ? idx : -1;
}

void CKIVIndex_Base::DrawTitleTexts(CDC* dc, const std::string& title, const std::vector<TitleValue>& values) {
  DrawTitleTextsAt(dc, m_rcPlot.left + 5, title, values);
}

void CKIVIndex_Base::DrawTitleTextsAt(CDC* dc, int x, const std::string& title,
                                      const std::vector<TitleValue>& values) {
  const int y = m_rcPlot.top + 2;
  CFont* oldFont = dc->SelectObject(&m_Font);
  const COLORREF oldText = dc->SetTextColor(UiTheme().clrText);
  const int oldMode = dc->SetBkMode(TRANSPARENT);
  if (!title.empty()) {
    dc->TextOut(x, y, title);
    x += dc->GetTextExtent(title).cx + 5;
  }
  for (const TitleValue& value : values) {
    dc->SetTextColor(value.colour);
    dc->TextOut(x, y, value.text);
    x += dc->GetTextExtent(value.text).cx + 5;
  }
  dc->SetBkMode(oldMode);
  dc->SetTextColor(oldText);
  dc->SelectObject(oldFont);
}

void CKIVIndex_Base::DrawTitle(CDC* dc) {
  if (!dc || !m_pOwner) return;
  CPoint p(g_data.crosshairX, g_data.crosshairY);
  m_pOwner->ScreenToClient(&p);
  CRect rc;
  m_pOwner->GetClientRect(&rc);
  const int l = m_rcPlot.left, t = m_rcPlot.top, r = m_rcPlot.right, b = m_rcPlot.bottom;
  if (rc.top < p.y && p.y < rc.bottom) {
    // The value at the cursor height; a flat range or a value area of no
    // height has only the one value.
    const int span = m_nValueBottom - m_nValueTop;
    const float range = m_fMax - m_fMin;
    float value = m_fMin;
    if (span != 0 && std::isfinite(range)) {
      value = range * static_cast<float>(m_nValueBottom - p.y) / static_cast<float>(span) + m_fMin;
    }
    const std::string text =
        Format("%.2f", std::fabs(value) > kiv::kIndexLabelScaleLimit ? value / 10000.0f : value);
    CFont* oldFont = dc->SelectObject(&m_Font);
    const int oldMode = dc->SetBkMode(OPAQUE);
    const COLORREF oldBack = dc->SetBkColor(kiv::kIndexValueBoxBack);
    const COLORREF oldText = dc->SetTextColor(UiTheme().clrText);
    const int anchor = m_bCrosshair ? r : l;
    const CSize size = dc->GetTextExtent(text);
    dc->TextOut(anchor - size.cx - 5, p.y - size.cy, text);
    CPen pen(PS_SOLID, 1, kiv::kIndexValueBoxFrame);
    CPen* oldPen = dc->SelectObject(&pen);
    dc->MoveTo(anchor - size.cx - 6, p.y - size.cy);
    dc->LineTo(anchor - size.cx - 6, p.y - 1);
    dc->LineTo(anchor - 4, p.y - 1);
    dc->LineTo(anchor - 4, p.y - size.cy);
    dc->LineTo(anchor - size.cx - 6, p.y - size.cy);
    dc->SelectObject(oldPen);
    dc->SetBkMode(oldMode);
    dc->SetBkColor(oldBack);
    dc->SetTextColor(oldText);
    dc->SelectObject(oldFont);
  }
  if (m_bCrosshair) {
    CPen pen(PS_SOLID, 1, UiTheme().clrIndexGrid);
    CPen* oldPen = dc->SelectObject(&pen);
    if (p.y < rc.bottom) {
      dc->MoveTo(l + 1, p.y);
      dc->LineTo(r - 1, p.y);
    }
    // Left of the plot the crosshair snaps to the first visible bar, right
    // of the last bar to the last bar.
    const int start = StartBar();
    const int last = std::max(m_nCount - 1, 0);
    const int bar = ClampIndex(HitTestBar(POINT{g_data.crosshairX, g_data.crosshairY}) + start, 0, last);
    const int x = BarCenterX(ClampIndex(bar - start, 0, last));
    dc->MoveTo(x, t + 1);
    dc->LineTo(x, b - 1);
    dc->SelectObject(oldPen);
  }
}
