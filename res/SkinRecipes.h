// Recipes shared by the two programs' tables (internal to res/): the kinds of
// picture the skins are made of, each at a size the caller gives.
#pragma once

#include <functional>
#include <string>

#include "res/SkinPainter.h"

namespace kiv {
namespace res {
namespace recipes {

// The light body of the notices: the windows write their texts on it with
// this background colour, so the body must be exactly it.
constexpr COLORREF kNoticeBody = 0xCCCCCC;

// The close mark of the dialogs that draw their own close box: a cross
// inside the 8 x 8 pixels from w - 22 to w - 15 across and 8 to 15 down,
// where every one of these dialogs takes a click as a close (the tightest of
// their hit boxes is w - 22..w - 15 x 8..15).
void CloseMark(SkinPainter& p, COLORREF c);

// The countdown notice both programs carry: background, OK and Cancel. The
// window puts the buttons at (220, h - 50) and (310, h - 50), writes its
// countdown row at h - 82..h - 64 and its notice text in the body above.
constexpr int kCountdownWidth = 420;
constexpr int kCountdownHeight = 230;
constexpr int kCountdownButtonWidth = 70;
constexpr int kCountdownButtonHeight = 25;
BitmapRecipe CountdownBackground();
BitmapRecipe CountdownButton(bool ok);

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
// optional close cross drawn at the top right (see CloseMark).
BitmapRecipe Dialog(int w, int h, int bandHeight, std::string caption, bool closeCross);
// A notice: dark title band of bandHeight with the caption and the close
// mark, and a light body of kNoticeBody on which the window writes its texts
// with that background colour. `decorate` draws what the body holds beyond
// that (pictures, rules); it may be empty.
BitmapRecipe Notice(int w, int h, int bandHeight, std::string caption,
                    std::function<void(SkinPainter&)> decorate);
// A square-cornered button that reads on a light body and on a dark dialog
// alike: the primary one blue, the other grey.
BitmapRecipe FlatButton(int w, int h, bool primary, std::string caption);
// A page button of the main window's button column: caption in the picture,
// the active state lit with a bar along its left edge.
BitmapRecipe PageButton(int w, int h, bool active, std::string caption);
// A head photo: a round portrait silhouette over a caption.
BitmapRecipe HeadPhoto(int w, int h, std::string caption);
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
