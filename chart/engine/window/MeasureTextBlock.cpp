#include "chart/engine/window/MeasureTextBlock.h"

#include <algorithm>
#include <cstring>

namespace kiv {

CSize MeasureTextBlock(CDC* dc, const char* text) {
  CSize size(0, 0);
  if (!dc || !text) return size;
  const char* line = text;
  while (true) {
    const char* end = std::strchr(line, '\n');
    const int length = end ? static_cast<int>(end - line) : static_cast<int>(std::strlen(line));
    const CSize extent = dc->GetTextExtent(line, length);
    size.cx = std::max(size.cx, extent.cx);
    size.cy += extent.cy + 1;
    if (!end) break;
    line = end + 1;
  }
  return size;
}

}  // namespace kiv
