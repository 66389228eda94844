// Whether a window's painting is held by WM_SETREDRAW FALSE: for controls
// that keep their own changes from invalidating while redraw is off and
// invalidate once when it returns. Any thread may ask.
#pragma once

struct HWND__;
typedef HWND__* HWND;

namespace kiv {

// False while WM_SETREDRAW FALSE holds the window's painting, and for a
// handle that is no window.
bool IsRedrawOn(HWND hwnd);

}  // namespace kiv
