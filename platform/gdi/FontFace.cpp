#include "platform/gdi/FontFace.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/gdi/GdiData.h"

namespace kiv {
namespace gdi {

namespace {

constexpr const char* kSansFamily = "WenQuanYi Zen Hei";
constexpr const char* kMingFamily = "AR PL UMing CN";
constexpr int kDefaultEm = 12;
// Share of the cell above the baseline, per face, so that the ink of CJK
// glyphs stays inside the cell.
constexpr double kMingAscentShare = 0.86;
constexpr double kSansAscentShare = 0.83;
// Song/Ming text up to this size is drawn crisp, without anti-aliasing.
constexpr int kCrispMingEm = 16;

// Pango's objects are not thread-safe; the program measures and draws on the
// UI thread, but a worker may measure, so all of it goes through one lock.
std::mutex& PangoMutex() {
  static std::mutex m;
  return m;
}

struct Contexts {
  PangoFontMap* fontMap;
  PangoContext* smooth;
  PangoContext* crisp;
};

PangoContext* MakeContext(PangoFontMap* map, cairo_antialias_t aa, cairo_hint_style_t hint) {
  PangoContext* ctx = pango_font_map_create_context(map);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, aa);
  cairo_font_options_set_hint_style(options, hint);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(ctx, options);
  cairo_font_options_destroy(options);
  pango_cairo_context_set_resolution(ctx, 96.0);
  pango_context_set_round_glyph_positions(ctx, TRUE);
  PangoLanguage* zh = pango_language_from_string("zh-cn");
  pango_context_set_language(ctx, zh);
  return ctx;
}

const Contexts& SharedContexts() {
  // Lives as long as the process: fonts may be used by static destructors.
  static const Contexts* contexts = [] {
    auto* c = new Contexts;
    c->fontMap = pango_cairo_font_map_new();
    c->smooth = MakeContext(c->fontMap, CAIRO_ANTIALIAS_GRAY, CAIRO_HINT_STYLE_SLIGHT);
    c->crisp = MakeContext(c->fontMap, CAIRO_ANTIALIAS_NONE, CAIRO_HINT_STYLE_FULL);
    return c;
  }();
  return *contexts;
}

bool IsMingFace(const char* face) {
  // GBK names of the Song faces the program asks for.
  static const char* const kMing[] = {"宋体", "新宋体", "仿宋", "仿宋_GB2312", "SimSun", "NSimSun"};
  for (const char* name : kMing) {
    if (std::strcmp(face, name) == 0) return true;
  }
  return false;
}

}  // namespace

std::mutex& FontFace::TextLock() { return PangoMutex(); }

const char* FontFace::FamilyFor(const char* gbkFaceName) {
  if (gbkFaceName != nullptr && IsMingFace(gbkFaceName)) return kMingFamily;
  return kSansFamily;
}

FontFace::FontFace(const LOGFONT& lf)
    : underline_(lf.lfUnderline != 0), strikeOut_(lf.lfStrikeOut != 0) {
  std::lock_guard<std::mutex> lock(PangoMutex());
  int em = lf.lfHeight == 0 ? kDefaultEm : std::abs(lf.lfHeight);
  const char* family = FamilyFor(lf.lfFaceName);
  bool ming = family == kMingFamily;
  desc_ = pango_font_description_new();
  pango_font_description_set_family(desc_, family);
  pango_font_description_set_absolute_size(desc_, em * PANGO_SCALE);
  pango_font_description_set_weight(desc_, lf.lfWeight >= FW_SEMIBOLD ? PANGO_WEIGHT_BOLD
                                                                       : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(desc_, lf.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  context_ = (ming && em <= kCrispMingEm) ? SharedContexts().crisp : SharedContexts().smooth;

  metrics_.tmHeight = em;
  metrics_.tmAscent = static_cast<LONG>(std::lround(em * (ming ? kMingAscentShare : kSansAscentShare)));
  metrics_.tmDescent = em - metrics_.tmAscent;
  metrics_.tmInternalLeading = 0;
  metrics_.tmExternalLeading = 0;
  metrics_.tmAveCharWidth = (em + 1) / 2;
  metrics_.tmMaxCharWidth = em;
  metrics_.tmWeight = lf.lfWeight == 0 ? FW_NORMAL : lf.lfWeight;
  metrics_.tmItalic = lf.lfItalic;
  metrics_.tmUnderlined = lf.lfUnderline;
  metrics_.tmStruckOut = lf.lfStrikeOut;
  metrics_.tmCharSet = lf.lfCharSet;
  metrics_.tmPitchAndFamily = lf.lfPitchAndFamily;
}

FontFace::~FontFace() {
  std::lock_guard<std::mutex> lock(PangoMutex());
  if (lastLayout_ != nullptr) g_object_unref(lastLayout_);
  pango_font_description_free(desc_);
}

PangoLayout* FontFace::CachedLayout(const std::string& utf8) const {
  if (lastLayout_ == nullptr || lastText_ != utf8) {
    if (lastLayout_ != nullptr) g_object_unref(lastLayout_);
    lastLayout_ = NewLayout(utf8);
    lastText_ = utf8;
  }
  return lastLayout_;
}

PangoLayout* FontFace::NewLayout(const std::string& utf8) const {
  PangoLayout* layout = pango_layout_new(context_);
  pango_layout_set_font_description(layout, desc_);
  pango_layout_set_single_paragraph_mode(layout, TRUE);
  if (underline_ || strikeOut_) {
    PangoAttrList* attrs = pango_attr_list_new();
    if (underline_) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (strikeOut_) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
  }
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
  return layout;
}

int FontFace::Width(const std::string& utf8) const {
  if (utf8.empty()) return 0;
  std::lock_guard<std::mutex> lock(PangoMutex());
  PangoLayout* layout = CachedLayout(utf8);
  PangoRectangle logical;
  pango_layout_line_get_pixel_extents(pango_layout_get_line_readonly(layout, 0), nullptr, &logical);
  return logical.width;
}

void FontFace::Draw(cairo_t* cr, const std::string& utf8, double x, double baseline,
                    int underlineStart, int underlineLength) const {
  if (utf8.empty()) return;
  std::lock_guard<std::mutex> lock(PangoMutex());
  PangoLayout* marked = nullptr;
  if (underlineStart >= 0 && underlineLength > 0) {
    // Same text, same advances: an underline changes no glyph position.
    marked = NewLayout(utf8);
    PangoAttrList* attrs = pango_layout_get_attributes(marked);
    attrs = attrs != nullptr ? pango_attr_list_copy(attrs) : pango_attr_list_new();
    PangoAttribute* line = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
    line->start_index = static_cast<guint>(underlineStart);
    line->end_index = static_cast<guint>(underlineStart + underlineLength);
    pango_attr_list_insert(attrs, line);
    pango_layout_set_attributes(marked, attrs);
    pango_attr_list_unref(attrs);
  }
  PangoLayout* layout = marked != nullptr ? marked : CachedLayout(utf8);
  cairo_move_to(cr, x, baseline);
  pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(layout, 0));
  cairo_new_path(cr);
  if (marked != nullptr) g_object_unref(marked);
}

std::vector<std::string> FontFace::Wrap(const std::string& utf8, int width) const {
  std::vector<std::string> lines;
  if (utf8.empty()) {
    lines.emplace_back();
    return lines;
  }
  std::lock_guard<std::mutex> lock(PangoMutex());
  PangoLayout* layout = NewLayout(utf8);
  pango_layout_set_single_paragraph_mode(layout, FALSE);
  pango_layout_set_width(layout, std::max(1, width) * PANGO_SCALE);
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  for (GSList* l = pango_layout_get_lines_readonly(layout); l != nullptr; l = l->next) {
    auto* line = static_cast<PangoLayoutLine*>(l->data);
    std::string text = utf8.substr(static_cast<size_t>(line->start_index),
                                   static_cast<size_t>(line->length));
    // The space a line was broken at belongs to no line.
    while (!text.empty() && text.back() == ' ') text.pop_back();
    lines.push_back(std::move(text));
  }
  g_object_unref(layout);
  if (lines.empty()) lines.emplace_back();
  return lines;
}

FontData::FontData() : ObjectData(ObjectKind::kFont) {}
FontData::~FontData() = default;

const FontFace& FontData::Face() {
  std::call_once(faceOnce_, [this] { face_ = std::make_unique<FontFace>(logFont); });
  return *face_;
}

}  // namespace gdi
}  // namespace kiv

// fontconfig keeps its parsed configuration and font patterns for the life of
// the process, unreachable to the leak checker; the layer never frees the
// font map either. Tell LeakSanitizer (in sanitizer builds) to expect that,
// while leaks of the layer's own pango objects still show.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

// pango loads the fontconfig configuration on a thread of its own and waits
// for it with glib's locks, which ThreadSanitizer cannot see inside the
// uninstrumented libraries; the layer's own locking stays checked.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libfontconfig.so\n"
         "race:libfontconfig.so\n"
         "race:g_str_has_suffix\n";
}
