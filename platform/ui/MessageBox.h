// Message boxes: a modal dialog of the layer with the text, an icon and the
// buttons MB_OK, MB_OKCANCEL, MB_YESNO or MB_YESNOCANCEL, answering IDOK,
// IDCANCEL, IDYES or IDNO. Enter picks the default button (MB_DEFBUTTONn),
// Esc and closing answer IDCANCEL where there is a Cancel button and IDOK
// in an OK-only box; a Yes/No box ignores them.
//
// Any thread may ask: a box asked for from a worker is shown by the UI
// thread on its behalf while the worker waits for the answer. The worker
// must hold no lock the UI thread could need while it waits.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/UiTypes.h"

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
inline int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return MessageBoxA(owner, text, caption, type);
}
// The program's own box: caption from kiv::ui::SetMessageBoxTitle, owner the
// active window.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(const std::string& text, UINT type = MB_OK, UINT helpId = 0);

namespace kiv {
namespace ui {

// The caption of AfxMessageBox (the program's title).
void SetMessageBoxTitle(const std::string& gbkTitle);

// What a box shows; given to the test answerer.
struct MessageBoxRequest {
  HWND box = nullptr;
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT type = 0;
};

// Tests answer boxes with this: it is called on the UI thread once a box is
// up. A non-zero return ends the box with that answer; 0 leaves it to input.
// Null removes the answerer.
using MessageBoxAnswerer = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxAnswererForTesting(MessageBoxAnswerer answerer);

}  // namespace ui
}  // namespace kiv
