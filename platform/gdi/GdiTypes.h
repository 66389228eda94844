// The drawing vocabulary of the Windows API that the program's painting code
// is written in: handle types, pen, brush, text, region, raster-operation and
// bitmap constants with their usual values, and the plain structures
// (LOGFONT, TEXTMETRIC, BITMAP, BITMAPINFO) that the GDI classes take.
// Only names and layouts; the behaviour lives in DC.h and the object headers.
#pragma once

#include <cstdint>

#include "platform/gdi/Geometry.h"
#include "platform/sys/WinTypes.h"

class CDC;

namespace kiv {
namespace gdi {
struct ObjectData;
struct PenData;
struct BrushData;
struct FontData;
struct BitmapData;
struct RgnData;
}  // namespace gdi
}  // namespace kiv

// Handles are non-owning pointers to the layer's object data: valid while a
// CGdiObject (or a DC that has it selected) keeps the object alive. As in
// Win32, every typed handle converts to HGDIOBJ, and back with a cast.
typedef void* HGDIOBJ;
typedef kiv::gdi::PenData* HPEN;
typedef kiv::gdi::BrushData* HBRUSH;
typedef kiv::gdi::FontData* HFONT;
typedef kiv::gdi::BitmapData* HBITMAP;
typedef kiv::gdi::RgnData* HRGN;
struct HDC__;
typedef HDC__* HDC;  // a CDC*, see CDC::FromHandle
// Icons and cursors are one kind of handle (IconRecord.h): either may be
// passed where the other is taken.
struct HCURSOR__;
typedef HCURSOR__* HCURSOR;
typedef HCURSOR HICON;

// Pen styles.
constexpr auto PS_SOLID = 0;
constexpr auto PS_DASH = 1;
constexpr auto PS_DOT = 2;
constexpr auto PS_DASHDOT = 3;
constexpr auto PS_DASHDOTDOT = 4;
constexpr auto PS_NULL = 5;
constexpr auto PS_INSIDEFRAME = 6;

// Brush styles (LOGBRUSH), hatch styles.
constexpr auto BS_SOLID = 0;
constexpr auto BS_NULL = 1;
constexpr auto BS_HOLLOW = BS_NULL;
constexpr auto BS_PATTERN = 3;

// Background modes.
constexpr auto TRANSPARENT = 1;
constexpr auto OPAQUE = 2;

// Mix modes for pens and brush fills.
constexpr auto R2_BLACK = 1;
constexpr auto R2_NOTMERGEPEN = 2;
constexpr auto R2_MASKNOTPEN = 3;
constexpr auto R2_NOTCOPYPEN = 4;
constexpr auto R2_MASKPENNOT = 5;
constexpr auto R2_NOT = 6;
constexpr auto R2_XORPEN = 7;
constexpr auto R2_NOTMASKPEN = 8;
constexpr auto R2_MASKPEN = 9;
constexpr auto R2_NOTXORPEN = 10;
constexpr auto R2_NOP = 11;
constexpr auto R2_MERGENOTPEN = 12;
constexpr auto R2_COPYPEN = 13;
constexpr auto R2_MERGEPENNOT = 14;
constexpr auto R2_MERGEPEN = 15;
constexpr auto R2_WHITE = 16;

// Raster operations of BitBlt / StretchBlt / PatBlt.
constexpr auto SRCCOPY = 0x00CC0020u;
constexpr auto SRCPAINT = 0x00EE0086u;
constexpr auto SRCAND = 0x008800C6u;
constexpr auto SRCINVERT = 0x00660046u;
constexpr auto PATCOPY = 0x00F00021u;
constexpr auto DSTINVERT = 0x00550009u;
constexpr auto BLACKNESS = 0x00000042u;
constexpr auto WHITENESS = 0x00FF0062u;

// Stretch modes: HALFTONE filters smoothly, the others pick nearest pixels.
constexpr auto BLACKONWHITE = 1;
constexpr auto WHITEONBLACK = 2;
constexpr auto COLORONCOLOR = 3;
constexpr auto HALFTONE = 4;
constexpr auto STRETCH_ANDSCANS = BLACKONWHITE;
constexpr auto STRETCH_ORSCANS = WHITEONBLACK;
constexpr auto STRETCH_DELETESCANS = COLORONCOLOR;
constexpr auto STRETCH_HALFTONE = HALFTONE;

// Region combination and results.
constexpr auto RGN_AND = 1;
constexpr auto RGN_OR = 2;
constexpr auto RGN_XOR = 3;
constexpr auto RGN_DIFF = 4;
constexpr auto RGN_COPY = 5;
constexpr auto ERROR = 0;
constexpr auto NULLREGION = 1;
constexpr auto SIMPLEREGION = 2;
constexpr auto COMPLEXREGION = 3;

// Polygon fill modes.
constexpr auto ALTERNATE = 1;
constexpr auto WINDING = 2;

