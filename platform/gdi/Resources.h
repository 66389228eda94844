// Where resources come from: the table of one program (RYKIVDesk and
// KivUpdate each have their own, and reuse some ids for different pictures
// and different dialogs).
//
// The layer only looks resources up; the tables live in res/ and the program
// installs its table at start-up with SetResourceTable. With no table, every
// lookup fails, as a missing resource does.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/Geometry.h"

namespace kiv {
namespace ui {
struct DialogTemplate;  // platform/ui/DialogTemplate.h
struct MenuTemplate;    // platform/ui/Menu.h
}  // namespace ui

namespace gdi {

class Surface;

// A cursor picture with its hot spot.
struct CursorImage {
  std::shared_ptr<Surface> image;  // ARGB: transparent pixels have alpha 0
  POINT hotSpot;
};

class ResourceTable {
 public:
  virtual ~ResourceTable() = default;
  // A new image of bitmap `id`, or null when the program has no such bitmap.
  virtual std::shared_ptr<Surface> LoadBitmap(UINT id) const = 0;
  // The size of bitmap `id` without drawing it; false when there is none.
  // The default draws it and measures; a table that knows its sizes says
  // them at once.
  virtual bool BitmapSize(UINT id, SIZE* size) const;
  // Icon `id` drawn at size x size pixels (32 or 16), or null.
  virtual std::shared_ptr<Surface> LoadIcon(UINT id, int size) const = 0;
  // Cursor `id`; image null when there is none.
  virtual CursorImage LoadCursor(UINT id) const = 0;
  // String `id` (GBK); false when there is none.
  virtual bool LoadString(UINT id, std::string* text) const = 0;
  // Dialog template `id`, or null when the program has none (CDialog(id)
  // looks here). The type belongs to platform/ui, above this layer; the
  // table only holds and hands out the program's templates.
  virtual std::shared_ptr<const ui::DialogTemplate> LoadDialogTemplate(UINT id) const { return nullptr; }
  // Menu resource `id`, or null (LoadMenu looks here); held like the
  // dialog templates.
  virtual std::shared_ptr<const ui::MenuTemplate> LoadMenuTemplate(UINT id) const { return nullptr; }
};

// Installs the table used by CBitmap::LoadBitmap, the window system's icon,
// cursor and string lookups and CDialog's templates; null removes it. The
// table must outlive its use (the tables of res/ are static).
void SetResourceTable(const ResourceTable* table);
const ResourceTable* GetResourceTable();
// Goes up with every SetResourceTable: what a cache took from a table is
// keyed by it, so that a table installed later (perhaps at the same address)
// is never answered from an older one.
unsigned ResourceTableGeneration();
// The size of the installed table's bitmap `id`, for layouts that place a
// skin before they load it; 0 x 0 when there is none.
SIZE ResourceBitmapSize(UINT id);

}  // namespace gdi
}  // namespace kiv
