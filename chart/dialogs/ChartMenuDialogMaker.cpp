#include "chart/dialogs/ChartMenuDialogMaker.h"

#include "chart/dialogs/Kiv_Dlg_Interval.h"
#include "chart/dialogs/MASettingsDialogRunner.h"

namespace kiv {

std::unique_ptr<ChartIntervalDialog> ChartMenuDialogMaker::MakeIntervalDialog() {
  return std::make_unique<CKiv_Dlg_Interval>(net_);
}

std::unique_ptr<ChartMASettingsDialog> ChartMenuDialogMaker::MakeMASettingsDialog() {
  return std::make_unique<MASettingsDialogRunner>();
}

}  // namespace kiv
