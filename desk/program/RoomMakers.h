// RegisterRoomMakers: fills the shell's plug-in table with the makers of
// the windows of the rooms above the shell (chart, panes, lists, advisory).
// The program is the one place that sees every room; a room's windows are
// registered here once the room exists, and until then the shell shows its
// dark stand-in pages in their place.
//
// The makers hold the program's global objects, which outlive every window
// they make. UI thread, at start-up, before the main dialog is made.
#pragma once

#include "data/GlobalObjects.h"
#include "shell/ShellPlugins.h"

void RegisterRoomMakers(ShellPlugins& plugins, kiv::KivGlobalObjects& globals);
