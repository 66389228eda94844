#include "updater/UpdateRun.h"

#include <string>
#include <vector>

#include "platform/ui/UiTypes.h"
#include "updater/UpdaterIds.h"
#include "updater/format/UpdatePaths.h"

namespace kiv {

namespace {

constexpr int kTriesPerFile = 3;

// Fetches the main program when the folder lacks it, with the window shown
// meanwhile.
void EnsureMainProgram(CKivUpdater& engine, UpdateHost& host) {
  if (engine.FindFileInFolder(engine.Config().name)) return;
  host.ShowProgress(true);
  host.SetStatusText(kUpdateFetchingProgram + engine.Config().name);
  engine.DownloadMainProgram();
  host.SetTotalBar(kUpdateBarWidth);
  host.SetStatusText(std::string());
  host.ShowProgress(false);
}

void StartInstalledProgram(CKivUpdater& engine, UpdateHost& host) {
  EnsureMainProgram(engine, host);
  engine.StartMainProgram();
}

void Notice(UpdateHost& host, const std::string& text) { host.Countdown(text, kUpdateNoticeSeconds, 1); }

// 1: nothing runs any more; 0: the user kept it running; -1: a copy would
// not end.
int ConfirmCloseRunningProgram(CKivUpdater& engine, UpdateHost& host) {
  if (engine.FindRunningProcesses().empty()) return 1;
  if (host.Countdown(CloseProgramPrompt(engine.DisplayName()), kUpdateClosePromptSeconds, 2) != IDOK) return 0;
  return engine.TerminateProcesses() == -1 ? -1 : 1;
}

}  // namespace

std::string CloseProgramPrompt(const std::string& gbkDisplayName) {
  const std::string q = "\"";
  return "程序检测到您的 " + q + gbkDisplayName + q + " 正在运行中，无法继续更新！\n\n确定：自动关闭 " + q +
         gbkDisplayName + q + " 继续更新。\n\n取消：关闭升级程序，结束此次更新。";
}

void RunUpdate(CKivUpdater& engine, UpdateHost& host) {
  if (engine.FinishInterruptedMoves() == JournalOutcome::kFailed) {
    // The installation is between two versions until those renames are
    // made: fetching more into temp/ now would only add to it.
    if (engine.ReadConfig() == 0) {
      Notice(host, kUpdateMovesFailedNotice);
      engine.StartMainProgram();
    }
    return;
  }
  if (engine.ReadConfig() == -1) {
    Notice(host, kUpdateBadConfigNotice);
    return;
  }
  const int check = engine.CheckForUpdates();
  if (check == -1) {
    Notice(host, "\n" + engine.LastError());
    engine.DiscardStaging();
    StartInstalledProgram(engine, host);
    return;
  }
  if (check == 0) {
    engine.DiscardStaging();
    StartInstalledProgram(engine, host);
    return;
  }

  engine.DownloadPackageList(kConfigFile);
  if (UpdaterConfigInt(engine.MustUp()) == 1) {
    if (host.Ask(kUpdateMandatoryPrompt, kUpdatePromptCaption, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDCANCEL) {
      engine.DiscardStaging();
      return;
    }
  } else if (host.Ask(kUpdateOptionalPrompt, kUpdatePromptCaption, MB_YESNO | MB_ICONEXCLAMATION) == IDNO) {
    engine.DiscardStaging();
    StartInstalledProgram(engine, host);
    return;
  }

  host.ShowProgress(true);
  const int closed = ConfirmCloseRunningProgram(engine, host);
  if (closed != 1) {
    if (closed == -1) Notice(host, kUpdateStillRunningHead + engine.DisplayName() + kUpdateStillRunningTail);
    engine.DiscardStaging();
    return;
  }

  const std::vector<PackageRecord> updates = engine.UpdateList();
  const size_t n = updates.size();
  std::vector<PackageRecord> notInstalled;
  for (size_t i = 1; i <= n; ++i) {
    const PackageRecord& record = updates[i - 1];
    host.SetStatusText(kUpdateProgressText + std::to_string(i) + "/" + std::to_string(n) + "   " + record.name);
    host.SetFileBar(0);
    // A name or dir that would leave the program folder fails the run as a
    // failed download does, without asking the server for it.
    std::string relative;
    bool done = false;
    for (int attempt = 0; attempt < kTriesPerFile && !done && RecordRelativePath(record, &relative); ++attempt) {
      if (engine.DownloadFile(record)) {
        done = true;
      } else if (CKivUpdater::IsRuntimeLibrary(record.name)) {
        // Held loaded by the updater itself where it came from: one try,
        // and the run goes on without it.
        notInstalled.push_back(record);
        done = true;
      }
    }
    if (!done) {
      host.SetStatusText(kUpdateFailedStatus);
      Notice(host, kUpdateFileFailedHead + record.name + kUpdateFileFailedTail);
      engine.DiscardStaging();
      StartInstalledProgram(engine, host);
      return;
    }
    host.SetFileBar(kUpdateBarWidth);
    host.SetTotalBar(static_cast<int>(static_cast<double>(kUpdateBarWidth) / static_cast<double>(n) *
                                      static_cast<double>(i)));
  }

  if (!engine.CommitUpdate(notInstalled)) {
    host.SetStatusText(kUpdateFailedStatus);
    Notice(host, kUpdateMovesFailedNotice);
    engine.StartMainProgram();
    return;
  }
  host.SetStatusText(kUpdateDoneStatus);
  Notice(host, kUpdateDoneNotice);
  StartInstalledProgram(engine, host);
}

}  // namespace kiv
