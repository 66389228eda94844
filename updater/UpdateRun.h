// RunUpdate: KivUpdate's whole update run, on its worker thread, from the
// settings to the start of the main program:
//
//   1. finish the renames an interrupted run left (its journal);
//   2. the settings; unusable: a notice, and nothing is started;
//   3. the package lists; a failed or bad list: a notice and the installed
//      program starts; up to date: it starts without a notice;
//   4. the server's config.ini into temp/;
//   5. the update prompt: mandatory (OK/Cancel, Cancel starts nothing) when
//      the installed config.ini's mustup is 1, else optional (Yes/No, No
//      starts the installed program);
//   6. the window is shown; running copies of the main program are ended
//      after a countdown question (Cancel starts nothing; a copy that will
//      not end stops the run with a notice, and nothing is started);
//   7. every file of the update is fetched into temp/, three tries each
//      (the runtime libraries once, and their failure does not stop the
//      run); a file that fails stops the run with a notice naming it, and
//      the installed program starts, untouched;
//   8. the fetched files are put in place, data.dat last; a notice, and the
//      new program starts.
// The main program is fetched first whenever it is missing before a start.
//
// Threads: the caller's worker thread; the host carries everything to the
// window (UpdateHost.h).
#pragma once

#include "updater/KivUpdater.h"
#include "updater/UpdateHost.h"

namespace kiv {

void RunUpdate(CKivUpdater& engine, UpdateHost& host);

// The prompt that asks to end the running main program, naming it.
std::string CloseProgramPrompt(const std::string& gbkDisplayName);

}  // namespace kiv
