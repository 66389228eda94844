// Dialog templates as C++ tables: the dialog's size in dialog units, its
// font, and its controls with id, class, text, style and rectangle (dialog
// units too). A program's templates sit in its resource table (res/),
// beside its bitmaps, since the two programs reuse ids; CDialog(id) finds
// them there. A template can also be passed to CDialog directly, or
// registered by id for the layer's own tests.
//
// Dialog units: a horizontal unit is a quarter of the template font's
// average character width, a vertical one an eighth of its height, so a
// layout keeps its proportions with the font it was designed for.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/WinUser.h"

namespace kiv {
namespace ui {

struct DialogItem {
  int id = 0;
  std::string className;  // "BUTTON", "EDIT", "STATIC", "LISTBOX", ...
  std::string text;       // GBK
  DWORD style = 0;        // WS_CHILD is implied; WS_VISIBLE as given
  CRect rect;             // dialog units
  DWORD exStyle = 0;
};

struct DialogTemplate {
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  DWORD exStyle = 0;
  CRect rect;               // dialog units; left/top place a dialog without DS_CENTER on its owner
  std::string caption;      // GBK
  std::string fontFace = "宋体";
  int pointSize = 9;
  std::vector<DialogItem> items;
};

// The average character width and the height of the template font, in
// pixels: the base of dialog units.
CSize DialogBaseUnits(const std::string& fontFace, int pointSize);
// Converts a rectangle in dialog units to pixels with the given base units.
CRect DialogUnitsToPixels(const CRect& units, CSize base);

// Templates by id outside any program's table, for tests of the layer.
// Registering an id again replaces its template (a dialog already made from
// the old one keeps it).
void RegisterDialogTemplate(UINT id, DialogTemplate tmpl);
// Template `id` of the installed program's resource table
// (kiv::gdi::SetResourceTable), else a registered one; null when neither
// has it.
std::shared_ptr<const DialogTemplate> FindDialogTemplate(UINT id);

}  // namespace ui
}  // namespace kiv
