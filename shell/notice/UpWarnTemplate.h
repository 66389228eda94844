// The countdown notice's dialog template: a skinned popup whose window is
// sized to its background skin, holding one static (kIdcUpWarnText) over the
// body of that skin, with room for five lines of the template font (the
// updater's prompts begin with a line feed and hold blank lines). It lives
// with the dialog, so that both programs register the same template
// without the rest of the shell. Any thread.
#pragma once

#include "platform/ui/DialogTemplate.h"

namespace kiv {

kiv::ui::DialogTemplate UpWarnDialogTemplate();

}  // namespace kiv
