// A rich tooltip's markup text: every token is read, then the text is
// measured and drawn on a small memory DC, with the terminal's resources
// installed so that icon and bitmap tags load. The reader must never read
// past the text's end (the sanitizers stop the run if it does), and the
// measured size never leaves the bounds the pass keeps.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "res/ResourceTables.h"
#include "shell/PPToolTipMarkup.h"
#include "shell/PPToolTipMarkupReader.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

struct MarkupScene {
  MarkupScene() {
    kiv::res::UseDeskResources();
    paper.CreateCompatibleBitmap(nullptr, 64, 32);
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&paper);
    for (int i = 0; i < kPPToolTipColorCount; ++i) colours[i] = static_cast<COLORREF>(i * 0x0A0B0C);
    settings.font.lfHeight = -12;
    settings.font.lfWeight = FW_NORMAL;
    settings.colors = colours;
    settings.names = &names;
  }
  CBitmap paper;
  CDC dc;
  COLORREF colours[kPPToolTipColorCount];
  std::vector<PPTOOLTIP_NAME_RES> names{{"logo", 62010, kPPToolTipImageIcon, 0}};
  PPToolTipMarkupSettings settings;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MarkupScene* scene = new MarkupScene();
  // The input's own bytes, which end where the text ends: a read past the
  // end is the sanitizer's to catch.
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  PPToolTipMarkupReader reader(text);
  PPToolTipToken token;
  size_t tokens = 0;
  while (reader.Next(&token)) {
    ++tokens;
    kiv::fuzz::Check(tokens <= size);  // every token takes at least one byte
  }

  PPToolTipMarkup markup;
  PPToolTipDcCanvas canvas(scene->dc);
  const CSize measured = markup.Run(canvas, scene->settings, text, CRect(0, 0, 64, 32), true);
  kiv::fuzz::Check(measured.cx >= 0 && measured.cx <= PPToolTipMarkup::kCoordinateLimit);
  kiv::fuzz::Check(measured.cy >= 0 && measured.cy <= PPToolTipMarkup::kCoordinateLimit);
  kiv::fuzz::Check(markup.LineWidths().size() == markup.LineHeights().size());
  markup.Run(canvas, scene->settings, text, CRect(0, 0, 64, 32), false);
  return 0;
}
