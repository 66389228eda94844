// The program's GDI objects: CGdiObject and the pens, brushes and fonts.
// (Bitmaps are in Bitmap.h, regions in Rgn.h.)
//
// Ownership: an object's data is shared. The C++ object that created it holds
// one reference, and every DC that has it selected holds another, so deleting
// an object that is still selected leaves the DC drawing correctly (Windows
// would refuse the delete; the program selects the old object back first
// anyway). A handle (HPEN, HFONT, ...) is a non-owning pointer to the data;
// Detach hands the reference to the layer's handle table, where it stays
// until ::DeleteObject(handle) or a later Attach.
//
// Objects belong to the thread that uses them, as GDI objects do in the
// program; only the handle table is shared between threads.
#pragma once

#include <memory>

#include "platform/gdi/GdiTypes.h"

class CBitmap;

class CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject();
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ GetSafeHandle() const { return data_.get(); }
  bool IsCreated() const { return data_ != nullptr; }
  // Drops this object's reference; TRUE when it held one.
  BOOL DeleteObject();
  // Takes over a handle's object (from the handle table when it is there).
  BOOL Attach(HGDIOBJ handle);
  // Leaves the object alive in the handle table and returns its handle.
  HGDIOBJ Detach();

  // The layer's side: the shared data, and adopting data made elsewhere.
  const std::shared_ptr<kiv::gdi::ObjectData>& Data() const { return data_; }
  void SetData(std::shared_ptr<kiv::gdi::ObjectData> data);

 private:
  std::shared_ptr<kiv::gdi::ObjectData> data_;
};

// Pens: PS_SOLID of any width, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT
// (styled only when 1 pixel wide, solid otherwise), PS_NULL, PS_INSIDEFRAME.
// A width of 0 draws 1 pixel wide.
class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  BOOL CreatePen(int style, int width, COLORREF color);
  BOOL CreatePenIndirect(const LOGPEN* logPen);
  BOOL CreateStockObject(int index);
  int GetLogPen(LOGPEN* logPen) const;
  operator HPEN() const;  // NOLINT: implicit like the familiar class
};

// Brushes: solid, hollow (NULL_BRUSH) and pattern (a copy of a bitmap's
// pixels, tiled from the DC's device origin).
class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  BOOL CreateSolidBrush(COLORREF color);
  BOOL CreatePatternBrush(CBitmap* bitmap);
  BOOL CreateBrushIndirect(const LOGBRUSH* logBrush);
  BOOL CreateStockObject(int index);
  int GetLogBrush(LOGBRUSH* logBrush) const;
  operator HBRUSH() const;  // NOLINT
};

// Fonts from LOGFONT fields. Face names (GBK) map to installed faces:
// 宋体, 新宋体 and other Song/Ming names to "AR PL UMing CN"; 黑体, 微软雅黑
// and everything else to "WenQuanYi Zen Hei". Weight 600 and more is bold.
class CFont : public CGdiObject {
 public:
  CFont() = default;
  BOOL CreateFontIndirect(const LOGFONT* logFont);
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight,
                  BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                  BYTE outPrecision, BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily,
                  const char* faceName);
  // Height in tenths of a point at 96 pixels per inch.
  BOOL CreatePointFont(int pointSizeTenths, const char* faceName, CDC* dc = nullptr);
  BOOL CreateStockObject(int index);
  int GetLogFont(LOGFONT* logFont) const;
  operator HFONT() const;  // NOLINT
};

// Stock objects (GetStockObject): shared, never deleted.
HGDIOBJ GetStockObject(int index);
// Deletes a handle left in the handle table by Detach or made by a free
// function (CreateDIBSection). FALSE for an unknown handle.
BOOL DeleteObject(HGDIOBJ handle);
