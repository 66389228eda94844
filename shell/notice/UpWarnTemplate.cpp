#include "shell/notice/UpWarnTemplate.h"

#include "platform/ui/Static.h"
#include "shell/notice/NoticeIds.h"

namespace kiv {

ui::DialogTemplate UpWarnDialogTemplate() {
  ui::DialogTemplate notice;
  notice.style = WS_POPUP | WS_CLIPCHILDREN;
  // Dialog units of 9-point 宋体 (6 x 12 pixels to 4 x 8 units): about the
  // background's 420 x 230; the window takes the skin's size anyway.
  notice.rect = CRect(0, 0, 280, 153);
  ui::DialogItem text;
  text.id = kIdcUpWarnText;
  text.className = "STATIC";
  text.style = WS_VISIBLE | SS_LEFT;
  // Pixels 17..404 across and 30..108 down at that font: inside the skin's
  // body (16..404 x 30..144), five lines of 12 to 14 pixels, and still
  // inside it where the font is a little taller.
  text.rect = CRect(11, 20, 269, 72);
  notice.items.push_back(text);
  return notice;
}

}  // namespace kiv
