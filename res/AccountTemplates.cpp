#include "res/AccountTemplates.h"

#include "platform/ui/UiTypes.h"
#include "shell/AccountIds.h"

namespace kiv {
namespace res {

namespace {

// Rectangles are in dialog units of 9-point 宋体: 4 x 8 units to 6 x 12
// pixels. The skinned dialogs size themselves to their skins.
ui::DialogTemplate Popup(int width, int height) {
  ui::DialogTemplate t;
  t.style = WS_POPUP | WS_CLIPCHILDREN;
  t.rect = CRect(0, 0, width, height);
  return t;
}

}  // namespace

void AddAccountTemplates(SkinTable* t) {
  // The phone reminder paints everything: no controls. 480 x 260 pixels.
  t->AddDialogTemplate(kIddPhoneBind, Popup(320, 173));
}

}  // namespace res
}  // namespace kiv
