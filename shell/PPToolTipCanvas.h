// PPToolTipCanvas: what the rich tooltip's markup pass draws on and measures
// with, and PPToolTipDcCanvas, the one that does it on a device context.
// The pass (PPToolTipMarkup.h) only speaks to this interface, so that a test
// can stand a recording canvas in the DC's place and read back every run,
// rule and image it was asked to draw.
//
// A canvas belongs to one pass on one thread (the UI thread).
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ImageList.h"

class PPToolTipCanvas {
 public:
  virtual ~PPToolTipCanvas() = default;

  // Makes a font of `font` and selects it; RestoreFont selects back the
  // font the canvas had before the first SelectFont.
  virtual void SelectFont(const LOGFONT& font) = 0;
  virtual void RestoreFont() = 0;
  // The line height and average character width of the selected font.
  virtual void GetMetrics(int* height, int* averageWidth) = 0;
  virtual CSize TextExtent(const std::string& run) = 0;
  // A run (GBK) with its top-left at (x, y), in the current colours.
  virtual void TextOut(int x, int y, const std::string& run) = 0;
  virtual void SetTextColor(COLORREF color) = 0;
  virtual COLORREF GetTextColor() = 0;
  virtual void SetBkColor(COLORREF color) = 0;
  virtual void SetBkMode(int mode) = 0;
  // A 1-pixel horizontal line in the text colour covering left..right-1.
  virtual void Rule(int left, int right, int y) = 0;
  // An icon at (x, y), size by size (DrawState).
  virtual void DrawIcon(int x, int y, HICON icon, CSize size) = 0;
  // A bitmap stretched to size at (x, y); with `masked`, its pixels of
  // maskColor are left out.
  virtual void DrawBitmap(int x, int y, CBitmap& bitmap, CSize size, bool masked, COLORREF maskColor) = 0;
  // Image `index` of an image list at (x, y).
  virtual void DrawListImage(CImageList& list, int index, int x, int y) = 0;
};

class PPToolTipDcCanvas : public PPToolTipCanvas {
 public:
  explicit PPToolTipDcCanvas(CDC& dc) : dc_(dc) {}
  ~PPToolTipDcCanvas() override;

  void SelectFont(const LOGFONT& font) override;
  void RestoreFont() override;
  void GetMetrics(int* height, int* averageWidth) override;
  CSize TextExtent(const std::string& run) override;
  void TextOut(int x, int y, const std::string& run) override;
  void SetTextColor(COLORREF color) override;
  COLORREF GetTextColor() override;
  void SetBkColor(COLORREF color) override;
  void SetBkMode(int mode) override;
  void Rule(int left, int right, int y) override;
  void DrawIcon(int x, int y, HICON icon, CSize size) override;
  void DrawBitmap(int x, int y, CBitmap& bitmap, CSize size, bool masked, COLORREF maskColor) override;
  void DrawListImage(CImageList& list, int index, int x, int y) override;

 private:
  CDC& dc_;
  std::unique_ptr<CFont> font_;  // selected now
  CFont* previousFont_ = nullptr;
  bool fontSelected_ = false;
};
