// The chart's moving-average settings templates in the terminal's table
// (internal to res/): the settings dialog and its colour palette, under the
// ids of chart/dialogs/ChartDialogIds.h.
#pragma once

#include "res/SkinTable.h"

namespace kiv {
namespace res {

void AddMASettingsTemplates(SkinTable* t);

}  // namespace res
}  // namespace kiv