// DrawText formats.
constexpr UINT DT_TOP = 0x00000000u;
constexpr UINT DT_LEFT = 0x00000000u;
constexpr UINT DT_CENTER = 0x00000001u;
constexpr UINT DT_RIGHT = 0x00000002u;
constexpr UINT DT_VCENTER = 0x00000004u;
constexpr UINT DT_BOTTOM = 0x00000008u;
constexpr UINT DT_WORDBREAK = 0x00000010u;
constexpr UINT DT_SINGLELINE = 0x00000020u;
constexpr UINT DT_EXPANDTABS = 0x00000040u;
constexpr UINT DT_NOCLIP = 0x00000100u;
constexpr UINT DT_CALCRECT = 0x00000400u;
constexpr UINT DT_NOPREFIX = 0x00000800u;
constexpr UINT DT_END_ELLIPSIS = 0x00008000u;
constexpr UINT DT_WORD_ELLIPSIS = 0x00040000u;

// Text alignment (SetTextAlign).
constexpr auto TA_LEFT = 0;
constexpr auto TA_TOP = 0;
constexpr auto TA_RIGHT = 2;
constexpr auto TA_CENTER = 6;
constexpr auto TA_BOTTOM = 8;
constexpr auto TA_BASELINE = 24;

// Font weights and character sets.
constexpr auto FW_DONTCARE = 0;
constexpr auto FW_THIN = 100;
constexpr auto FW_LIGHT = 300;
constexpr auto FW_NORMAL = 400;
constexpr auto FW_MEDIUM = 500;
constexpr auto FW_SEMIBOLD = 600;
constexpr auto FW_BOLD = 700;
constexpr auto FW_HEAVY = 900;
constexpr auto ANSI_CHARSET = 0;
constexpr auto DEFAULT_CHARSET = 1;
constexpr auto GB2312_CHARSET = 134;
constexpr auto OUT_DEFAULT_PRECIS = 0;
constexpr auto CLIP_DEFAULT_PRECIS = 0;
constexpr auto DEFAULT_QUALITY = 0;
constexpr auto DEFAULT_PITCH = 0;
constexpr auto FF_DONTCARE = 0;
constexpr auto FF_MODERN = 0x30;
constexpr auto LF_FACESIZE = 32;

// Stock objects (GetStockObject, CDC::SelectStockObject).
constexpr auto WHITE_BRUSH = 0;
constexpr auto LTGRAY_BRUSH = 1;
constexpr auto GRAY_BRUSH = 2;
constexpr auto DKGRAY_BRUSH = 3;
constexpr auto BLACK_BRUSH = 4;
constexpr auto NULL_BRUSH = 5;
constexpr auto HOLLOW_BRUSH = NULL_BRUSH;
constexpr auto WHITE_PEN = 6;
constexpr auto BLACK_PEN = 7;
constexpr auto NULL_PEN = 8;
constexpr auto SYSTEM_FONT = 13;
constexpr auto DEFAULT_GUI_FONT = 17;

// GetDeviceCaps indexes.
constexpr auto HORZRES = 8;
constexpr auto VERTRES = 10;
constexpr auto BITSPIXEL = 12;
constexpr auto PLANES = 14;
constexpr auto LOGPIXELSX = 88;
constexpr auto LOGPIXELSY = 90;

// DIB sections.
constexpr auto BI_RGB = 0u;
constexpr auto DIB_RGB_COLORS = 0u;

constexpr auto CLR_INVALID = 0xFFFFFFFFu;

// A logical font as the program fills it. lfFaceName holds GBK text.
// lfHeight > 0 is the cell height (ascent + descent), < 0 the character
// height (em size), 0 the default size, all in pixels.
struct LOGFONT {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 0;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  char lfFaceName[LF_FACESIZE] = {};
};
// The program clears and copies LOGFONTs as 60-byte blocks.
static_assert(sizeof(LOGFONT) == 60, "LOGFONT keeps its Windows size");
typedef LOGFONT LOGFONTA;

// Font metrics in pixels. tmHeight = tmAscent + tmDescent is also the height
// that GetTextExtent reports for one line.
struct TEXTMETRIC {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 96;
  LONG tmDigitizedAspectY = 96;
  BYTE tmFirstChar = 0x20;
  BYTE tmLastChar = 0xFF;
  BYTE tmDefaultChar = '?';
  BYTE tmBreakChar = ' ';
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;
  BYTE tmCharSet = 0;
};

// What CBitmap::GetBitmap reports. Colour bitmaps are 32 bits per pixel.
struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 1;
  WORD bmBitsPixel = 32;
  void* bmBits = nullptr;
};

struct LOGBRUSH {
  UINT lbStyle = BS_SOLID;
  COLORREF lbColor = 0;
  uintptr_t lbHatch = 0;
};

struct LOGPEN {
  UINT lopnStyle = PS_SOLID;
  POINT lopnWidth;
  COLORREF lopnColor = 0;
};

// The packed DIB header: 40 bytes, little-endian, as stored in memory.
struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;  // > 0 bottom row first, < 0 top row first
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = BI_RGB;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");

struct RGBQUAD {
  BYTE rgbBlue = 0;
  BYTE rgbGreen = 0;
  BYTE rgbRed = 0;
  BYTE rgbReserved = 0;
};

// Header followed by the colour table (as many RGBQUADs as the depth needs).
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
