// What the rich tooltip's tests share: a canvas that records what the
// markup pass draws (as one line of text per run, rule or image, with the
// font and colours it was drawn in), and a small resource table with a
// bitmap and an icon of known pixels.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/Resources.h"
#include "platform/gdi/Surface.h"
#include "shell/PPToolTipCanvas.h"

namespace kiv::test {

// Resources of the markup tests.
constexpr UINT kMarkupBitmap = 9001;  // 16 x 8: left half green, right half blue
constexpr UINT kMarkupIcon = 9002;    // square, red, any size
constexpr COLORREF kMarkupGreen = RGB(0, 255, 0);
constexpr COLORREF kMarkupBlue = RGB(0, 0, 255);
constexpr COLORREF kMarkupRed = RGB(255, 0, 0);

class MarkupResourceTable : public gdi::ResourceTable {
 public:
  std::shared_ptr<gdi::Surface> LoadBitmap(UINT id) const override {
    if (id != kMarkupBitmap) return nullptr;
    auto image = std::make_shared<gdi::Surface>(16, 8, kMarkupBlue);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) image->SetPixelAt(x, y, kMarkupGreen);
    }
    return image;
  }
  std::shared_ptr<gdi::Surface> LoadIcon(UINT id, int size) const override {
    if (id != kMarkupIcon) return nullptr;
    return std::make_shared<gdi::Surface>(size, size, kMarkupRed);
  }
  gdi::CursorImage LoadCursor(UINT) const override { return gdi::CursorImage(); }
  bool LoadString(UINT, std::string*) const override { return false; }
};

// A canvas with fixed metrics (lines 12 high, every byte 6 wide, average
// width 6) that writes down what it is asked to draw:
//   T x,y "run" w<weight>[ i][ u][ s] fg<colour> bk<colour or ->
//   R left-right @y fg<colour>
//   I x,y <w>x<h>
//   B x,y <w>x<h> mask<colour> | opaque
//   L <index> x,y
// Colours are COLORREF in six hex digits (0xBBGGRR).
class RecordingCanvas : public PPToolTipCanvas {
 public:
  static constexpr int kLineHeight = 12;
  static constexpr int kCharWidth = 6;

  void SelectFont(const LOGFONT& font) override {
    font_ = font;
    fontSelected = true;
  }
  void RestoreFont() override { fontSelected = false; }
  void GetMetrics(int* height, int* averageWidth) override {
    *height = kLineHeight;
    *averageWidth = kCharWidth;
  }
  CSize TextExtent(const std::string& run) override {
    return CSize(static_cast<LONG>(run.size()) * kCharWidth, kLineHeight);
  }
  void TextOut(int x, int y, const std::string& run) override {
    std::string op = "T " + At(x, y) + " \"" + run + "\" w" + std::to_string(font_.lfWeight);
    if (font_.lfItalic) op += " i";
    if (font_.lfUnderline) op += " u";
    if (font_.lfStrikeOut) op += " s";
    op += " fg" + Hex(text_) + " bk" + (bkMode_ == OPAQUE ? Hex(back_) : "-");
    ops.push_back(op);
  }
  void SetTextColor(COLORREF color) override { text_ = color; }
  COLORREF GetTextColor() override { return text_; }
  void SetBkColor(COLORREF color) override { back_ = color; }
  void SetBkMode(int mode) override { bkMode_ = mode; }
  void Rule(int left, int right, int y) override {
    ops.push_back("R " + std::to_string(left) + "-" + std::to_string(right) + " @" + std::to_string(y) + " fg" +
                  Hex(text_));
  }
  void DrawIcon(int x, int y, HICON, CSize size) override { ops.push_back("I " + At(x, y) + " " + Size(size)); }
  void DrawBitmap(int x, int y, CBitmap&, CSize size, bool masked, COLORREF mask) override {
    ops.push_back("B " + At(x, y) + " " + Size(size) + (masked ? " mask" + Hex(mask) : " opaque"));
  }
  void DrawListImage(CImageList&, int index, int x, int y) override {
    ops.push_back("L " + std::to_string(index) + " " + At(x, y));
  }

  std::vector<std::string> ops;
  bool fontSelected = false;

 private:
  static std::string At(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  static std::string Size(CSize s) { return std::to_string(s.cx) + "x" + std::to_string(s.cy); }
  static std::string Hex(COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(c & 0xFFFFFF));
    return text;
  }

  LOGFONT font_;
  COLORREF text_ = 0;           // a fresh DC's: black text
  COLORREF back_ = 0xFFFFFF;    // on white
  int bkMode_ = OPAQUE;
};

}  // namespace kiv::test
