// RYKIVDesk: the terminal. Run in its program folder (the current folder),
// which holds kivdesk.ini (where the operator's services are), system.ini
// and the Data folder it makes. The login settings live in the registry
// store under $XDG_CONFIG_HOME, the single-instance lock and socket under
// $XDG_RUNTIME_DIR.
#include "desk/program/RYKIVDeskApp.h"
#include "shell/DeskVersion.h"

KIV_DESK_FILE_VERSION();

int main() {
  CRYKIVDeskApp app;
  app.InitInstance();
  return 0;
}
