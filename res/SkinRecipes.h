// Recipes shared by the two programs' tables (internal to res/): the kinds of
// picture the skins are made of, each at a size the caller gives.
#pragma once

#include <string>

#include "res/SkinPainter.h"

namespace kiv {
namespace res {
namespace recipes {

// A push button in its normal or active state, with a caption and/or glyph.
BitmapRecipe Button(int w, int h, bool active, std::string caption = std::string(),
                    Glyph glyph = Glyph::kNone);
// A flat caption-bar button: no frame in the normal state, a lit box when active.
BitmapRecipe BarButton(int w, int h, bool active, Glyph glyph, std::string caption = std::string());
// A horizontal band (title bars, tab skins tiled from their first column).
BitmapRecipe Band(int w, int h, COLORREF top, COLORREF bottom);
// A tab separator: a dark line with a light edge.
BitmapRecipe Separator(int w, int h);
// A scroll-bar arrow on the scroll channel colour.
BitmapRecipe Arrow(int w, int h, Glyph glyph);
// A check box, ticked or not.
BitmapRecipe CheckBox(int size, bool ticked);
// A dialog background: panel, title band of bandHeight with the caption,
// optional close cross drawn at the top right.
BitmapRecipe Dialog(int w, int h, int bandHeight, std::string caption, bool closeCross);
// The logo strip: a small mark and the product name.
BitmapRecipe Logo(int w, int h, std::string name);
// A framed picture with a caption (pictures whose content is ours to choose).
BitmapRecipe Picture(int w, int h, std::string caption, COLORREF accent);
// A progress bar image, filled or empty.
BitmapRecipe ProgressBar(int w, int h, bool filled);
// Buy and sell marks stacked vertically (top buy) or side by side (left buy).
BitmapRecipe Marks(int w, int h, bool stacked);
// A field frame for edit boxes.
BitmapRecipe EditFrame(int w, int h);
// A small connection icon (three rising bars).
BitmapRecipe SignalIcon(int w, int h);

}  // namespace recipes
}  // namespace res
}  // namespace kiv
