#include "res/UpdaterTemplates.h"

#include "platform/ui/DialogTemplate.h"
#include "platform/ui/UiTypes.h"
#include "res/SkinTable.h"
#include "res/TemplateItem.h"
#include "updater/UpdaterIds.h"

namespace kiv {
namespace res {

void AddUpdaterTemplates(SkinTable* t) {
  // The progress window: a popup without caption, in the task bar, that
  // draws its own title strip, close box and bars; only the status line is
  // a control. The two progress controls are part of the template but stay
  // hidden: the bars are drawn from the skins. Dialog units of MS Shell Dlg 8.
  ui::DialogTemplate progress;
  progress.style = WS_POPUP | WS_SYSMENU | WS_CLIPCHILDREN | DS_CENTER;
  progress.exStyle = WS_EX_APPWINDOW;
  progress.rect = CRect(0, 0, 312, 158);
  progress.caption = kUpdateWindowText;
  progress.fontFace = "MS Shell Dlg";
  progress.pointSize = 8;
  progress.items.push_back(
      TemplateItem(kIdcUpdateStatus, "STATIC", "", WS_VISIBLE | SS_LEFT, CRect(37, 49, 37 + 248, 49 + 9)));
  progress.items.push_back(
      TemplateItem(kIdcUpdateFileBar, "msctls_progress32", "", 0, CRect(33, 61, 33 + 230, 61 + 14)));
  progress.items.push_back(
      TemplateItem(kIdcUpdateTotalBar, "msctls_progress32", "", 0, CRect(33, 98, 33 + 230, 98 + 14)));
  t->AddDialogTemplate(kIddKivUpdate, progress);

  // About, from the system menu.
  ui::DialogTemplate about;
  about.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
  about.rect = CRect(0, 0, 170, 62);
  about.caption = "关于 KivUpdate";
  about.items.push_back(
      TemplateItem(-1, "STATIC", "KivUpdate 自动升级程序", WS_VISIBLE | SS_LEFT, CRect(14, 14, 14 + 142, 14 + 10)));
  about.items.push_back(TemplateItem(IDOK, "BUTTON", "确定", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                     CRect(113, 41, 113 + 50, 41 + 14)));
  t->AddDialogTemplate(kIddUpdateAbout, about);
}

}  // namespace res
}  // namespace kiv
