#include "res/MASettingsTemplates.h"

#include "chart/dialogs/ChartDialogIds.h"
#include "platform/ui/UiTypes.h"
#include "res/TemplateItem.h"

namespace kiv {
namespace res {

void AddMASettingsTemplates(SkinTable* t) {
  // Rectangles are in dialog units of 9-point 宋体 (4 x 8 units to 6 x 12
  // pixels). The settings dialog, 300 x 300 pixels: the 22-pixel title band
  // with its picture at the left and the close picture at the right, five
  // rows 42 pixels apart from y 36, "恢复默认设置" under them and the OK and
  // cancel pictures at the bottom. The swatches end at x 219, so the
  // 66-pixel palette beside them stays inside the dialog for every row.
  ui::DialogTemplate settings;
  settings.style = WS_POPUP | WS_SYSMENU | WS_CLIPCHILDREN | DS_CENTER;
  settings.rect = CRect(0, 0, 200, 200);
  settings.caption = "均线参数设置";
  const DWORD label = WS_VISIBLE | SS_LEFT;
  const DWORD picture = WS_VISIBLE | SS_NOTIFY;
  settings.items.push_back(TemplateItem(kIdcMATitlePicture, "STATIC", "", WS_VISIBLE, CRect(0, 0, 23, 15)));
  settings.items.push_back(TemplateItem(kIdcMAClose, "STATIC", "", picture, CRect(185, 0, 198, 15)));
  const UINT periods[] = {kIdcMAPeriod1, kIdcMAPeriod2, kIdcMAPeriod3, kIdcMAPeriod4, kIdcMAPeriod5};
  const UINT swatches[] = {kIdcMASwatch1, kIdcMASwatch2, kIdcMASwatch3, kIdcMASwatch4, kIdcMASwatch5};
  const char* labels[] = {"均线1:", "均线2:", "均线3:", "均线4:", "均线5:"};
  // The swatches come first in the tab order: the focus a dialog gives its
  // first stop at opening must not land in a period field, which entering
  // clears.
  for (int i = 0; i < 5; ++i) {
    const int top = 24 + 28 * i;
    settings.items.push_back(TemplateItem(static_cast<int>(swatches[i]), "BUTTON", "",
                                          WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, CRect(120, top, 146, top + 12)));
  }
  for (int i = 0; i < 5; ++i) {
    const int top = 24 + 28 * i;
    settings.items.push_back(TemplateItem(IDC_STATIC, "STATIC", labels[i], label, CRect(12, top + 2, 40, top + 12)));
    settings.items.push_back(TemplateItem(static_cast<int>(periods[i]), "EDIT", "",
                                          WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, CRect(42, top, 82, top + 12)));
    settings.items.push_back(TemplateItem(IDC_STATIC, "STATIC", "日均线", label, CRect(86, top + 2, 116, top + 12)));
  }
  settings.items.push_back(TemplateItem(kIdcMARestoreDefaults, "STATIC", "恢复默认设置",
                                        WS_VISIBLE | SS_LEFT | SS_NOTIFY, CRect(12, 166, 62, 175)));
  settings.items.push_back(TemplateItem(kIdcMAOk, "STATIC", "", picture, CRect(40, 180, 87, 196)));
  settings.items.push_back(TemplateItem(kIdcMACancel, "STATIC", "", picture, CRect(110, 180, 157, 196)));
  t->AddDialogTemplate(kIddMASettings, settings);

  // The palette, a hidden child that the settings dialog moves to 66 x 44
  // pixels beside the swatches; it lays its six swatches out three by two
  // over whatever size it is given.
  ui::DialogTemplate palette;
  palette.style = WS_CHILD | WS_CLIPCHILDREN;
  palette.rect = CRect(0, 0, 44, 29);
  for (UINT id = kIdcPaletteFirst; id <= kIdcPaletteLast; ++id) {
    palette.items.push_back(
        TemplateItem(static_cast<int>(id), "STATIC", "", WS_VISIBLE | SS_NOTIFY, CRect(0, 0, 14, 14)));
  }
  t->AddDialogTemplate(kIddMAPalette, palette);
}

}  // namespace res
}  // namespace kiv
