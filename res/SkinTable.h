// SkinTable: a ResourceTable made of recipes, and of the program's dialog
// templates; the shape both programs' tables share.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/gdi/Resources.h"
#include "platform/ui/DialogTemplate.h"
#include "res/SkinPainter.h"

namespace kiv {
namespace res {

// How an icon looks: its colours and a one- or two-character GBK mark.
struct IconRecipe {
  COLORREF background;
  COLORREF mark;
  std::string text;
};

class SkinTable : public gdi::ResourceTable {
 public:
  void AddBitmap(UINT id, BitmapRecipe recipe) { bitmaps_[id] = std::move(recipe); }
  void AddIcon(UINT id, IconRecipe recipe) { icons_[id] = std::move(recipe); }
  void AddString(UINT id, std::string gbk) { strings_[id] = std::move(gbk); }
  void AddDialogTemplate(UINT id, ui::DialogTemplate tmpl) {
    dialogs_[id] = std::make_shared<const ui::DialogTemplate>(std::move(tmpl));
  }

  std::shared_ptr<gdi::Surface> LoadBitmap(UINT id) const override;
  bool BitmapSize(UINT id, SIZE* size) const override;
  std::shared_ptr<gdi::Surface> LoadIcon(UINT id, int size) const override;
  gdi::CursorImage LoadCursor(UINT id) const override;
  bool LoadString(UINT id, std::string* text) const override;
  std::shared_ptr<const ui::DialogTemplate> LoadDialogTemplate(UINT id) const override;

  std::vector<UINT> BitmapIds() const;
  std::vector<UINT> IconIds() const;

 private:
  std::map<UINT, BitmapRecipe> bitmaps_;
  std::map<UINT, IconRecipe> icons_;
  std::map<UINT, std::string> strings_;
  std::map<UINT, std::shared_ptr<const ui::DialogTemplate>> dialogs_;
};

}  // namespace res
}  // namespace kiv
