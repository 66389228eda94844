// CKIVKLineBlock's chart layer: frames, grid, axis labels, candles and
// volume bars with their marks, the projected volume, the lines and the
// title. Redrawn only when the view or the data changed.
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "chart/engine/ChartIds.h"
#include "chart/engine/KLineViewState.h"
#include "chart/engine/window/KIVKLineBlock.h"
#include "data/CachePath.h"
#include "shell/KivUiTheme.h"

namespace kiv {

namespace {

constexpr COLORREF kGridColour = 0x000039;
constexpr COLORREF kAxisTextColour = 0x0000A0;
constexpr COLORREF kProjectionColour = 0x40FFFF;
constexpr COLORREF kHoldViewRise = 0x000078;
constexpr COLORREF kHoldViewFall = 0x0E5011;
constexpr COLORREF kHoldViewFlat = 0x000078;
constexpr COLORREF kHoldBuy = 0x00C8FF;
constexpr COLORREF kHoldSell = 0xFEFB00;
constexpr COLORREF kExRightsMark = 0x0000FF;
constexpr float kFlatBand = 0.0001f;

const double kGridLevels[7] = {0, 0.191, 0.382, 0.5, 0.618, 0.809, 1};

struct LocalClock {
  int hour = 0;
  int minute = 0;
  int date = 0;  // yyyymmdd
};

LocalClock LocalClockOf(int64_t time) {
  LocalClock c;
  const time_t t = static_cast<time_t>(time);
  struct tm local;
  if (!localtime_r(&t, &local)) return c;
  c.hour = local.tm_hour;
  c.minute = local.tm_min;
  c.date = (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
  return c;
}

// Before 14:30 (from 01:00) the last bar's signal is still pending.
bool IsPendingTime(int64_t time) {
  const LocalClock c = LocalClockOf(time);
  return (c.hour >= 1 && c.hour <= 13) || (c.hour == 14 && c.minute <= 30);
}

bool IsSignalPeriod(DataType type) {
  return type == kDataTypeDay || type == kDataTypeHour || type == kDataTypeMin1 || type == kDataTypeMin5;
}

std::string PriceLabel(double value, uint32_t market, int decimals) {
  char text[64];
  if (value > 10000) {
    std::snprintf(text, sizeof(text), "%.02f万", value / 10000);
  } else if (market == kHttpMarket) {
    std::snprintf(text, sizeof(text), "%.4f", value);
  } else if (decimals == 3) {
    std::snprintf(text, sizeof(text), "%.03f", value);
  } else {
    std::snprintf(text, sizeof(text), "%.02f", value);
  }
  return text;
}

void FillBox(CDC* dc, int left, int top, int right, int bottom, COLORREF colour) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  dc->FillSolidRect(left, top, right - left, bottom - top, colour);
}

}  // namespace

void CKIVKLineBlock::CollectExRightsDates() {
  exRightsDates_.clear();
  if (model_.ExRightsStock() != model_.GetStockId()) return;
  for (const ExRightsRecord& row : model_.ExRightsRows()) exRightsDates_.push_back(LocalDateOf(row.date));
  std::sort(exRightsDates_.begin(), exRightsDates_.end());
}

bool CKIVKLineBlock::IsExRightsDay(int64_t barTime) const {
  if (exRightsDates_.empty()) return false;
  return std::binary_search(exRightsDates_.begin(), exRightsDates_.end(), LocalDateOf(barTime));
}

const ExRightsRecord* CKIVKLineBlock::ExRightsRowOf(int64_t barTime) const {
  if (model_.ExRightsStock() != model_.GetStockId()) return nullptr;
  const int date = LocalDateOf(barTime);
  for (const ExRightsRecord& row : model_.ExRightsRows()) {
    if (LocalDateOf(row.date) == date) return &row;
  }
  return nullptr;
}

void CKIVKLineBlock::DrawDragBand(CDC* dc, int textHeight) {
  if (!dc || !m_bDragging) return;
  const CPoint cursor = CrosshairClientPoint();
  const int left = std::min<int>(m_DragStart.x, cursor.x), right = std::max<int>(m_DragStart.x, cursor.x);
  if (right - left <= 5) return;
  FillBox(dc, left, plots_.price.top + g_data.labelHeight, right, plots_.price.bottom - textHeight, 0x555555);
}

void CKIVKLineBlock::DrawExRightsDayMark(CDC* dc, int bar, int centreX) {
  const CKLineSeries* series = model_.Series();
  if (!dc || !series || bar < 0 || bar >= series->GetCount()) return;
  if (model_.GetDataType() != kDataTypeDay || !IsExRightsDay(series->Bar(bar).time)) return;
  const int y0 = plots_.price.bottom - g_data.labelHeight;
  dc->SetBkMode(OPAQUE);
  dc->SetBkColor(0x000000);
  dc->SetTextColor(kExRightsMark);
  dc->TextOut(centreX - 3, y0 + 6, "s");
  CPen pen(PS_SOLID, 1, kExRightsMark);
  CBrush brush(kExRightsMark);
  CPen* oldPen = dc->SelectObject(&pen);
  CBrush* oldBrush = dc->SelectObject(&brush);
  const POINT corners[3] = {{centreX, y0 + 5}, {centreX + 4, y0 + 10}, {centreX - 4, y0 + 10}};
  dc->Polygon(corners, 3);
  dc->SelectObject(oldBrush);
  dc->SelectObject(oldPen);
  dc->SetBkMode(TRANSPARENT);
}

void CKIVKLineBlock::DrawSignalMark(CDC* dc, bool buy, bool lastBar, int xc, int yH, int yL, int sHeight,
                                    bool pendingAllowed) {
  const CKLineSeries* series = model_.Series();
  const bool pending = pendingAllowed && lastBar && series && IsPendingTime(series->Bar(series->GetCount() - 1).time);
  const int top = buy ? yL + 10 : yH - sHeight - 10;
  if (pending) {
    if (!pendingTried_) {
      pendingTried_ = true;
      pendingDc_.CreateCompatibleDC(nullptr);
      if (pendingBitmap_.LoadBitmap(IDB_SIGNAL_MARK_PENDING)) {
        ++markBitmapLoads_;
        pendingOld_ = pendingDc_.SelectObject(&pendingBitmap_);
      }
    }
    if (!pendingOld_) return;  // a bitmap that cannot be loaded draws nothing
    const CSize size = pendingBitmap_.GetSize();
    dc->BitBlt(xc - size.cx / 4 + 1, top, size.cx / 2, size.cy, &pendingDc_, buy ? 0 : size.cx / 2, 0, SRCCOPY);
    return;
  }
  if (!markOld_) return;
  const CSize size = markBitmap_.GetSize();
  dc->StretchBlt(xc - size.cx / 2 + 3, top, size.cx - 4, size.cy / 2, &markDc_, 0, buy ? 0 : size.cy / 2, size.cx,
                 size.cy / 2, SRCCOPY);
}

void CKIVKLineBlock::DrawChart(CDC* dc) {
  if (!dc) return;
  const KivUiTheme& theme = UiTheme();
  CRect client;
  GetClientRect(&client);
  dc->FillSolidRect(&client, theme.clrBack);
  CFont* oldFont = dc->SelectObject(&axisFont_);
  const int textHeight = dc->GetTextExtent("20000000").cy;
  const int sHeight = dc->GetTextExtent("s").cy;
  const StockId stock = model_.GetStockId();
  const uint32_t market = StockMarket(stock);
  const int decimals = PriceDecimals(static_cast<int32_t>(StockCode(stock)));
  const int labelHeight = g_data.labelHeight;
  const CRect& price = plots_.price;
  const CRect& vol = plots_.volume;

  dc->SetBkMode(OPAQUE);
  DrawDragBand(dc, textHeight);

  // Frames of both plots and their label boxes.
  CPen framePen(PS_SOLID, 1, theme.clrGrid);
  CPen* oldPen = dc->SelectObject(&framePen);
  for (const CRect* plot : {&price, &vol}) {
    dc->MoveTo(plot->left - 1, plot->top);
    dc->LineTo(plot->left - 1, plot->bottom);
    dc->LineTo(plot->right, plot->bottom);
    dc->LineTo(plot->right, plot->top);
    dc->LineTo(plot->left - 1, plot->top);
    dc->MoveTo(client.left, plot == &price ? client.top : plot->top);
    dc->LineTo(client.left, plot->bottom);
    dc->LineTo(plot->left - 2, plot->bottom);
    dc->LineTo(plot->left - 2, plot->top);
    dc->LineTo(client.left, plot == &price ? client.top : plot->top);
  }
  scale_ = MakeKLineScale(plots_, textHeight, labelHeight);

  // Grid: the price levels unless switched off, the two volume lines always.
  ReadMenuOptionWords();
  CPen gridPen(PS_SOLID, 1, kGridColour);
  dc->SelectObject(&gridPen);
  const int gridTop = price.top + labelHeight, gridBottom = price.bottom - textHeight;
  int levelY[7];
  for (int i = 0; i < 7; ++i) {
    levelY[i] = i == 6 ? gridBottom : gridTop + static_cast<int>((gridBottom - gridTop) * kGridLevels[i]);
  }
  if (!(m_MenuOptions & kGridOffBit)) {
    for (int y : levelY) {
      dc->MoveTo(price.left, y);
      dc->LineTo(price.right, y);
    }
  }
  const int volumeTopLine = vol.top + labelHeight;
  const int volumeMidLine = volumeTopLine + static_cast<int>((vol.bottom - volumeTopLine) * 0.5);
  for (int y : {volumeTopLine, volumeMidLine}) {
    dc->MoveTo(vol.left, y);
    dc->LineTo(vol.right, y);
  }

  const CKLineSeries* main = model_.Series();
  if (!main || main->GetCount() < 1) {
    visibleCount_ = 0;
    dc->SelectObject(oldPen);
    dc->SelectObject(oldFont);
    model_.ClearRedraw();
    return;
  }

  OldReadLock read(&model_.PaintLock());
  const int count = main->GetCount();
  const int start = StartIndex();
  const CKLineSeries* drawn = PaintSeries(start);
  const int drawnCount = std::min(count, drawn->GetCount());
  const int level = g_data.zoomLevel;
  const int n = std::max(0, std::min(ZoomVisibleBars(price.Width(), level), drawnCount - start));
  visibleCount_ = n;
  float highest = 0, lowest = 100000000.0f, maxVolume = 1.0f;
  for (int i = start; i < start + n; ++i) {
    const KLineBar& bar = drawn->Bar(i);
    highest = std::max(highest, bar.high);
    lowest = std::min(lowest, bar.low);
    maxVolume = std::max(maxVolume, bar.volume);
  }
  // The last day bar of today grows into the volume the day will reach.
  float projected = 0;
  if (model_.GetDataType() == kDataTypeDay && n > 0 && start + n == count) {
    const KLineBar& last = drawn->Bar(count - 1);
    const LocalClock now = LocalClockOf(Now());
    if (LocalClockOf(last.time).date == now.date) projected = ProjectedDayVolume(last.volume, now.hour, now.minute);
    maxVolume = std::max(maxVolume, projected);
  }
  scale_.highest = highest;
  scale_.lowest = lowest;
  scale_.maxVolume = maxVolume;
  scale_.range = highest - lowest;

  // Axis labels.
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(kAxisTextColour);
  for (int i = 0; i < 7; ++i) {
    const std::string text = PriceLabel(lowest + scale_.range * (1 - kGridLevels[i]), market, decimals);
    const CSize size = dc->GetTextExtent(text);
    dc->TextOut(price.left - size.cx - 2, levelY[i] - textHeight / 2, text);
  }
  char text[64];
  const double volumeLabels[3] = {maxVolume / 10000.0, maxVolume * 0.5 / 10000.0, 0};
  for (int i = 0; i < 3; ++i) {
    std::snprintf(text, sizeof(text), "%.0f万", volumeLabels[i]);
    const CSize size = dc->GetTextExtent(text);
    const int y = i == 0 ? volumeTopLine - textHeight / 2 : i == 1 ? volumeMidLine - textHeight / 2
                                                                    : vol.bottom - textHeight;
    dc->TextOut(vol.left - size.cx - 2, y, text);
  }

  // Candles, volume bars and their marks.
  const bool holdingView = (m_MenuOptions & kHoldingViewBit) != 0;
  const DataType type = model_.GetDataType();
  const uint8_t options = model_.DisplayOptions();
  const bool stockSignals = (options & kShortMarksBit) && IsSignalPeriod(type);
  const bool indexSignals = (options & kIndexMarksBit) && IsSignalPeriod(type);
  const bool signalColouring = stockSignals || indexSignals;
  const COLORREF riseColour = holdingView ? kHoldViewRise : theme.clrRise;
  const COLORREF fallColour = holdingView ? kHoldViewFall : theme.clrFall;
  const COLORREF flatColour = holdingView ? kHoldViewFlat : theme.clrLevel;
  const COLORREF penColours[5] = {riseColour, fallColour, flatColour, kHoldBuy, kHoldSell};
  CPen pens[5];
  for (int p = 0; p < 5; ++p) pens[p].CreatePen(PS_SOLID, 1, penColours[p]);
  enum { kRisePen, kFallPen, kFlatPen, kBuyPen, kSellPen };
  int runningState = 0;  // 1 up, 2 down: the signal colouring's state in this redraw
  int x0 = 0, x1 = 0, yV = 0;
  for (int i = 0; i < n; ++i) {
    const int k = start + i;
    const KLineBar& bar = drawn->Bar(k);
    const uint32_t S = main->Flags(k);
    const uint32_t M = main->SpareWordAt(k);
    const KLineBarEdges edges = BarEdgesAt(price.left, i, level);
    x0 = edges.x0;
    x1 = edges.x1;
    const int xc = edges.xc;
    const int yH = scale_.PriceToY(bar.high), yL = scale_.PriceToY(bar.low);
    const int yO = scale_.PriceToY(bar.open), yC = scale_.PriceToY(bar.close);
    yV = scale_.VolumeToY(bar.volume);
    const float d = bar.close - bar.open;
    const bool rising = d > kFlatBand, falling = d < -kFlatBand;
    const float previousClose = i > 0 ? drawn->Bar(k - 1).close : bar.close;

    // 1. Colour.
    int pen;
    if (rising) pen = kRisePen;
    else if (falling) pen = kFallPen;
    else if (i == 0) pen = kFlatPen;
    else pen = previousClose <= bar.close ? kRisePen : kFallPen;
    if (signalColouring) {
      const uint32_t signal = S & 0xF;
      if (signal == 1 || signal == 4) {
        pen = kRisePen;
        runningState = 1;
      } else if (signal == 2 || signal == 3) {
        pen = kFallPen;
        runningState = 2;
      } else if (runningState != 0) {
        pen = runningState == 1 ? kRisePen : kFallPen;
      } else {
        pen = rising ? kRisePen : falling ? kFallPen : kFlatPen;
      }
    }
    const auto* holder = holdingView ? dynamic_cast<const KLineHolderMarks*>(main->HolderMarks(k)) : nullptr;
    const bool keepsOwnColour = (!rising && !falling && !signalColouring) || indexSignals;
    if (holder && !keepsOwnColour) pen = holder->GetState() == KLineHolderMarks::kBuyOnly ? kBuyPen : kSellPen;
    dc->SelectObject(&pens[pen]);
    const COLORREF fill = penColours[pen];

    // 2. Candle (3. with the index marks before its body).
    if (((M >> 4) & 0xF) == 0) {
      if (indexSignals && ((S >> 4) & 0xF) == 0 && (!rising || (M & 0xF) == 0)) {
        if ((S & 0xF) == 1) DrawSignalMark(dc, true, k == count - 1, xc, yH, yL, sHeight, true);
        if ((S & 0xF) == 3) DrawSignalMark(dc, false, k == count - 1, xc, yH, yL, sHeight, true);
      }
      if (rising) {
        if (m_MenuOptions & kHollowCandlesBit) {
          dc->MoveTo(x0, yC);
          dc->LineTo(x0, yO);
          dc->LineTo(x1, yO);
          dc->LineTo(x1, yC);
          dc->LineTo(x0, yC);
        } else {
          FillBox(dc, x0, std::min(yO, yC), x1 + 1, std::max(yO, yC) + 1, fill);
        }
        dc->MoveTo(xc, yC);
        dc->LineTo(xc, yH);
        dc->MoveTo(xc, yO);
        dc->LineTo(xc, yL);
      } else if (falling) {
        FillBox(dc, x0, std::min(yO, yC), x1 + 1, std::max(yO, yC) + 1, fill);
        dc->MoveTo(xc, yH);
        dc->LineTo(xc, yL);
      } else {
        dc->MoveTo(xc, yH);
        dc->LineTo(xc, yL);
        dc->MoveTo(x0, yC);
        dc->LineTo(x1, yC);
      }
    }

    // 4. The holding-change view of day bars.
    if (holdingView && type == kDataTypeDay) {
      const int bodyTop = std::min(yO, yC), bodyHeight = std::abs(yO - yC);
      if (holder && holder->GetState() == KLineHolderMarks::kBoth && ((M >> 4) & 0xF) == 0) {
        FillBox(dc, x0, bodyTop, x1 + 1, bodyTop + bodyHeight / 2, kHoldBuy);
        dc->SelectObject(&pens[kBuyPen]);
        dc->MoveTo(xc, bodyTop);
        dc->LineTo(xc, yH - 1);
      }
      if ((M & 0xF) != 0) {
        if ((S & 0xF) == 1) DrawSignalMark(dc, true, k == count - 1, xc, yH, yL, sHeight, false);
        if ((S & 0xF) == 3) DrawSignalMark(dc, false, k == count - 1, xc, yH, yL, sHeight, false);
      }
      const uint32_t run = (M >> 4) & 0xF;
      if (holdingRunShown_ && run != 0) {
        FillBox(dc, x0, bodyTop, x1 + 1, bodyTop + bodyHeight, run == 1 ? kHoldBuy : kHoldSell);
        dc->SelectObject(&pens[run == 1 ? kBuyPen : kSellPen]);
        dc->MoveTo(xc, yL);
        dc->LineTo(xc, yH - 1);
      }
    }

    // 5. Volume bar.
    dc->SelectObject(&pens[pen]);
    if (rising) {
      if (m_MenuOptions & kHollowCandlesBit) {
        dc->SelectObject(&pens[kRisePen]);
        dc->MoveTo(x0, yV);
        dc->LineTo(x0, vol.bottom - 1);
        dc->LineTo(x1, vol.bottom - 1);
        dc->LineTo(x1, yV);
        dc->LineTo(x0, yV);
      } else {
        FillBox(dc, x0, yV, x1 + 1, vol.bottom, riseColour);
      }
    } else if (falling) {
      FillBox(dc, x0, yV, x1 + 1, vol.bottom, fill);
    } else {
      const COLORREF flatVolume = i == 0 ? theme.clrLevel : bar.close < previousClose ? theme.clrFall : theme.clrRise;
      FillBox(dc, x0, yV, x1 + 1, vol.bottom, flatVolume);
    }

    // 6. Stock signal marks.
    if (stockSignals && ((S >> 4) & 0xF) == 0) {
      if ((S & 0xF) == 1) DrawSignalMark(dc, true, k == count - 1, xc, yH, yL, sHeight, true);
      if ((S & 0xF) == 3) DrawSignalMark(dc, false, k == count - 1, xc, yH, yL, sHeight, true);
    }

    // 7. Mid-term marks, 1:1 halves of the mark bitmap.
    if (m_MidTermMarks && markOld_) {
      const CSize size = markBitmap_.GetSize();
      const uint32_t midTerm = (S >> 8) & 0xF;
      if (midTerm == 1) {
        dc->BitBlt(xc - size.cx / 4 + 1, yL + 5, size.cx, size.cy / 2, &markDc_, 0, 0, SRCCOPY);
      } else if (midTerm == 3) {
        dc->BitBlt(xc - size.cx / 4, yH - size.cy - 5, size.cx, size.cy / 2, &markDc_, 0, size.cy / 2, SRCCOPY);
      }
    }

    // 8. Insider notes and ex-rights days.
    if (market != kMarketFourthBoard) {
      if (type == kDataTypeDay && main->HolderText(k)) {
        CPen notePen(PS_SOLID, 1, 0xCC8800);
        CPen* before = dc->SelectObject(&notePen);
        CBrush* oldBrush = dc->SelectObject(&noteBrush_);
        const int cy = price.top + labelHeight + 4;
        const POINT diamond[4] = {{xc, cy - 3}, {xc + 3, cy}, {xc, cy + 3}, {xc - 3, cy}};
        dc->Polygon(diamond, 4);
        dc->SelectObject(oldBrush);
        dc->SelectObject(before);
      }
      DrawExRightsDayMark(dc, k, xc);
      dc->SetBkMode(TRANSPARENT);
    }
    if (k == count - 1) {
      lastHighY_ = yH;
      lastLowY_ = yL;
    }
  }

  // The projected volume of today, dotted above the real one.
  if (projected > kFlatBand && n > 0) {
    CPen dotted(PS_DOT, 1, kProjectionColour);
    dc->SelectObject(&dotted);
    dc->SetBkMode(OPAQUE);
    dc->SetBkColor(0x000000);
    const int yP = scale_.VolumeToY(projected);
    dc->MoveTo(x0, yV);
    dc->LineTo(x0, yP);
    dc->LineTo(x1, yP);
    dc->LineTo(x1, yV);
    dc->SetBkMode(TRANSPARENT);
    dc->SelectObject(oldPen);
  }

  if (!holdingView) DrawLines(dc, *main, start, n);

  // Title.
  dc->SetTextColor(theme.clrText);
  dc->SetBkMode(TRANSPARENT);
  char title[64];
  const char* name = reinterpret_cast<const char*>(main->Reserved());
  const std::string shownName(name, strnlen(name, CKLineSeries::kReservedBytes));
  const uint32_t titleMarket = StockMarket(main->GetStock());
  if (titleMarket == kHttpMarket) {
    std::snprintf(title, sizeof(title), "%u %s", StockCode(main->GetStock()) + kHttpCodeOffset, shownName.c_str());
  } else {
    std::snprintf(title, sizeof(title), "%06u %s", StockCode(main->GetStock()), shownName.c_str());
  }
  dc->TextOut(price.left + 3, price.top + 3, title);
  titleRight_ = price.left + 10 + dc->GetTextExtent(title).cx;

  dc->SelectObject(oldPen);
  dc->SelectObject(oldFont);
  model_.ClearRedraw();
}

void CKIVKLineBlock::DrawPolyline(CDC* dc, const CMovingAverageLine& line, int start, int visible, bool volume) {
  const float* values = line.Values();
  const int count = line.GetCount();
  const int level = g_data.zoomLevel;
  const CRect& price = plots_.price;
  int first = start;
  while (first < start + visible && first < count && values[first] < 0.0001f) ++first;
  if (first >= start + visible || first >= count) return;
  const int step = ZoomStep(level), half = ZoomCandleWidth(level) / 2;
  auto xOf = [&](int j) { return price.left + (j - start) * step + half; };
  const int textHeight = scale_.textHeight;
  if (volume) {
    dc->MoveTo(xOf(first), scale_.VolumeToY(values[first]));
    for (int j = first; j < start + visible && j < count; ++j) {
      const int y = scale_.VolumeToY(values[j]);
      if (y < plots_.volume.bottom - 3) dc->LineTo(xOf(j), y);
      else dc->MoveTo(xOf(j), y);
    }
    return;
  }
  const int y0 = scale_.PriceToY(values[first]);
  dc->MoveTo(xOf(first), y0);
  bool penDown = y0 > price.top + textHeight && y0 < price.bottom - 5;
  for (int j = first; j < start + visible && j < count; ++j) {
    const int y = scale_.PriceToY(values[j]);
    const bool inside = y > price.top + textHeight && y < price.bottom - 3;
    if (inside && penDown) {
      dc->LineTo(xOf(j), y);
    } else if (inside) {
      dc->MoveTo(xOf(j), y);
      penDown = true;
    } else {
      dc->MoveTo(xOf(j), y);
    }
  }
}

void CKIVKLineBlock::DrawLines(CDC* dc, const CKLineSeries& main, int start, int visible) {
  CPen* oldPen = dc->GetCurrentPen();
  const int count = main.GetCount();
  ChartLineSet& lines = model_.Lines();
  if (!m_MidTermMarks) {
    ReloadAverageSettings();
    for (int k = 0; k < ChartLineSet::kAverages; ++k) {
      const CMovingAverageLine& line = lines.m_PriceMA[k];
      if (lines.priceMAPeriod[k] <= 0 || line.GetCount() != count) continue;
      CPen pen(PS_SOLID, 1, line.GetColor());
      dc->SelectObject(&pen);
      DrawPolyline(dc, line, start, visible, false);
      dc->SelectObject(oldPen);
    }
    for (int k = 0; k < ChartLineSet::kAverages; ++k) {
      const CMovingAverageLine& line = lines.m_VolumeMA[k];
      if (line.GetCount() < 1 || line.GetCount() != count) continue;
      CPen pen(PS_SOLID, 1, line.GetColor());
      dc->SelectObject(&pen);
      DrawPolyline(dc, line, start, visible, true);
      dc->SelectObject(oldPen);
    }
    return;
  }
  for (int volume = 0; volume < 2; ++volume) {
    for (int k = 0; k < 2; ++k) {
      const CMovingAverageLine& line = volume ? lines.m_VolumeLines[k] : lines.m_PriceLines[k];
      if (line.GetCount() != count) continue;
      CPen pen(PS_SOLID, k + 1, line.GetColor());
      dc->SelectObject(&pen);
      DrawPolyline(dc, line, start, visible, volume != 0);
      dc->SelectObject(oldPen);
    }
  }
}

}  // namespace kiv
