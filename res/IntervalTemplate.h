// The interval statistics dialog's template in the terminal's table
// (internal to res/): template 317 under the ids of
// chart/dialogs/ChartDialogIds.h.
#pragma once

#include "res/SkinTable.h"

namespace kiv {
namespace res {

void AddIntervalTemplate(SkinTable* t);

}  // namespace res
}  // namespace kiv
