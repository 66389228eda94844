// Window regions: the shape of a window, which clips its painting and its
// hit-testing (and, on screen, what is shown of it).
#include "platform/core/Display.h"
#include "platform/core/WindowSystem.h"
#include "platform/gdi/GdiData.h"
#include "platform/gdi/Rgn.h"

namespace kiv {
namespace win {

gdi::Region RegionFromHandle(HRGN region) {
  if (!region) return gdi::Region();
  return region->region;
}

}  // namespace win
}  // namespace kiv

using kiv::win::Get;
using kiv::win::Window;

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  Window* w = Get(hwnd);
  if (!w) return 0;
  bool wasVisible = w->Visible();
  kiv::win::Footprint before = kiv::win::TakeFootprint(w);
  w->hasRegion = region != nullptr;
  w->region = kiv::win::RegionFromHandle(region);
  kiv::win::RepaintUncovered(w, before);
  // The window owns the region from now on: a handle the program detached
  // into the handle table is freed here, as Windows frees it later.
  if (region) ::DeleteObject(region);
  if (wasVisible && redraw) kiv::win::InvalidateTree(w, true);
  if (!w->IsChild()) kiv::CurrentDisplay().TopLevelChanged(hwnd);
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
  Window* w = Get(hwnd);
  if (!w || !region || !w->hasRegion) return ERROR;
  region->region = w->region;
  return w->region.Kind();
}
