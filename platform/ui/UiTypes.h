// The vocabulary of dialogs, controls, menus and message boxes: styles,
// messages, notifications and answers with their usual values, and the
// layer's dark colour scheme that controls draw with when their parent's
// WM_CTLCOLOR handler leaves the choice to them.
#pragma once

#include "platform/core/WinUser.h"

// A control's colour message reflected back to the control itself, with
// the number the program's controls handle it under.
constexpr UINT WM_REFLECT_CTLCOLOR = 0xBC19;

// Dialog answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDC_STATIC = -1;

// Dialog styles.
constexpr DWORD DS_SETFONT = 0x40u;
constexpr DWORD DS_MODALFRAME = 0x80u;
constexpr DWORD DS_CENTER = 0x0800u;

// WM_GETDLGCODE answers.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;

// Buttons.
constexpr DWORD BS_PUSHBUTTON = 0x0u;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1u;
constexpr DWORD BS_CHECKBOX = 0x2u;
constexpr DWORD BS_AUTOCHECKBOX = 0x3u;
constexpr DWORD BS_OWNERDRAW = 0xBu;
constexpr DWORD BS_TYPEMASK = 0xFu;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_SETSTATE = 0x00F3;
constexpr UINT BM_SETSTYLE = 0x00F4;
constexpr UINT BM_CLICK = 0x00F5;
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int BST_PUSHED = 4;
constexpr int BST_FOCUS = 8;
constexpr UINT BN_CLICKED = 0;

// Owner drawing.
constexpr UINT ODT_MENU = 1;
constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODT_STATIC = 5;
constexpr UINT ODA_DRAWENTIRE = 1;
constexpr UINT ODA_SELECT = 2;
constexpr UINT ODA_FOCUS = 4;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_CHECKED = 0x0008;
constexpr UINT ODS_FOCUS = 0x0010;

// Statics.
constexpr DWORD SS_LEFT = 0x0u;
constexpr DWORD SS_CENTER = 0x1u;
constexpr DWORD SS_RIGHT = 0x2u;
constexpr DWORD SS_ICON = 0x3u;
constexpr DWORD SS_BITMAP = 0xEu;
constexpr DWORD SS_TYPEMASK = 0x1Fu;
constexpr DWORD SS_NOTIFY = 0x100u;
constexpr DWORD SS_CENTERIMAGE = 0x200u;
constexpr UINT STM_SETIMAGE = 0x0172;
constexpr UINT STM_GETIMAGE = 0x0173;
constexpr UINT STN_CLICKED = 0;
constexpr UINT STN_DBLCLK = 1;

// Edits.
constexpr DWORD ES_LEFT = 0x0u;
constexpr DWORD ES_CENTER = 0x1u;
constexpr DWORD ES_RIGHT = 0x2u;
constexpr DWORD ES_MULTILINE = 0x4u;
constexpr DWORD ES_UPPERCASE = 0x8u;
constexpr DWORD ES_PASSWORD = 0x20u;
constexpr DWORD ES_AUTOVSCROLL = 0x40u;
constexpr DWORD ES_AUTOHSCROLL = 0x80u;
constexpr DWORD ES_READONLY = 0x800u;
constexpr DWORD ES_WANTRETURN = 0x1000u;
constexpr DWORD ES_NUMBER = 0x2000u;
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_SETPASSWORDCHAR = 0x00CC;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;
constexpr UINT EN_SETFOCUS = 0x0100;
constexpr UINT EN_KILLFOCUS = 0x0200;
constexpr UINT EN_CHANGE = 0x0300;
constexpr UINT EN_UPDATE = 0x0400;
constexpr UINT EN_MAXTEXT = 0x0501;

// Message boxes.
constexpr UINT MB_OK = 0x0u;
constexpr UINT MB_OKCANCEL = 0x1u;
constexpr UINT MB_YESNOCANCEL = 0x3u;
constexpr UINT MB_YESNO = 0x4u;
constexpr UINT MB_TYPEMASK = 0xFu;
constexpr UINT MB_ICONHAND = 0x10u;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x20u;
constexpr UINT MB_ICONEXCLAMATION = 0x30u;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x40u;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0xF0u;
constexpr UINT MB_DEFBUTTON1 = 0x0u;
constexpr UINT MB_DEFBUTTON2 = 0x100u;
constexpr UINT MB_DEFBUTTON3 = 0x200u;
constexpr UINT MB_DEFMASK = 0xF00u;
constexpr UINT MB_APPLMODAL = 0x0u;
constexpr UINT MB_SYSTEMMODAL = 0x1000u;
constexpr UINT MB_TASKMODAL = 0x2000u;
constexpr UINT MB_SETFOREGROUND = 0x10000u;
constexpr UINT MB_TOPMOST = 0x40000u;

// The scroll state of the layer's scrolling controls (the rich text view and
// multi-line edits), in the control's own units: the position runs over the
// whole range, from its minimum (content at the top) to its maximum (the
// end of the content shown). FALSE / 0 for a window that does not scroll.
BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos);
int GetScrollPos(HWND hwnd, int bar);
// Returns the previous position.
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw = TRUE);

namespace kiv {
namespace ui {

// How GetScrollRange and friends reach a control: wParam the bar, lParam a
// ScrollQuery the control fills in.
constexpr UINT WM_KIV_SCROLLQUERY = WM_KIVLAYER_FIRST + 0x130;
struct ScrollQuery {
  bool set = false;  // set pos (SetScrollPos) before answering
  int pos = 0;
  int minPos = 0;
  int maxPos = 0;
  bool answered = false;
};

// The dark scheme of the program's windows.
constexpr COLORREF kDialogBack = RGB(0x20, 0x20, 0x20);
constexpr COLORREF kText = RGB(0xDC, 0xDC, 0xDC);
constexpr COLORREF kGrayText = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kEditBack = RGB(0x00, 0x00, 0x00);
constexpr COLORREF kFrame = RGB(0x5A, 0x5A, 0x5A);
constexpr COLORREF kFocusFrame = RGB(0x3C, 0x8C, 0xDC);
constexpr COLORREF kButtonFace = RGB(0x38, 0x38, 0x38);
constexpr COLORREF kButtonPressed = RGB(0x18, 0x18, 0x18);
constexpr COLORREF kSelectionBack = RGB(0x26, 0x4F, 0x78);
constexpr COLORREF kSelectionText = RGB(0xFF, 0xFF, 0xFF);

}  // namespace ui
}  // namespace kiv
