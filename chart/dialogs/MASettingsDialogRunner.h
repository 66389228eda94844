// MASettingsDialogRunner: the chart's moving-average settings dialog as the
// chart sees it (kiv::ChartMASettingsDialog), run by a CArgumentDlg: the
// settings handed in fill the dialog, RunModal runs it over the given
// parent, and after IDOK GetSettings hands back what the dialog returned.
// Without settings handed in the dialog opens with its own blank ones.
//
// Ownership: made by the chart's dialog maker, owned by the chart for one
// run; the dialog object is the runner's and outlives its window until
// the runner goes. UI thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "chart/engine/window/ChartDialogSeams.h"

class CArgumentDlg;

namespace kiv {

class MASettingsDialogRunner : public ChartMASettingsDialog {
 public:
  MASettingsDialogRunner();
  ~MASettingsDialogRunner() override;

  void SetSettings(const uint32_t record[kMASettingsWords]) override;
  INT_PTR RunModal(CWnd* parent) override;
  // The dialog's settings after a run; all zero before one.
  void GetSettings(uint32_t record[kMASettingsWords]) override;

 private:
  uint32_t given_[kMASettingsWords] = {};
  bool hasGiven_ = false;
  std::unique_ptr<CArgumentDlg> dialog_;  // of the last run
};

}  // namespace kiv
