#include "platform/gdi/IconRecord.h"

#include <cairo.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

#include "platform/gdi/Resources.h"
#include "platform/gdi/Surface.h"

namespace kiv {
namespace gdi {

namespace {

enum class IconRecordKind { kStandardCursor, kResourceCursor, kResourceIcon };

// Records live for the whole run (handles are shared and never freed). A
// resource's key carries the table generation it was loaded under.
struct IconRecordStore {
  std::mutex mutex;
  // (kind, table generation, id, size): one record per picture.
  std::map<std::tuple<IconRecordKind, unsigned, UINT, int>, std::unique_ptr<IconRecord>> byKey;
  std::set<const IconRecord*> known;
};

IconRecordStore& TheIconRecordStore() {
  static IconRecordStore* store = new IconRecordStore();  // outlives every static that holds a handle
  return *store;
}

// The picture squeezed or stretched to cx x cy, alpha kept.
std::shared_ptr<Surface> Scaled(const Surface& image, int cx, int cy) {
  auto scaled = std::make_shared<Surface>(cx, cy);
  cairo_t* cr = cairo_create(scaled->CairoSurface());
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_scale(cr, static_cast<double>(cx) / image.Width(), static_cast<double>(cy) / image.Height());
  cairo_set_source_surface(cr, image.CairoSurface(), 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  scaled->MarkDirty();
  return scaled;
}

HCURSOR HandleOf(const IconRecord* record) { return reinterpret_cast<HCURSOR>(const_cast<IconRecord*>(record)); }

// The record under key, made by make() when there is none yet; null (and
// nothing kept) when make() finds no picture.
template <class Make>
HCURSOR FindOrMake(IconRecordKind kind, unsigned generation, UINT id, int size, Make make) {
  IconRecordStore& store = TheIconRecordStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  auto key = std::make_tuple(kind, generation, id, size);
  auto it = store.byKey.find(key);
  if (it != store.byKey.end()) return HandleOf(it->second.get());
  std::unique_ptr<IconRecord> record = make();
  if (!record) return nullptr;
  const IconRecord* made = record.get();
  store.byKey.emplace(key, std::move(record));
  store.known.insert(made);
  return HandleOf(made);
}

}  // namespace

HCURSOR StandardCursorHandle(UINT id) {
  return FindOrMake(IconRecordKind::kStandardCursor, 0, id, 0, [id] {
    auto record = std::make_unique<IconRecord>();
    record->systemId = id;
    return record;
  });
}

HCURSOR ResourceCursorHandle(UINT id) {
  const ResourceTable* table = GetResourceTable();
  if (!table) return nullptr;
  return FindOrMake(IconRecordKind::kResourceCursor, ResourceTableGeneration(), id, 0,
                    [table, id]() -> std::unique_ptr<IconRecord> {
                      CursorImage image = table->LoadCursor(id);
                      if (!image.image) return nullptr;
                      auto record = std::make_unique<IconRecord>();
                      record->image = image.image;
                      record->hotSpot = image.hotSpot;
                      return record;
                    });
}

HICON ResourceIconHandle(UINT id, int cx, int cy) {
  const ResourceTable* table = GetResourceTable();
  if (!table || cx < 1 || cx > kMaxIconSize || cy < 1 || cy > kMaxIconSize) return nullptr;
  return FindOrMake(IconRecordKind::kResourceIcon, ResourceTableGeneration(), id, cx * (kMaxIconSize + 1) + cy,
                    [table, id, cx, cy]() -> std::unique_ptr<IconRecord> {
                      std::shared_ptr<Surface> image = table->LoadIcon(id, std::max(cx, cy));
                      if (!image) return nullptr;
                      if (image->Width() != cx || image->Height() != cy) image = Scaled(*image, cx, cy);
                      auto record = std::make_unique<IconRecord>();
                      record->icon = true;
                      record->image = std::move(image);
                      // Used as a cursor, an icon points with its centre.
                      record->hotSpot = CPoint(cx / 2, cy / 2);
                      return record;
                    });
}

const IconRecord* IconRecordOf(HCURSOR handle) {
  if (!handle) return nullptr;
  IconRecordStore& store = TheIconRecordStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  auto* record = reinterpret_cast<const IconRecord*>(handle);
  return store.known.count(record) ? record : nullptr;
}

}  // namespace gdi
}  // namespace kiv
