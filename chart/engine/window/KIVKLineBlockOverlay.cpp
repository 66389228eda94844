// CKIVKLineBlock's overlay, drawn on a fresh copy of the chart layer at
// every paint: time and value labels, the crosshair with its information
// panel, the moving-average legends, the right-button selection, and the
// tips (insider notes, ex-rights days, the pending signal, holding changes
// with the run of bars they belong to).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "chart/engine/ChartIds.h"
#include "chart/engine/HoldingRunHighlight.h"
#include "chart/engine/KLineViewState.h"
#include "chart/engine/window/KIVKLineBlock.h"
#include "chart/engine/window/MeasureTextBlock.h"
#include "data/CachePath.h"
#include "shell/KivUiTheme.h"

namespace kiv {

namespace {

constexpr COLORREF kLabelBack = 0xC00000;
constexpr COLORREF kLabelBox = 0x999999;
constexpr COLORREF kLineColour = 0x555555;
constexpr COLORREF kTipBack = 0x555555;
constexpr COLORREF kTipText = 0xEEEEEE;
constexpr COLORREF kExRightsCaption = 0x43CACA;
constexpr COLORREF kExRightsBody = 0xDEDEDE;
constexpr COLORREF kFigureColour = 0x40FFFF;

const char* const kPanelLabels[8] = {"时    间", "开    盘", "最    高", "最    低",
                                     "收    盘", "成 交 量", "成 交 额", "涨跌幅度"};

bool IsIntraday(DataType type) {
  return type == kDataTypeHour || type == kDataTypeMin30 || type == kDataTypeMin15 || type == kDataTypeMin5 ||
         type == kDataTypeMin1;
}

struct tm LocalTm(int64_t time) {
  const time_t t = static_cast<time_t>(time);
  struct tm local {};
  localtime_r(&t, &local);
  return local;
}

// A float figure as an int, truncated; 0 where it has none.
long long Whole(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 9.0e18) return 0;
  return static_cast<long long>(value);
}

std::string PanelPrice(double value, uint32_t market, int decimals) {
  char text[64];
  if (value > 10000) std::snprintf(text, sizeof(text), "%.2f万", value / 10000);
  else if (market == kHttpMarket) std::snprintf(text, sizeof(text), "%.4f", value);
  else if (decimals == 3) std::snprintf(text, sizeof(text), "%.3f", value);
  else std::snprintf(text, sizeof(text), "%.2f", value);
  return text;
}

COLORREF AgainstPrevious(double value, double previous, const KivUiTheme& theme) {
  const double d = value - previous;
  return d > 0.0001 ? theme.clrRise : d < -0.0001 ? theme.clrFall : theme.clrLevel;
}

void Outline(CDC* dc, int left, int top, int right, int bottom) {
  dc->MoveTo(left, top);
  dc->LineTo(right, top);
  dc->LineTo(right, bottom);
  dc->LineTo(left, bottom);
  dc->LineTo(left, top);
}

// A label on 0xC00000 with a one-pixel 0x999999 box around it.
void BoxedLabel(CDC* dc, int x, int top, const std::string& text) {
  const CSize size = dc->GetTextExtent(text);
  dc->SetBkMode(OPAQUE);
  dc->SetBkColor(kLabelBack);
  dc->TextOut(x, top, text);
  CPen box(PS_SOLID, 1, kLabelBox);
  CPen* old = dc->SelectObject(&box);
  Outline(dc, x - 1, top - 1, x + size.cx, top + size.cy);
  dc->SelectObject(old);
  dc->SetBkMode(TRANSPARENT);
}

}  // namespace

std::string CKIVKLineBlock::FormatHoldingMarks(const KLineHolderMarks* marks) {
  if (!marks || marks->Marks().empty()) return std::string();
  const struct tm date = LocalTm(marks->Marks().front().time);
  char line[128];
  std::snprintf(line, sizeof(line), "%04d年%02d月%02d日", date.tm_year + 1900, date.tm_mon + 1, date.tm_mday);
  std::string text = line;
  for (const TradeMark& mark : marks->Marks()) {
    std::snprintf(line, sizeof(line), mark.kind == 1 ? "\n以%.3f的价格买入%lld股." : "\n以%.3f的价格卖出%lld股.",
                  static_cast<double>(mark.price), static_cast<long long>(mark.shares));
    text += line;
  }
  return text;
}

