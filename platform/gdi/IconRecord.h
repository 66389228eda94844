// IconRecord: the picture behind an HICON or HCURSOR handle, and the store
// that hands the handles out.
//
// Icons and cursors share one kind of record, so that a handle of either
// kind is safe wherever the other is taken (an icon given to SetCursor, a
// cursor given to DrawIcon). A handle points at a record the store keeps for
// the rest of the run: icons and cursors loaded from the program's resources
// are shared, as a window holds on to them (WM_SETICON, its class cursor)
// without owning them. Loading the same id again under the same installed
// resource table gives the same handle; installing a table (even the same
// one again) starts afresh, so a handle never shows another table's picture.
//
// Threads: any; the store is guarded by its own mutex and records never
// change once made.
#pragma once

#include <memory>

#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Geometry.h"

namespace kiv {
namespace gdi {

class Surface;

// The size icons are drawn at (SM_CXICON x SM_CYICON).
constexpr int kIconSize = 32;
// The largest icon side the store makes (LoadImage at a requested size).
constexpr int kMaxIconSize = 256;

struct IconRecord {
  // The IDC_ number of a standard cursor, which the display draws in its own
  // way; 0 for a picture of the program's resources.
  UINT systemId = 0;
  // Made by LoadIcon (DestroyIcon accepts it).
  bool icon = false;
  // Premultiplied ARGB (transparent pixels have alpha 0); null for a
  // standard cursor. Icons are kIconSize square.
  std::shared_ptr<Surface> image;
  POINT hotSpot;
};

// The standard cursor IDC_ number `id`.
HCURSOR StandardCursorHandle(UINT id);
// Cursor `id` of the installed resource table; null when there is no table
// or it has no such cursor.
HCURSOR ResourceCursorHandle(UINT id);
// Icon `id` of the installed resource table at cx x cy pixels (the table
// draws it square, at the larger side, and a picture of another shape is
// scaled to it); null when there is no table, it has no such icon, or a
// side is outside 1..kMaxIconSize.
HICON ResourceIconHandle(UINT id, int cx = kIconSize, int cy = kIconSize);
// The record of a handle the store made; null for null and for any other
// value, so a stale or made-up handle is refused instead of followed.
const IconRecord* IconRecordOf(HCURSOR handle);

}  // namespace gdi
}  // namespace kiv
