// The rich tooltip's data model and its constants: one registered tool
// (PPTOOLTIP_INFO, also the copy of the tool being shown), one named image
// of the "img" markup tag (PPTOOLTIP_NAME_RES), the bits of the tool fields
// (styles, set-fields mask, behaviour), the slots of its colour and size
// tables, its timers and its display notification (WM_NOTIFY code 1124).
//
// Plain values: copy freely. CPPToolTip (PPToolTip.h) keeps them; the UI
// thread uses them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/WinUser.h"
#include "platform/ui/TabCtrl.h"

// One tool: a control (or a part of it) whose tooltip shows its text.
struct PPTOOLTIP_INFO {
  HWND window = nullptr;  // the control that owns the tool
  UINT toolId = 0;        // the caller's id, stored only
  CRect rect;             // in the control's client coordinates; empty: the whole control
  HICON icon = nullptr;   // drawn left of the text; none: null
  std::string text;       // markup (GBK)
  UINT mask = 0;          // which of the fields below hold a value of their own (kPPToolTipMask*)
  UINT styles = 0;        // kPPToolTipStyle* bits
  UINT direction = 0;     // 0 to 3: the side of the cursor it opens on
  UINT effect = 0;        // background effect 0 to 15
  UINT behaviour = 0;     // kPPToolTipBehaviour* bits
  BYTE granularity = 0;   // strength of the pattern effects
  COLORREF beginColor = 0;
  COLORREF middleColor = 0;
  COLORREF endColor = 0;
};

// One named image for the "img" tag.
struct PPTOOLTIP_NAME_RES {
  std::string name;      // compared without regard to case
  UINT resourceId = 0;   // 0: none
  BYTE kind = 0;         // kPPToolTipImage*
  COLORREF maskColor = 0;
};
constexpr BYTE kPPToolTipImageIcon = 0;
constexpr BYTE kPPToolTipImageBitmap = 1;
constexpr BYTE kPPToolTipImageMaskedBitmap = 2;

// Set-fields mask: a tool's own value; a clear bit takes the default when
// the tool is shown.
constexpr UINT kPPToolTipMaskStyles = 0x01;
constexpr UINT kPPToolTipMaskEffect = 0x02;  // effect and granularity
constexpr UINT kPPToolTipMaskColors = 0x04;  // the three background colours
constexpr UINT kPPToolTipMaskDirection = 0x08;
constexpr UINT kPPToolTipMaskBehaviour = 0x10;

// Style bits.
constexpr UINT kPPToolTipStyleAnchor = 0x001;         // pointer triangle towards the cursor
constexpr UINT kPPToolTipStyleShadow = 0x002;
constexpr UINT kPPToolTipStyleRounded = 0x004;
constexpr UINT kPPToolTipStyleTextVCenter = 0x008;    // text centred vertically beside the icon
constexpr UINT kPPToolTipStyleTextBottom = 0x010;
constexpr UINT kPPToolTipStyleIconVCenter = 0x020;
constexpr UINT kPPToolTipStyleIconBottom = 0x040;
constexpr UINT kPPToolTipStyleShowInactive = 0x100;   // also without an active window (defaults only)
constexpr UINT kPPToolTipStyleDisabledTools = 0x200;  // tools on disabled controls too (defaults only)
constexpr UINT kPPToolTipDefaultStyles = 0x27;        // anchor, shadow, rounded, icon centred

// Behaviour bits.
constexpr UINT kPPToolTipBehaviourRestartOnMove = 0x01;   // a move inside the shown tool starts over
constexpr UINT kPPToolTipBehaviourStayUnderCursor = 0x04;  // stays while the cursor rests on it
constexpr UINT kPPToolTipBehaviourNoPopUnderCursor = 0x08;  // the auto-pop spares it under the cursor
constexpr UINT kPPToolTipBehaviourNoAutoPop = 0x10;

// Directions: the side of the cursor point the window opens on.
constexpr UINT kPPToolTipAboveLeft = 0;
constexpr UINT kPPToolTipAboveRight = 1;
constexpr UINT kPPToolTipBelowLeft = 2;
constexpr UINT kPPToolTipBelowRight = 3;

// Colour table slots (26); 0 to 15 are the "cti" and "cbi" colours.
constexpr int kPPToolTipColorCount = 26;
constexpr int kPPToolTipColorText = 17;   // "ct" default
constexpr int kPPToolTipColorBegin = 18;  // background begin, and "cb" default
constexpr int kPPToolTipColorMiddle = 19;
constexpr int kPPToolTipColorEnd = 20;
constexpr int kPPToolTipColorShadow = 24;
constexpr int kPPToolTipColorBorder = 25;

// Size table slots (11), in pixels.
constexpr int kPPToolTipSizeCount = 11;
constexpr int kPPToolTipSizeCornerX = 0;   // corner ellipse width
constexpr int kPPToolTipSizeCornerY = 1;
constexpr int kPPToolTipSizeMarginX = 2;   // also the gap between icon and text
constexpr int kPPToolTipSizeMarginY = 3;
constexpr int kPPToolTipSizeShadowX = 4;
constexpr int kPPToolTipSizeShadowY = 5;
constexpr int kPPToolTipSizeAnchorWidth = 6;
constexpr int kPPToolTipSizeAnchorHeight = 7;
constexpr int kPPToolTipSizeAnchorMargin = 8;  // from the window's side to the anchor
constexpr int kPPToolTipSizeBorderX = 9;
constexpr int kPPToolTipSizeBorderY = 10;

// SetDelayTime kinds.
constexpr DWORD kPPToolTipDelayAutoPop = 2;
constexpr DWORD kPPToolTipDelayInitial = 3;

// Timers of the tooltip window.
constexpr UINT_PTR kPPToolTipShowTimer = 256;
constexpr UINT_PTR kPPToolTipAutoPopTimer = 257;

// The display notification: WM_NOTIFY to the notification window before a
// tool is shown, lParam a PPToolTipDisplay. The receiver may change *tool;
// the tooltip then shows it, with the hot rectangle it had before.
constexpr UINT kPPToolTipNotifyDisplay = 1124;
struct PPToolTipDisplay {
  NMHDR hdr;                       // the tooltip's window and id, code kPPToolTipNotifyDisplay
  POINT* point = nullptr;          // the cursor, screen coordinates
  PPTOOLTIP_INFO* tool = nullptr;  // a copy, its rectangle in the parent's client coordinates
};
