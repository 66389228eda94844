#include "shell/StandInAdviceDialog.h"

#include <utility>

#include "platform/ui/DialogTemplate.h"
#include "shell/KivUiTheme.h"
#include "shell/StandInCallLog.h"

namespace {

kiv::ui::DialogTemplate StandInAdviceTemplate() {
  kiv::ui::DialogTemplate t;
  t.style = WS_POPUP | WS_VISIBLE | DS_CENTER;
  t.rect = CRect(0, 0, 240, 160);
  return t;
}

}  // namespace

StandInAdviceDialog::StandInAdviceDialog(std::string kind, CWnd* parent)
    : CDialog(StandInAdviceTemplate(), parent), kind_(std::move(kind)) {}

void StandInAdviceDialog::SetStock(StockId stock) {
  stock_ = stock;
  StandInCallLog::Record("AdviceDialog(" + kind_ + ")::SetStock", stock);
}

INT_PTR StandInAdviceDialog::DoModal() {
  StandInCallLog::Record("AdviceDialog(" + kind_ + ")::DoModal", stock_);
  return CDialog::DoModal();
}

HBRUSH StandInAdviceDialog::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  HBRUSH brush = CDialog::OnCtlColor(dc, wnd, ctlColor);
  if (ctlColor != CTLCOLOR_DLG) return brush;
  if (!dark_.GetSafeHandle()) dark_.CreateSolidBrush(UiTheme().clrBack);
  return static_cast<HBRUSH>(dark_.GetSafeHandle());
}

void StandInAdviceDialog::OnLButtonUp(UINT flags, CPoint point) {
  CDialog::OnLButtonUp(flags, point);
  EndDialog(IDCANCEL);
}
