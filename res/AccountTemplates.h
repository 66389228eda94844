// The account dialogs' templates in the terminal's table (internal to res/):
// the login dialog, the phone-binding reminder, the password change and the
// risk disclosure, under the ids of shell/AccountIds.h.
#pragma once

#include "res/SkinTable.h"

namespace kiv {
namespace res {

void AddAccountTemplates(SkinTable* t);

}  // namespace res
}  // namespace kiv
