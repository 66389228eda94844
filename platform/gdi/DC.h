// CDC: a device context that draws on a Surface with GDI's pixel rules.
//
// Three kinds of DC, one class:
//   - memory DC (CreateCompatibleDC): draws on the bitmap selected into it;
//     a fresh one holds a 1 x 1 black stock bitmap.
//   - window DC, made by the window system with AttachSurface(surface,
//     origin, clip): draws on the top-level window's backing store with the
//     DC's device (0, 0) at `origin` in the surface (the child's client
//     offset) and never outside `clip` (a Region in the DC's device
//     coordinates, for example the invalid part of the visible client area;
//     null means the whole surface). CPaintDC / CClientDC of the window
//     system are thin classes over this.
//   - no target: a DC that was never created draws nothing but still
//     measures text.
//
// Pixel rules, as the program's layouts assume them: no anti-aliasing for
// lines and shapes; a 1-pixel pen covers exactly one pixel row or column;
// LineTo does not draw its end point; Rectangle, FillRect and the other box
// calls cover left..right-1 and top..bottom-1; Ellipse, Chord, Arc and Pie
// normalise inverted boxes and draw nothing for an empty one. Cosmetic styled
// pens (PS_DOT: 3 on, 3 off; PS_DASH: 18 on, 6 off) draw their gaps in the
// background colour when the background mode is OPAQUE and leave them alone
// when it is TRANSPARENT. The ROP2 mix (R2_COPYPEN, R2_MASKPEN, R2_XORPEN,
// R2_NOT, ...) applies to pens and brush fills of shapes, including FillRgn
// and PaintRgn; FillRect, FrameRect, FillSolidRect and text always copy.
// Shape frames of wide pens lie inside the box (as PS_INSIDEFRAME draws
// them); wide lines have round ends and joins.
//
// Coordinates: logical = device - viewport origin. Clip regions given to
// SelectClipRgn are in device coordinates; IntersectClipRect and
// ExcludeClipRect take logical ones, as in GDI.
//
// Text: narrow strings are GBK; text is drawn with pango and measured by the
// same layout, so GetTextExtent is exactly the drawn advance. A line is
// tmHeight high; TextOut puts the top of the line at y (TA_TOP), or its
// baseline or bottom there with TA_BASELINE / TA_BOTTOM.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Rgn.h"

namespace kiv {
namespace gdi {
class Surface;
}  // namespace gdi
}  // namespace kiv

constexpr UINT ETO_OPAQUE = 0x0002;
// DrawState: what is drawn (an icon) and how (as it is).
constexpr UINT DST_ICON = 0x0003;
constexpr UINT DSS_NORMAL = 0x0000;
constexpr UINT ETO_CLIPPED = 0x0004;

class CDC {
 public:
  CDC();
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC GetSafeHdc() const { return reinterpret_cast<HDC>(const_cast<CDC*>(this)); }
  operator HDC() const { return GetSafeHdc(); }  // NOLINT
  static CDC* FromHandle(HDC dc) { return reinterpret_cast<CDC*>(dc); }

  // A memory DC; `dc` (may be null) only names what it is compatible with.
  BOOL CreateCompatibleDC(CDC* dc);
  // Detaches from any target and resets every attribute and selection.
  BOOL DeleteDC();

  // --- For the window system -------------------------------------------
  // Draw on `surface` (not owned; must outlive the DC or DetachSurface) with
  // device (0, 0) at `origin`, clipped to `clip` (device coordinates, copied;
  // null: the whole surface). Attributes and selections are reset.
  void AttachSurface(kiv::gdi::Surface* surface, POINT origin, const kiv::gdi::Region* clip);
  void DetachSurface();
  // What the DC draws on now (the selected bitmap's surface for a memory DC).
  kiv::gdi::Surface* GetTargetSurface() const;
  // Device origin in the target surface.
  CPoint GetSurfaceOrigin() const;
  // Blends an image with its alpha (icons, cursors) over the rectangle at
  // logical (x, y), cx by cy (its own size when 0), smoothly scaled.
  BOOL DrawSurface(int x, int y, const kiv::gdi::Surface& image, int cx = 0, int cy = 0);
  // Draws an icon (or a cursor's picture) with its alpha at logical (x, y),
  // SM_CXICON x SM_CYICON (32 x 32). FALSE for a handle that is no icon or
  // cursor of the layer, or a standard cursor (which has no picture).
  BOOL DrawIcon(int x, int y, HICON icon);
  BOOL DrawIcon(POINT p, HICON icon) { return DrawIcon(p.x, p.y, icon); }
  // DrawState of an icon (DST_ICON | DSS_NORMAL): the icon's picture with
  // its alpha at logical p, `size` (0 in a direction: the picture's own
  // size, which is the size LoadImage made it at). FALSE for another kind or
  // state, or a handle that is no icon or cursor with a picture. The brush
  // is for the states that are not drawn as they are, and is not used.
  BOOL DrawState(CPoint p, CSize size, HICON icon, UINT flags, HBRUSH brush = nullptr);

