// Composition of a top-level window's backing store onto another surface
// (the headless screen, a snapshot): its region cuts it, its layered alpha
// blends it, its colour key makes those pixels transparent.
#pragma once

#include <memory>

#include "platform/core/WindowSystem.h"
#include "platform/gdi/Surface.h"

namespace kiv {

// Draws top (a top-level window) at `at` in target.
void ComposeTopLevel(gdi::Surface& target, win::Window* top, POINT at);

// The screen as the program's own windows make it: every shown top-level
// window from the bottom up on black, `size` pixels (the screen's).
std::unique_ptr<gdi::Surface> ComposeOwnWindows(CSize size);

}  // namespace kiv
