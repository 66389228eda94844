// KivUpdate: brings the installed files of the program folder (the current
// folder) up to date from the update server named in its config.ini, then
// starts the main program. Its window stays hidden unless an update needs
// the user; a second copy started meanwhile waits for the first.
//
// Besides the settings, a few environment variables serve the tests that
// run it as a process: KIV_UPDATE_ANSWERS and KIV_UPDATE_PROMPT_LOG
// (ScriptedPrompts.h), KIV_UPDATE_GRACE_MS (from TERM to KILL when the main
// program is ended), and KIV_UPDATE_HOLD with KIV_UPDATE_HOLD_MARKER: at
// that point of the run ("staged", "move 1", ...) the updater writes the
// marker file and waits to be killed.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/backend/SdlDisplay.h"
#include "platform/core/MessageLoop.h"
#include "platform/sys/Processes.h"
#include "res/ResourceTables.h"
#include "updater/KivUpdateDlg.h"
#include "updater/UpdaterIds.h"
#include "updater/program/ScriptedPrompts.h"

KIV_PROGRAM_FILE_VERSION(1, 0, 0, 1);

namespace {

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

kiv::UpdaterOptions OptionsFromEnvironment() {
  kiv::UpdaterOptions options;
  options.programFolder = CurrentFolder();
  options.ownFileName = BaseName(kiv::ProgramPath());
  if (const char* grace = std::getenv("KIV_UPDATE_GRACE_MS")) {
    options.graceMs = static_cast<DWORD>(std::strtoul(grace, nullptr, 10));
  }
  const char* hold = std::getenv("KIV_UPDATE_HOLD");
  const char* marker = std::getenv("KIV_UPDATE_HOLD_MARKER");
  if (hold && marker) {
    const std::string point = hold;
    const std::string markerPath = marker;
    options.testHold = [point, markerPath](const std::string& reached) {
      if (reached != point) return;
      if (std::FILE* file = std::fopen(markerPath.c_str(), "wb")) std::fclose(file);
      for (;;) ::pause();
    };
  }
  return options;
}

}  // namespace

int main() {
  kiv::UseBestDisplay();
  kiv::res::UseUpdaterResources();
  CKivUpdateDlg dialog(OptionsFromEnvironment());
  dialog.SetPromptAnswerer(kiv::ScriptedPromptsFromEnvironment());
  dialog.SetQuitOnDestroy(true);
  if (!dialog.Create(kiv::kIddKivUpdate)) return 1;
  dialog.ShowWindow(SW_HIDE);
  kiv::RunMessageLoop();
  // Closed by the user during a run: the worker is left behind; the moves
  // it may have begun are finished by the next start, from their journal.
  if (dialog.RunStarted() && !dialog.RunFinished()) std::_Exit(0);
  // The run reported its end: its thread has only to return.
  dialog.WaitForRunEnd(5000);
  return 0;
}