  // LOGPIXELSX/Y 96, BITSPIXEL 32, PLANES 1, HORZRES/VERTRES the target's
  // size (0 without a target).
  int GetDeviceCaps(int index) const;

  // --- Objects ---------------------------------------------------------
  // Each returns the object selected before (a stock object at first), to be
  // selected back. Null selects nothing and returns null.
  CPen* SelectObject(CPen* pen);
  CBrush* SelectObject(CBrush* brush);
  CFont* SelectObject(CFont* font);
  CBitmap* SelectObject(CBitmap* bitmap);
  // Same as SelectClipRgn.
  int SelectObject(CRgn* rgn);
  // Any pen, brush, font or bitmap (what SelectStockObject returned, for
  // example); regions go to SelectClipRgn and return null.
  CGdiObject* SelectObject(CGdiObject* object);
  CGdiObject* SelectStockObject(int index);
  CPen* GetCurrentPen();
  CBrush* GetCurrentBrush();
  CFont* GetCurrentFont();
  CBitmap* GetCurrentBitmap();

  // --- Attributes ------------------------------------------------------
  COLORREF SetTextColor(COLORREF color);
  COLORREF GetTextColor() const;
  COLORREF SetBkColor(COLORREF color);
  COLORREF GetBkColor() const;
  int SetBkMode(int mode);
  int GetBkMode() const;
  int SetROP2(int mode);
  int GetROP2() const;
  int SetStretchBltMode(int mode);
  int GetStretchBltMode() const;
  int SetPolyFillMode(int mode);
  int GetPolyFillMode() const;
  UINT SetTextAlign(UINT align);
  UINT GetTextAlign() const;
  CPoint SetViewportOrg(int x, int y);
  CPoint SetViewportOrg(POINT p) { return SetViewportOrg(p.x, p.y); }
  CPoint OffsetViewportOrg(int dx, int dy);
  CPoint GetViewportOrg() const;
  // Saves attributes, selections, clip and position; returns the level (>= 1).
  int SaveDC();
  // A level from SaveDC, or -1 for the last save. FALSE for an unknown level.
  BOOL RestoreDC(int savedDC);

  // --- Clipping --------------------------------------------------------
  // Region results: NULLREGION, SIMPLEREGION, COMPLEXREGION, ERROR.
  int SelectClipRgn(CRgn* rgn);                 // null: no clip region
  int SelectClipRgn(CRgn* rgn, int mode);       // ExtSelectClipRgn
  int IntersectClipRect(int left, int top, int right, int bottom);
  int IntersectClipRect(const RECT* rect);
  int ExcludeClipRect(int left, int top, int right, int bottom);
  int ExcludeClipRect(const RECT* rect);
  // Bounding box of what can be drawn on, in logical coordinates.
  int GetClipBox(RECT* rect) const;
  BOOL PtVisible(int x, int y) const;
  BOOL RectVisible(const RECT* rect) const;

