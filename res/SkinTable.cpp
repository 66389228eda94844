#include "res/SkinTable.h"

#include "platform/gdi/Surface.h"
#include "res/ResourceTables.h"

namespace kiv {
namespace res {

namespace {

// The hand cursor: a pointing hand, index finger up, hot spot at its tip.
// Outline in a 32 x 32 grid, drawn white with a black edge.
gdi::CursorImage DrawHandCursor() {
  static const double kOutline[][2] = {
      {10, 1},  {12, 1},  {13, 2},  {13, 10}, {15, 9},  {17, 10}, {18, 11}, {20, 10}, {22, 11},
      {23, 12}, {25, 12}, {27, 14}, {27, 21}, {25, 26}, {24, 29}, {12, 29}, {11, 26}, {5, 19},
      {5, 17},  {7, 16},  {9, 18},  {9, 2}};
  auto image = std::make_shared<gdi::Surface>(32, 32);
  cairo_t* cr = cairo_create(image->CairoSurface());
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_move_to(cr, kOutline[0][0] + 0.5, kOutline[0][1] + 0.5);
  for (const auto& p : kOutline) cairo_line_to(cr, p[0] + 0.5, p[1] + 0.5);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  // Knuckle lines between the folded fingers.
  for (double x : {13.0, 17.5, 22.0}) {
    cairo_move_to(cr, x + 0.5, 12);
    cairo_line_to(cr, x + 0.5, 17);
  }
  cairo_stroke(cr);
  cairo_destroy(cr);
  image->MarkDirty();
  return gdi::CursorImage{image, POINT{11, 1}};
}

}  // namespace

std::shared_ptr<gdi::Surface> SkinTable::LoadBitmap(UINT id) const {
  auto it = bitmaps_.find(id);
  if (it == bitmaps_.end()) return nullptr;
  return Render(it->second);
}

bool SkinTable::BitmapSize(UINT id, SIZE* size) const {
  auto it = bitmaps_.find(id);
  if (it == bitmaps_.end()) return false;
  if (size != nullptr) *size = SIZE{it->second.width, it->second.height};
  return true;
}

std::shared_ptr<gdi::Surface> SkinTable::LoadIcon(UINT id, int size) const {
  auto it = icons_.find(id);
  if (it == icons_.end() || size <= 0) return nullptr;
  const IconRecipe& icon = it->second;
  SkinPainter painter(size, size, 0);
  cairo_t* cr = painter.Cr();
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  painter.RoundBox(0, 0, size, size, size / 5.0, icon.background, icon.background, icon.mark);
  painter.Caption(icon.text, RECT{0, 0, size, size}, icon.mark, size * 5 / 8, "黑体", true);
  return painter.Finish();
}

gdi::CursorImage SkinTable::LoadCursor(UINT id) const {
  if (id == kIdcHand) return DrawHandCursor();
  return gdi::CursorImage();
}

bool SkinTable::LoadString(UINT id, std::string* text) const {
  auto it = strings_.find(id);
  if (it == strings_.end()) return false;
  if (text != nullptr) *text = it->second;
  return true;
}

std::shared_ptr<const ui::DialogTemplate> SkinTable::LoadDialogTemplate(UINT id) const {
  auto it = dialogs_.find(id);
  return it == dialogs_.end() ? nullptr : it->second;
}

std::vector<UINT> SkinTable::BitmapIds() const {
  std::vector<UINT> ids;
  for (const auto& entry : bitmaps_) ids.push_back(entry.first);
  return ids;
}

std::vector<UINT> SkinTable::IconIds() const {
  std::vector<UINT> ids;
  for (const auto& entry : icons_) ids.push_back(entry.first);
  return ids;
}

}  // namespace res
}  // namespace kiv
