// Composition of a top-level window's backing store onto another surface
// (the headless screen, a snapshot): its region cuts it, its layered alpha
// blends it, its colour key makes those pixels transparent.
#pragma once

#include "platform/core/WindowSystem.h"
#include "platform/gdi/Surface.h"

namespace kiv {

// Draws top (a top-level window) at `at` in target.
void ComposeTopLevel(gdi::Surface& target, win::Window* top, POINT at);

}  // namespace kiv
