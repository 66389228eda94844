// One control of a dialog template, said in one line (internal to res/):
// id, window class, text (GBK), style and rectangle in dialog units.
#pragma once

#include "platform/ui/DialogTemplate.h"

namespace kiv {
namespace res {

inline ui::DialogItem TemplateItem(int id, const char* className, const char* text, DWORD style, CRect rect) {
  ui::DialogItem item;
  item.id = id;
  item.className = className;
  item.text = text;
  item.style = style;
  item.rect = rect;
  return item;
}

}  // namespace res
}  // namespace kiv
