// ChartMenuDialogMaker: the chart menu's two dialogs as the program makes
// them for its charts: the interval statistics (which asks for the share
// capital over the given network service) and the moving-average settings.
//
// Ownership: the program keeps one for its life; the dialogs it makes are
// the chart's. UI thread only.
#pragma once

#include <memory>

#include "chart/engine/window/ChartDialogSeams.h"

class CNetService;

namespace kiv {

class ChartMenuDialogMaker : public ChartDialogMaker {
 public:
  explicit ChartMenuDialogMaker(CNetService& net) : net_(net) {}
  std::unique_ptr<ChartIntervalDialog> MakeIntervalDialog() override;
  std::unique_ptr<ChartMASettingsDialog> MakeMASettingsDialog() override;

 private:
  CNetService& net_;
};

}  // namespace kiv
