// The shell's constants, named once: the messages its controls post to their
// parents, their timers, and the skins and controls of the shell's look.
#pragma once

#include "platform/sys/WinTypes.h"

// Posted by the skinned controls to their parent window.
// wParam the button's control id / lParam 0. A parent that hosts a group of
// buttons re-posts it to each of them, so that the others forget their press.
constexpr UINT WM_KIV_BUTTON_DOWN = 0x0FEC;
// wParam the control id / lParam 0 for a button, the chosen item's index for
// a tab strip.
constexpr UINT WM_KIV_SELECT = 0x0FED;

// The keyboard stock search pop-up (CKivDesk_InputDlg): its template, the
// list of rows and the edit line of the typed text.
constexpr UINT kIddStockInput = 174;
constexpr int kIdcStockInputList = 1005;
constexpr int kIdcStockInputEdit = 1006;

// Timers (ids are per window).
constexpr UINT_PTR kButtonHoverTimer = 10114;  // polls whether the pointer left a hover button
constexpr UINT kButtonHoverMs = 50;
constexpr UINT_PTR kBusyBarTimer = 1;  // moves the busy bar's block one step
constexpr UINT kBusyBarMs = 60;

// Skins of the main window's tab strip: normal, selected and separator
// bitmaps; the normal bitmap's height is the strip's.
constexpr UINT kIdbTabNormal = 165;
constexpr UINT kIdbTabSelected = 163;
constexpr UINT kIdbTabSeparator = 164;

// The product logo of the title bar and of the account dialogs' title
// bands.
constexpr UINT kIdbTitleLogo = 330;

// The program's hand cursor, over clickable skins.
constexpr UINT kIdcHandCursor = 188;
