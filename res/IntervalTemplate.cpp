#include "res/IntervalTemplate.h"

#include "chart/dialogs/ChartDialogIds.h"
#include "platform/ui/UiTypes.h"
#include "res/TemplateItem.h"

namespace kiv {
namespace res {

void AddIntervalTemplate(SkinTable* t) {
  // 270 x 320 pixels in dialog units of 9-point 宋体 (4 x 8 units to 6 x 12
  // pixels). The dialog places its twelve rows itself and paints the rest;
  // the template gives the labels their captions and makes the value boxes,
  // hidden until the dialog has painted. The row 加权均价 is never shown.
  ui::DialogTemplate interval;
  interval.style = WS_POPUP | WS_CLIPCHILDREN;
  interval.rect = CRect(0, 0, 180, 213);
  const char* const captions[kIntervalRows] = {"起始时间", "终止时间", "开盘价",   "最高价",   "最低价",   "收盘价",
                                               "成交量",   "成交额",   "加权均价", "区间涨幅", "区间振幅", "区间换手"};
  for (int i = 0; i < kIntervalRows; ++i) {
    const int top = 20 + 16 * i;
    interval.items.push_back(TemplateItem(static_cast<int>(kIdcIntervalFirstLabel) + i, "STATIC", captions[i],
                                          (i == kIntervalUnusedRow ? 0 : WS_VISIBLE) | SS_LEFT | SS_CENTERIMAGE,
                                          CRect(6, top, 40, top + 13)));  // level with its value
    interval.items.push_back(TemplateItem(static_cast<int>(kIdcIntervalFirstValue) + i, "EDIT", "", ES_AUTOHSCROLL,
                                          CRect(43, top, 110, top + 13)));
  }
  t->AddDialogTemplate(kIddInterval, interval);
}

}  // namespace res
}  // namespace kiv
