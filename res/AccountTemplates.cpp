#include "res/AccountTemplates.h"

#include "platform/ui/UiTypes.h"
#include "res/TemplateItem.h"
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
  // The login dialog: its three edits only (the dialog places them, and
  // makes and paints everything else); the window takes its skin's size.
  ui::DialogTemplate login = Popup(180, 200);
  login.items.push_back(
      TemplateItem(kIdcLoginUserName, "EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, CRect(60, 90, 140, 102)));
  login.items.push_back(
      TemplateItem(kIdcLoginPassword, "EDIT", "", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, CRect(60, 110, 140, 122)));
  login.items.push_back(TemplateItem(kIdcLoginPasswordHint, "EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                     CRect(60, 110, 140, 122)));
  t->AddDialogTemplate(kIddLogin, login);

  // The risk disclosure, 630 x 450 pixels: the 30-pixel title band, the text
  // view (12..606 x 39..348, its scroll bar right of it), and below it the
  // hint and the consent box in one place, above the button row (the bottom
  // 50 pixels).
  ui::DialogTemplate risk = Popup(420, 300);
  risk.items.push_back(TemplateItem(kIdcRiskText, "RichEdit20A", "", WS_VISIBLE | WS_TABSTOP, CRect(8, 26, 404, 232)));
  risk.items.push_back(TemplateItem(kIdcRiskHint, "STATIC", "", WS_VISIBLE | SS_LEFT, CRect(8, 236, 412, 246)));
  risk.items.push_back(TemplateItem(kIdcRiskConsent, "BUTTON", "  我已完整阅读了风险揭示和免责条款并同意",
                                    WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, CRect(8, 236, 412, 246)));
  t->AddDialogTemplate(kIddRiskDisclosure, risk);

  // The password change, 420 x 225 pixels: the title band, three labelled
  // password boxes, the status line under them with the painted note below
  // it, and the button row 20 pixels above the bottom.
  ui::DialogTemplate password = Popup(280, 150);
  const DWORD box = WS_VISIBLE | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL;
  const struct {
    int label;
    const char* text;
    int edit;
  } rows[] = {{kIdcOldPasswordLabel, "您的原密码:", kIdcOldPassword},
              {kIdcNewPasswordLabel, "输入新密码:", kIdcNewPassword},
              {kIdcRepeatPasswordLabel, "确认新密码:", kIdcRepeatPassword}};
  for (int i = 0; i < 3; ++i) {
    const int top = 30 + 20 * i;
    password.items.push_back(
        TemplateItem(rows[i].label, "STATIC", rows[i].text, WS_VISIBLE | SS_LEFT, CRect(20, top + 2, 80, top + 12)));
    password.items.push_back(TemplateItem(rows[i].edit, "EDIT", "", box, CRect(84, top, 250, top + 13)));
  }
  password.items.push_back(
      TemplateItem(kIdcPasswordStatus, "STATIC", "", WS_VISIBLE | SS_LEFT, CRect(84, 91, 260, 100)));
  t->AddDialogTemplate(kIddModifyPassword, password);

  // The phone reminder paints everything: no controls. 480 x 260 pixels.
  t->AddDialogTemplate(kIddPhoneBind, Popup(320, 173));
}

}  // namespace res
}  // namespace kiv
