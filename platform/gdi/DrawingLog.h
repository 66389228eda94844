// DrawingLog: a record of the text and blit calls of every device context,
// so that a test can ask what a window wrote where, in which colour, and
// which bitmap it copied to which rectangle, without reading pixels.
//
// Off by default; while off a drawing call pays one relaxed atomic load.
// Tests switch it on with ScopedDrawingLog around the paint they look at.
// Positions are the DC's logical coordinates (for a window's memory canvas:
// client coordinates). Any thread may draw while it records; the entries of
// one thread keep their order.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace kiv {
namespace gdi {

class Surface;

// One line of text as drawn: TextOut, ExtTextOut, and each line DrawText
// lays out.
struct LoggedText {
  std::string text;  // GBK, as the program passed it (DrawText: the line)
  int x = 0;         // left of the line
  int y = 0;         // top of the line's cell
  COLORREF color = 0;
  COLORREF background = 0;
  bool opaque = false;  // the background was filled behind it
  const Surface* target = nullptr;
};

// One BitBlt or StretchBlt with a source DC.
struct LoggedBlit {
  UINT sourceResource = 0;  // resource id of the bitmap in the source DC; 0 for any other
  SIZE sourceSize{0, 0};    // size of the source DC's bitmap (0 x 0 for a window DC)
  RECT dest{0, 0, 0, 0};    // logical, of the destination DC
  RECT source{0, 0, 0, 0};  // logical, of the source DC
  DWORD rop = 0;
  const Surface* target = nullptr;
};

class DrawingLog {
 public:
  static void Enable(bool on);
  static bool Enabled();
  static void Clear();
  static std::vector<LoggedText> Texts();
  static std::vector<LoggedBlit> Blits();

  // The layer's side (the DC calls them only while enabled).
  static void Record(LoggedText text);
  static void Record(LoggedBlit blit);
};

// Records from construction to destruction, starting empty.
class ScopedDrawingLog {
 public:
  ScopedDrawingLog() {
    DrawingLog::Clear();
    DrawingLog::Enable(true);
  }
  ~ScopedDrawingLog() {
    DrawingLog::Enable(false);
    DrawingLog::Clear();
  }
  ScopedDrawingLog(const ScopedDrawingLog&) = delete;
  ScopedDrawingLog& operator=(const ScopedDrawingLog&) = delete;
};

}  // namespace gdi
}  // namespace kiv
