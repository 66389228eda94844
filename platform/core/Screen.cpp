// Cursors, icons and screen metrics.
#include <atomic>
#include <cstring>

#include "platform/core/Display.h"
#include "platform/core/WindowSystem.h"
#include "platform/gdi/IconRecord.h"

namespace {

// A resource named by number: its id, or 0 for a name given as text.
UINT NumberedResource(LPCSTR name) {
  auto value = reinterpret_cast<uintptr_t>(name);
  return value <= 0xFFFF ? static_cast<UINT>(value) : 0;
}

}  // namespace

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  UINT id = NumberedResource(name);
  if (id == 0) return nullptr;  // cursors are looked up by number only
  if (instance == nullptr && id >= 32512 && id <= 32650) return kiv::gdi::StandardCursorHandle(id);
  return kiv::gdi::ResourceCursorHandle(id);
}

HICON LoadIconA(HINSTANCE, LPCSTR name) {
  UINT id = NumberedResource(name);
  if (id == 0) return nullptr;
  return kiv::gdi::ResourceIconHandle(id);
}

BOOL DestroyIcon(HICON icon) {
  const kiv::gdi::IconRecord* record = kiv::gdi::IconRecordOf(icon);
  return record != nullptr && record->icon;
}

HCURSOR SetCursor(HCURSOR cursor) {
  auto& ui = kiv::win::Ui();
  HCURSOR old = ui.cursor;
  if (cursor != old) {
    ui.cursor = cursor;
    kiv::CurrentDisplay().SetCursorShape(ui.cursorShowCount >= 0 ? cursor : nullptr);
  }
  return old;
}

HCURSOR GetCursor() { return kiv::win::Ui().cursor; }

int ShowCursor(BOOL show) {
  auto& ui = kiv::win::Ui();
  ui.cursorShowCount += show ? 1 : -1;
  kiv::CurrentDisplay().SetCursorShape(ui.cursorShowCount >= 0 ? ui.cursor : nullptr);
  return ui.cursorShowCount;
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  // Where the pointer really is, also after it has left every window of
  // ours (windows poll this to learn that it has gone); a display that cannot
  // tell leaves the last position its input reported.
  POINT real;
  *point = kiv::CurrentDisplay().PointerPosition(&real) ? real : kiv::win::Ui().cursorPos;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  POINT p;
  p.x = x;
  p.y = y;
  kiv::win::Ui().cursorPos = p;
  kiv::CurrentDisplay().WarpPointer(p);
  // The windows under the pointer learn of it as of any move.
  kiv::win::InputEvent e;
  e.kind = kiv::win::InputEvent::kMouseMove;
  e.screen = p;
  kiv::win::PushInput(e);
  return TRUE;
}

COLORREF GetSysColor(int index) {
  // The classic scheme's values, so that a control that starts from them
  // looks as its designers saw it.
  static const COLORREF kScheme[] = {
      0xC8C8C8,  // COLOR_SCROLLBAR
      0x000000,  // COLOR_BACKGROUND
      0x800000,  // COLOR_ACTIVECAPTION
      0x808080,  // COLOR_INACTIVECAPTION
      0xC0C0C0,  // COLOR_MENU
      0xFFFFFF,  // COLOR_WINDOW
      0x000000,  // COLOR_WINDOWFRAME
      0x000000,  // COLOR_MENUTEXT
      0x000000,  // COLOR_WINDOWTEXT
      0xFFFFFF,  // COLOR_CAPTIONTEXT
      0xC0C0C0,  // COLOR_ACTIVEBORDER
      0xC0C0C0,  // COLOR_INACTIVEBORDER
      0x808080,  // COLOR_APPWORKSPACE
      0x800000,  // COLOR_HIGHLIGHT
      0xFFFFFF,  // COLOR_HIGHLIGHTTEXT
      0xC0C0C0,  // COLOR_BTNFACE
      0x808080,  // COLOR_BTNSHADOW
      0x808080,  // COLOR_GRAYTEXT
      0x000000,  // COLOR_BTNTEXT
      0xC0C0C0,  // COLOR_INACTIVECAPTIONTEXT
      0xFFFFFF,  // COLOR_BTNHIGHLIGHT
      0x000000,  // COLOR_3DDKSHADOW
      0xC0C0C0,  // COLOR_3DLIGHT
      0x000000,  // COLOR_INFOTEXT
      0xE1FFFF,  // COLOR_INFOBK
  };
  if (index < 0 || index >= static_cast<int>(sizeof(kScheme) / sizeof(kScheme[0]))) return 0;
  return kScheme[index];
}

int GetSystemMetrics(int index) {
  kiv::Display& display = kiv::CurrentDisplay();
  CSize screen = display.ScreenSize();
  CRect work = display.WorkArea();
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN: return screen.cx;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN: return screen.cy;
    case SM_CXFULLSCREEN: return work.Width();
    case SM_CYFULLSCREEN: return work.Height() - 23;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_MOUSEPRESENT:
    case SM_CMONITORS: return 1;
    default: return 0;
  }
}

namespace {

// The system's 9-point 宋体 (GBK face name), the font of its menus, captions,
// status bars and tooltips.
LOGFONT SystemUiFont(LONG weight) {
  LOGFONT font;
  font.lfHeight = -12;
  font.lfWeight = weight;
  font.lfCharSet = GB2312_CHARSET;
  const char face[] = "宋体";
  static_assert(sizeof(face) <= LF_FACESIZE, "the face name fits");
  std::memcpy(font.lfFaceName, face, sizeof(face));
  return font;
}

}  // namespace

BOOL SystemParametersInfoA(UINT action, UINT, void* pvParam, UINT) {
  if (!pvParam) return FALSE;
  switch (action) {
    case SPI_GETWORKAREA:
      *static_cast<RECT*>(pvParam) = kiv::CurrentDisplay().WorkArea();
      return TRUE;
    case SPI_GETNONCLIENTMETRICS: {
      auto* metrics = static_cast<NONCLIENTMETRICS*>(pvParam);
      if (metrics->cbSize != sizeof(NONCLIENTMETRICS)) return FALSE;
      *metrics = NONCLIENTMETRICS();
      metrics->cbSize = sizeof(NONCLIENTMETRICS);
      metrics->iBorderWidth = 1;
      metrics->iScrollWidth = ::GetSystemMetrics(SM_CXVSCROLL);
      metrics->iScrollHeight = ::GetSystemMetrics(SM_CYHSCROLL);
      metrics->iCaptionWidth = 18;
      metrics->iCaptionHeight = 18;
      metrics->lfCaptionFont = SystemUiFont(FW_BOLD);
      metrics->iSmCaptionWidth = 12;
      metrics->iSmCaptionHeight = 15;
      metrics->lfSmCaptionFont = SystemUiFont(FW_BOLD);
      metrics->iMenuWidth = 18;
      metrics->iMenuHeight = 18;
      metrics->lfMenuFont = SystemUiFont(FW_NORMAL);
      metrics->lfStatusFont = SystemUiFont(FW_NORMAL);
      metrics->lfMessageFont = SystemUiFont(FW_NORMAL);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

namespace {
std::atomic<unsigned> g_messageBeeps{0};
}  // namespace

BOOL MessageBeep(UINT) {
  g_messageBeeps.fetch_add(1, std::memory_order_relaxed);
  return TRUE;
}

unsigned kiv::MessageBeepCount() { return g_messageBeeps.load(std::memory_order_relaxed); }