void CKIVKLineBlock::DrawExRightsTip(CDC* dc, int bar, int barX, int cursorY) {
  const CKLineSeries* series = model_.Series();
  if (!dc || !series || bar < 0 || bar >= series->GetCount()) return;
  if (model_.GetDataType() != kDataTypeDay) return;
  const ExRightsRecord* row = ExRightsRowOf(series->Bar(bar).time);
  if (!row) return;
  const int y0 = plots_.price.bottom - g_data.labelHeight;
  if (!(cursorY > y0 && cursorY < y0 + 20)) return;
  const struct tm date = LocalTm(row->date);
  char line[128];
  std::snprintf(line, sizeof(line), "除权,除息:%d/%02d/%02d", date.tm_year + 1900, date.tm_mon + 1, date.tm_mday);
  std::string text = line;
  if (row->cash > 0) {
    std::snprintf(line, sizeof(line), "\n每10股派现金%.3f元", row->cash * 10.0);
    text += line;
  }
  if (row->bonusRatio > 0) {
    std::snprintf(line, sizeof(line), "\n每10股送转股比例%.3f股", row->bonusRatio * 10.0);
    text += line;
  }
  if (row->rightsPrice > 0) {
    std::snprintf(line, sizeof(line), "\n每股配股价%.3f元", static_cast<double>(row->rightsPrice));
    text += line;
  }
  if (row->rightsRatio > 0) {
    std::snprintf(line, sizeof(line), "\n每10股配股比例%.3f股", row->rightsRatio * 10.0);
    text += line;
  }
  const CSize size = MeasureTextBlock(dc, text.c_str());
  int left = barX + 5, right = barX + 15 + size.cx;
  if (barX + size.cx + 10 > plots_.price.right) {
    left = barX - size.cx - 10;
    right = barX;
  }
  dc->FillSolidRect(left, cursorY + 18, right - left, 18, kExRightsCaption);
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(0x000000);
  dc->TextOut(left + 1, cursorY + 21, "权息资料变动");
  dc->FillSolidRect(left, cursorY + 36, right - left, size.cy, kExRightsBody);
  CRect body(left, cursorY + 37, right, cursorY + 37 + size.cy);
  dc->DrawText(text, &body, DT_LEFT | DT_NOPREFIX);
}

