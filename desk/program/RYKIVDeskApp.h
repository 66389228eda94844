// CRYKIVDeskApp: the terminal's application object. InitInstance is the
// whole life of the program: one running copy per user, the global objects
// built at this one place, the login, the user's folders and configuration
// store, the servers handed to the network service, the theme, and then
// the main dialog run modally. When the dialog ends, InitInstance takes the
// program down in a fixed order and returns FALSE (the program ends).
//
// Order at exit: the network service is stopped with its I/O thread joined
// and the server-list thread and login workers waited for, so that nothing
// runs on another thread any more; then every window goes (the main
// dialog's destructor takes its children, the tray icon and its pop-ups);
// then the global objects, in reverse order of construction.
//
// Ownership: main() owns the one object. Everything InitInstance makes
// lives on its stack. UI thread only (the thread that runs main).
#pragma once

#include <string>

#include "platform/sys/WinTypes.h"

class CRYKIVDeskApp {
 public:
  // The single-instance name: the lock and socket a second start finds.
  static constexpr const char* kInstanceName = "KivDesk";

  CRYKIVDeskApp() = default;
  CRYKIVDeskApp(const CRYKIVDeskApp&) = delete;
  CRYKIVDeskApp& operator=(const CRYKIVDeskApp&) = delete;

  // Runs the program; always FALSE. Ended() says how it ended.
  BOOL InitInstance();

  enum class Ending {
    kNotRun,
    kSecondStart,    // another copy runs: it was asked to come forward
    kLoginEnded,     // the login was cancelled or declined
    kMainDialogEnded,
  };
  Ending Ended() const { return ended_; }

 private:
  // Data/ and Data/Config/ under the current folder; the per-user file's
  // path for `userName` (GBK), one file in Data/Config/ whatever was typed.
  static std::string PrepareUserFolders(const std::string& userName);

  Ending ended_ = Ending::kNotRun;
};
