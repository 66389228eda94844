// FontFace: a LOGFONT made concrete with pango (internal to platform/gdi).
//
// Text is UTF-8 here; the DC converts from GBK before it comes in. The cell
// of a line is em pixels high (|lfHeight|, 12 for 0), as with the program's
// Song and Hei faces, whose internal leading is zero; the baseline lies at
// 83% (sans) or 86% (Ming) of it, which keeps the ink of CJK glyphs of the
// installed faces inside the cell. Widths are pango's advances with hinted metrics (whole pixels),
// taken from the same layout that is drawn, so measuring and drawing agree.
//
// Small Song/Ming text is drawn without anti-aliasing (crisp, like the
// program's bitmap Song face); everything else with grey anti-aliasing.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/gdi/GdiTypes.h"

typedef struct _cairo cairo_t;
typedef struct _PangoFontDescription PangoFontDescription;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoContext PangoContext;

namespace kiv {
namespace gdi {

class FontFace {
 public:
  explicit FontFace(const LOGFONT& logFont);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const TEXTMETRIC& Metrics() const { return metrics_; }
  // The lock every use of pango, and of cairo objects that hold fonts,
  // goes through: neither library may be used from two threads at once.
  static std::mutex& TextLock();

  // The fontconfig family a face name maps to.
  static const char* FamilyFor(const char* gbkFaceName);

  // Advance width of one line of text in pixels.
  int Width(const std::string& utf8) const;
  // Draws one line with its baseline-left at (x, baseline) in the cairo
  // context's current source, underlining the UTF-8 bytes [underlineStart,
  // underlineStart + underlineLength) when underlineStart >= 0 (a mnemonic).
  void Draw(cairo_t* cr, const std::string& utf8, double x, double baseline,
            int underlineStart = -1, int underlineLength = 0) const;
  // Breaks one paragraph into lines of at most `width` pixels: at spaces
  // where it can, between CJK characters anywhere, inside a word only when
  // the word alone is too wide.
  std::vector<std::string> Wrap(const std::string& utf8, int width) const;

 private:
  PangoLayout* NewLayout(const std::string& utf8) const;
  // The layout of the text last measured or drawn: a label is usually
  // measured and then drawn, and laying it out once serves both.
  PangoLayout* CachedLayout(const std::string& utf8) const;

  PangoFontDescription* desc_;
  PangoContext* context_;  // shared, not owned
  bool underline_;
  bool strikeOut_;
  TEXTMETRIC metrics_;
  mutable PangoLayout* lastLayout_ = nullptr;
  mutable std::string lastText_;
};

}  // namespace gdi
}  // namespace kiv