void CKIVKLineBlock::DrawInfoPanel(CDC* dc) {
  const CKLineSeries* main = model_.Series();
  if (!dc || !main || main->GetCount() < 1) return;
  const KivUiTheme& theme = UiTheme();
  CRect client;
  GetClientRect(&client);
  const CRect& price = plots_.price;
  const CRect& vol = plots_.volume;
  const StockId stock = model_.GetStockId();
  const uint32_t market = StockMarket(stock);
  const int decimals = PriceDecimals(static_cast<int32_t>(StockCode(stock)));
  const int labelHeight = g_data.labelHeight;
  const DataType type = model_.GetDataType();
  const CPoint cursor = CrosshairClientPoint();
  CFont* oldFont = dc->SelectObject(&axisFont_);
  const COLORREF oldText = dc->GetTextColor(), oldBack = dc->GetBkColor();
  const int oldMode = dc->GetBkMode();
  CPen linePen(PS_SOLID, 1, kLineColour);
  CPen* oldPen = dc->SelectObject(&linePen);
  const int textHeight = dc->GetTextExtent("20000000").cy;
  int bar = 0, barX = 0;
  {
    OldReadLock read(&model_.PaintLock());
    const int count = main->GetCount();
    const int start = StartIndex();
    const CKLineSeries* drawn = PaintSeries(start);
    const int slotUnder = ClampBarIndex(BarSlotAtX(cursor.x, price.left, g_data.zoomLevel), count);
    bar = ClampBarIndex(slotUnder + start, std::min(count, drawn->GetCount()));
    barX = BarCenterX(bar - start);
    const KLineBar& shown = drawn->Bar(bar);
    const double previous = bar > 0 ? drawn->Bar(bar - 1).close : shown.open;

    const CRect panel(client.left + 1, client.top, client.left + g_data.leftMargin + 8,
                      client.top + 4 + 16 * labelHeight);
    if (m_bCrosshair) {
      dc->FillSolidRect(&panel, 0x000000);
      Outline(dc, panel.left, panel.top, panel.right - 1, panel.bottom - 1);
    }
    dc->SetTextColor(theme.clrText);
    dc->SetBkColor(0x111111);
    dc->SetBkMode(TRANSPARENT);

    const struct tm when = LocalTm(shown.time);
    char text[96];
    if (IsIntraday(type)) {
      std::snprintf(text, sizeof(text), "%d/%02d/%02d/%02d:%02d/(%d)", when.tm_year + 1900, when.tm_mon + 1,
                    when.tm_mday, when.tm_hour, when.tm_min, when.tm_wday);
    } else {
      std::snprintf(text, sizeof(text), "%d/%02d/%02d(%d)", when.tm_year + 1900, when.tm_mon + 1, when.tm_mday,
                    when.tm_wday);
    }
    const std::string timeText = text;

    // The right-button selection.
    if (rightDown_ && rightDrag_) {
      dc->MoveTo(rightPoint_);
      dc->LineTo(cursor.x, rightPoint_.y);
      dc->LineTo(cursor);
      dc->MoveTo(rightPoint_);
      dc->LineTo(rightPoint_.x, cursor.y);
      dc->LineTo(cursor);
    }

    // Time label under the bar, value label at the cursor's height.
    const CSize timeSize = dc->GetTextExtent(timeText);
    const int timeX = timeSize.cx + 2 + cursor.x < price.right ? barX + 2 : barX - timeSize.cx - 2;
    BoxedLabel(dc, timeX, price.bottom - textHeight - 2, timeText);
    std::string value;
    if (cursor.y < price.bottom) {
      const double at = scale_.PriceAtY(cursor.y);
      std::snprintf(text, sizeof(text), market == kHttpMarket ? "%.4f" : decimals == 3 ? "%.03f" : "%.02f", at);
      value = text;
    } else if (cursor.y >= vol.top && cursor.y <= vol.bottom) {
      const double at = scale_.VolumeAtY(cursor.y);
      if (at > 100000000) std::snprintf(text, sizeof(text), "%.2f亿", at / 100000000);
      else if (at > 1000000) std::snprintf(text, sizeof(text), "%.1f万", at / 10000);
      else std::snprintf(text, sizeof(text), "%.0f", at);
      value = text;
    }
    if (!value.empty()) {
      const CSize size = dc->GetTextExtent(value);
      const int right = m_bCrosshair ? price.right - 5 : price.left - 3;
      BoxedLabel(dc, right - size.cx, cursor.y - size.cy, value);
    }

    // The information panel.
    if (m_bCrosshair) {
      std::string values[8];
      COLORREF colours[8];
      if (IsIntraday(type)) {
        std::snprintf(text, sizeof(text), "%04d%02d%02d", (when.tm_mon + 1) * 100 + when.tm_mday, when.tm_hour,
                      when.tm_min);
      } else {
        std::snprintf(text, sizeof(text), "%d%02d%02d", when.tm_year + 1900, when.tm_mon + 1, when.tm_mday);
      }
      values[0] = text;
      colours[0] = theme.clrText;
      const float prices[4] = {shown.open, shown.high, shown.low, shown.close};
      for (int i = 0; i < 4; ++i) {
        values[1 + i] = PanelPrice(prices[i], market, decimals);
        colours[1 + i] = AgainstPrevious(prices[i], previous, theme);
      }
      if (shown.volume - 100000000.0 > 0.0001) std::snprintf(text, sizeof(text), "%lld万", Whole(shown.volume / 10000.0));
      else std::snprintf(text, sizeof(text), "%lld", Whole(shown.volume));
      values[5] = text;
      if (shown.amount > 10000000000.0) std::snprintf(text, sizeof(text), "%lld亿", Whole(shown.amount / 100000000.0));
      else if (shown.amount >= 100000) std::snprintf(text, sizeof(text), "%lld万", Whole(shown.amount / 10000.0));
      else std::snprintf(text, sizeof(text), "%lld", Whole(shown.amount));
      values[6] = text;
      colours[5] = colours[6] = kFigureColour;
      // Over a zero previous close there is no change to show.
      const double change = previous != 0 ? shown.close / previous * 100 - 100 : 0;
      std::snprintf(text, sizeof(text), "%.2f%%", std::isfinite(change) ? change : 0.0);
      values[7] = text;
      colours[7] = AgainstPrevious(shown.close, previous, theme);
      for (int i = 0; i < 8; ++i) {
        const int y = panel.top + 4 + 2 * i * labelHeight;
        dc->SetTextColor(theme.clrText);
        dc->TextOut(panel.left + 5, y, kPanelLabels[i]);
        dc->SetTextColor(colours[i]);
        dc->TextOut(panel.right - 3 - dc->GetTextExtent(values[i]).cx, y + labelHeight, values[i]);
      }
    }

    // Legends of the lines at the hovered bar (the last one without crosshair).
    const int legendBar = m_bCrosshair ? bar : count - 1;
    const ChartLineSet& lines = model_.Lines();
    int x = titleRight_;
    for (int pass = 0; pass < 2; ++pass) {
      const bool volume = pass == 1;
      if (volume) x = vol.left + 3;
      const int y = volume ? vol.top + 3 : price.top + 3;
      const int shownLines = m_MidTermMarks ? 2 : ChartLineSet::kAverages;
      for (int k = 0; k < shownLines; ++k) {
        const CMovingAverageLine& line = m_MidTermMarks ? (volume ? lines.m_VolumeLines[k] : lines.m_PriceLines[k])
                                                        : (volume ? lines.m_VolumeMA[k] : lines.m_PriceMA[k]);
        if (line.GetCount() <= legendBar) continue;
        if (!m_MidTermMarks && !volume && lines.priceMAPeriod[k] <= 0) continue;
        if (m_MidTermMarks) {
          static const char* const kNames[2][2] = {{"机会线", "趋势线"}, {"短均量线", "长均量线"}};
          std::snprintf(text, sizeof(text), "%s: %.2f", kNames[pass][k], line.Values()[legendBar]);
        } else {
          std::snprintf(text, sizeof(text), "MA%d: %.2f", volume ? lines.volumeMAPeriod[k] : lines.priceMAPeriod[k],
                        line.Values()[legendBar]);
        }
        dc->SetTextColor(line.GetColor());
        dc->TextOut(x, y, text);
        x += dc->GetTextExtent(text).cx + 5;
      }
    }
  }

  // The crosshair lines.
  if (m_bCrosshair) {
    dc->SelectObject(&linePen);
    if (cursor.y < client.bottom) {
      dc->MoveTo(price.left, cursor.y);
      dc->LineTo(price.right, cursor.y);
    }
    dc->MoveTo(barX, price.top + 1);
    dc->LineTo(barX, price.bottom);
    dc->MoveTo(barX, vol.top + 1);
    dc->LineTo(barX, vol.bottom);
  }

  if (!m_bDragging) {
    if (market != kMarketFourthBoard) {
      // Insider note over the diamond.
      const char* note = main->HolderText(bar);
      if (note && cursor.y >= price.top && cursor.y <= price.top + labelHeight + 5) {
        const CSize size = MeasureTextBlock(dc, note);
        int left = barX + 1, right = barX + 17 + size.cx;
        if (right > price.right - 10) {
          left = barX - size.cx - 16;
          right = barX;
        }
        const int top = price.top + labelHeight;
        dc->FillSolidRect(left, top, right - left, textHeight + size.cy, kTipBack);
        dc->SetTextColor(kTipText);
        dc->SetBkMode(TRANSPARENT);
        CRect box(left + 7, top + 6, right, top + 6 + size.cy);
        dc->DrawText(note, -1, &box, DT_LEFT | DT_NOPREFIX);
      }
      DrawExRightsTip(dc, bar, barX, cursor.y);
      // The last bar's signal before it is final.
      const int count = main->GetCount();
      if (type == kDataTypeDay && bar == count - 1) {
        const struct tm last = LocalTm(main->Bar(bar).time);
        const bool pending = (last.tm_hour >= 1 && last.tm_hour <= 13) || (last.tm_hour == 14 && last.tm_min <= 30);
        const uint32_t signal = main->Flags(bar) & 0xF;
        const char* caption = signal == 1 ? "短线做多点 (14:30 最终确认)"
                              : signal == 3 ? "短线做空点 (14:30 最终确认)"
                                            : nullptr;
        if (pending && caption) {
          const CSize size = dc->GetTextExtent(caption);
          const int width = size.cx / 2 + 26;
          int left = barX + 1;
          if (size.cx + barX + 10 > price.right) left = barX - width;
          const int top = price.top + lastLowY_;
          dc->FillSolidRect(left, top, width, textHeight + 2 * size.cy, kTipBack);
          dc->SetTextColor(kTipText);
          dc->SetBkMode(TRANSPARENT);
          CRect box(left + 7, top + 6, left + width, top + 6 + 2 * size.cy);
          dc->DrawText(caption, -1, &box, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        }
      }
    }
    DrawHoldingTips(dc, bar, barX, cursor, textHeight);
  }

  dc->SelectObject(oldPen);
  dc->SetTextColor(oldText);
  dc->SetBkColor(oldBack);
  dc->SetBkMode(oldMode);
  dc->SelectObject(oldFont);
}

void CKIVKLineBlock::DrawHoldingTips(CDC* dc, int bar, int barX, CPoint cursor, int textHeight) {
  (void)cursor;
  CKLineSeries* main = model_.MutableSeries();
  if (!main) return;
  const int count = main->GetCount();
  const auto* holder = (m_MenuOptions & kHoldingViewBit) && bar < count
                           ? dynamic_cast<const KLineHolderMarks*>(main->HolderMarks(bar))
                           : nullptr;
  if (!holder) {
    if (holdingRunShown_) {
      ClearHoldingRun(&main->SpareWord(0), count);
      model_.RequestRedraw();
      Invalidate();
    }
    holdingRunShown_ = false;
    return;
  }
  const std::string text = FormatHoldingMarks(holder);
  const CSize size = MeasureTextBlock(dc, text.c_str());
  int left = barX + 1, right = barX + 17 + size.cx;
  if (right > plots_.price.right - 10) {
    left = barX - size.cx - 16;
    right = barX;
  }
  const int height = textHeight + size.cy;
  const int top = plots_.price.bottom - 6 - height;
  dc->FillSolidRect(left, top, right - left, height, kTipBack);
  dc->SetTextColor(kTipText);
  dc->SetBkMode(TRANSPARENT);
  CRect box(left + 7, top + 6, right, top + 6 + size.cy);
  dc->DrawText(text, &box, DT_LEFT | DT_NOPREFIX);

  const bool alreadyShown = holdingRunShown_ && holdingRunBar_ == bar;
  uint32_t* confirm = &main->SpareWord(0);
  if (holdingRunShown_) ClearHoldingRun(confirm, count);
  HighlightHoldingRun(&main->Flags(0), confirm, count, bar, holder->GetState());
  holdingRunShown_ = true;
  holdingRunBar_ = bar;
  if (!alreadyShown) {
    model_.RequestRedraw();
    Invalidate();
  }
}

}  // namespace kiv
