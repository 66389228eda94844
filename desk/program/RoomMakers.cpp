#include "desk/program/RoomMakers.h"

void RegisterRoomMakers(ShellPlugins& plugins) {
  // No room above the shell offers a window of its own to the shell yet:
  // every page is the shell's stand-in, which the table's makers give when
  // nothing is registered.
  (void)plugins;
}