  // --- Lines -----------------------------------------------------------
  CPoint MoveTo(int x, int y);
  CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
  BOOL LineTo(int x, int y);
  BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
  CPoint GetCurrentPosition() const;
  BOOL Polyline(const POINT* points, int count);
  BOOL PolyPolyline(const POINT* points, const DWORD* counts, int polylines);
  BOOL Arc(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
  BOOL Arc(const RECT* rect, POINT start, POINT end);

  // --- Shapes (outline with the pen, inside with the brush) -------------
  BOOL Rectangle(int left, int top, int right, int bottom);
  BOOL Rectangle(const RECT* rect);
  BOOL Ellipse(int left, int top, int right, int bottom);
  BOOL Ellipse(const RECT* rect);
  BOOL RoundRect(int left, int top, int right, int bottom, int ellipseW, int ellipseH);
  BOOL Chord(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
  BOOL Chord(const RECT* rect, POINT start, POINT end);
  BOOL Pie(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
  BOOL Polygon(const POINT* points, int count);
  void FillRect(const RECT* rect, CBrush* brush);
  // Fills with the colour and, like the familiar implementation, leaves it
  // set as the background colour.
  void FillSolidRect(const RECT* rect, COLORREF color);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
  // A 1-pixel frame just inside rect, with the brush.
  void FrameRect(const RECT* rect, CBrush* brush);
  // Top and left in topLeft, bottom and right in bottomRight, 1 pixel wide.
  void Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight);
  void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
  void InvertRect(const RECT* rect);
  // The dotted focus frame: every other pixel of the 1-pixel frame inverted,
  // so a second call takes it away again.
  void DrawFocusRect(const RECT* rect);
  BOOL FillRgn(CRgn* rgn, CBrush* brush);
  // Frame of width x height pixels along the inside of the region's edges.
  BOOL FrameRgn(CRgn* rgn, CBrush* brush, int width, int height);
  BOOL PaintRgn(CRgn* rgn);
  BOOL InvertRgn(CRgn* rgn);
  // Returns the colour set, or CLR_INVALID when the point is clipped away.
  COLORREF SetPixel(int x, int y, COLORREF color);
  COLORREF SetPixel(POINT p, COLORREF color) { return SetPixel(p.x, p.y, color); }
  BOOL SetPixelV(int x, int y, COLORREF color);
  // CLR_INVALID outside the target.
  COLORREF GetPixel(int x, int y) const;
  COLORREF GetPixel(POINT p) const { return GetPixel(p.x, p.y); }

  // --- Text (GBK) ------------------------------------------------------
  BOOL TextOut(int x, int y, const char* text, int count);
  BOOL TextOut(int x, int y, const std::string& text);
  BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text, int count,
                  const int* dx = nullptr);
  // Formats: DT_LEFT/DT_CENTER/DT_RIGHT, DT_TOP/DT_VCENTER/DT_BOTTOM (single
  // line), DT_SINGLELINE, DT_WORDBREAK, DT_CALCRECT, DT_NOPREFIX,
  // DT_END_ELLIPSIS, DT_NOCLIP, DT_EXPANDTABS. count -1: up to the zero byte.
  // Returns the height of the text (with DT_VCENTER or DT_BOTTOM: from the
  // rectangle's top to the text's bottom); DT_CALCRECT sets rect's right and
  // bottom to the text's extent and draws nothing.
  int DrawText(const char* text, int count, RECT* rect, UINT format);
  int DrawText(const std::string& text, RECT* rect, UINT format);
  CSize GetTextExtent(const char* text, int count) const;
  CSize GetTextExtent(const std::string& text) const;
  CSize GetOutputTextExtent(const std::string& text) const { return GetTextExtent(text); }
  BOOL GetTextMetrics(TEXTMETRIC* metrics) const;

  // --- Blits -----------------------------------------------------------
  // rop: SRCCOPY, PATCOPY, BLACKNESS, WHITENESS, DSTINVERT, SRCAND,
  // SRCPAINT, SRCINVERT. Parts of the source outside its surface repeat the
  // source's edge pixels.
  BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
  // Negative sizes mirror. HALFTONE filters smoothly, other modes take the
  // nearest pixel.
  BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, DWORD rop);
  BOOL PatBlt(int x, int y, int width, int height, DWORD rop);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The Win32 functions the program calls on handles.
HDC CreateCompatibleDC(HDC dc);  // a new memory DC, freed by DeleteDC
BOOL DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSrc, int ySrc,
                int srcWidth, int srcHeight, DWORD rop);
BOOL GetTextExtentPoint32(HDC dc, const char* text, int count, SIZE* size);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
int GetObject(HGDIOBJ object, int size, void* buffer);
