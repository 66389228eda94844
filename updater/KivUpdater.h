// CKivUpdater: the updater's engine, the non-visual half of KivUpdate. It
// reads the settings in config.ini, fetches the current package list and
// compares it with the installed one, fetches the files of the update,
// puts them in place, ends the running main program and starts it.
//
// Nothing it fetches touches the installation until all of it has arrived:
//   - every download goes into temp/ of the program folder and counts only
//     with status 200, the whole announced length and more than the floor
//     (20 bytes for the package list, 10 for a file); it is synced to disk;
//   - a record whose name or dir would leave the program folder (or land
//     on data.dat or in temp/) is refused like a failed download;
//   - only when every file has arrived are they renamed into place, in the
//     order of a journal written first (MoveJournal.h), data.dat last, so a
//     start after a crash finishes what was begun and nothing is marked
//     current that was not installed.
// A replaced file keeps its permission bits; a new one is executable when
// it is the main program, the updater, or an ELF or "#!" file. The updater's
// own file is replaced by rename like any other (the running copy keeps
// its old file), so nothing waits for a restart of the machine.
//
// Paths: the program folder is given (the program passes its current
// folder), native; names from lists and config.ini are GBK and converted.
//
// Ownership: the run (UpdateRun.h) owns the engine for its worker thread;
// no other thread may call it. It takes no locks; the updater's lock file
// keeps two updaters off one folder.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/sys/WinTypes.h"
#include "updater/MoveJournal.h"
#include "updater/format/PackageList.h"
#include "updater/format/UpdaterConfig.h"

namespace kiv {

// The bytes of a download at or below which it counts as failed: an error
// page or an empty reply is short.
constexpr size_t kPackageListFloorBytes = 20;
constexpr size_t kFileFloorBytes = 10;

// Where fetched files wait in temp/ for the renames.
constexpr char kStagingFolder[] = "temp/staged";
// data.dat as it will be, when it cannot be the downloaded list itself.
constexpr char kStagedInstalledList[] = "temp/data.dat.new";

struct UpdaterOptions {
  std::string programFolder;  // native, without a trailing '/'
  // The updater's own program file name, which it knows itself by besides
  // "KivUpdate.exe".
  std::string ownFileName;
  // From TERM to KILL when the main program is ended.
  DWORD graceMs = 5000;
  // Starts a program file (GBK path) with the program folder as its
  // folder; true when started. ShellExecute "open" unless a test sets it.
  std::function<bool(const std::string& gbkPath, const std::string& gbkFolder)> startProgram;
  // Called with "staged" once every file has arrived and before the journal
  // is written, and with "move <i>" before the i-th rename: a test holds
  // the updater there to end it.
  std::function<void(const std::string& point)> testHold;
};

class CKivUpdater {
 public:
  explicit CKivUpdater(UpdaterOptions options);

  // The settings, read in the order CName, Name, Addr, dataName, conName,
  // Type: -1 at the first required key that is missing or unusable, else 0.
  int ReadConfig();
  const UpdaterConfig& Config() const { return config_; }
  // CName, or "远澜自动升级" when it is empty.
  std::string DisplayName() const;
  // The installed config.ini's mustup (read anew).
  std::string MustUp() const;

  // -1 with LastError set ("配置文件下载失败！" when the list could not be
  // fetched, "配置文件错误！" when three fetched lists held no records), 0
  // when up to date ("当前版本已是最新。"), 1 when UpdateList() is not empty.
  int CheckForUpdates();
  const std::string& LastError() const { return lastError_; }
  const std::vector<PackageRecord>& UpdateList() const { return updates_; }
  const std::vector<PackageRecord>& InstalledList() const { return installed_; }

  // Fetches <Addr>/<file> to temp/<file>: 1 or 0.
  int DownloadPackageList(const std::string& gbkFile);
  // Fetches one record's file into the staging folder: 1 or 0 (a refused
  // name or dir too, without asking the server).
  int DownloadFile(const PackageRecord& record);
  // The runtime libraries the updater itself holds loaded: tried once, and
  // a failure does not stop the run.
  static bool IsRuntimeLibrary(const std::string& gbkName);

  // Puts every staged record in place through the journal, data.dat last.
  // notInstalled: records of the update list that were not fetched (a
  // runtime library that failed); data.dat keeps their installed entries.
  // 1, or 0 when a rename failed (the journal stays for the next start).
  int CommitUpdate(const std::vector<PackageRecord>& notInstalled);
  // Removes what an unfinished run left in temp/ (staged files, lists).
  void DiscardStaging();
  // Finishes a journal an interrupted run left; call first thing.
  JournalOutcome FinishInterruptedMoves();

  // Processes running exactly <program folder>/<Name>.
  std::vector<pid_t> FindRunningProcesses() const;
  // Ends them: TERM, the grace period, KILL. 0, or -1 when one survives.
  int TerminateProcesses();

  // 1 when the program folder holds a file of this name (ASCII case
  // ignored), else 0.
  int FindFileInFolder(const std::string& gbkName) const;
  // Fetches the main program into place when it is missing: 1 or 0.
  int DownloadMainProgram();
  // Starts <program folder>/<Name>; true when it started.
  bool StartMainProgram();

  const std::string& ProgramFolder() const { return options_.programFolder; }

 private:
  std::string Native(const std::string& relativeGbk) const;
  // GET url into the native path: status 200, the whole body, more than
  // floorBytes; synced. The file is removed on failure.
  bool Fetch(const std::string& url, const std::string& nativePath, size_t floorBytes) const;
  void LoadPackageList(int source);
  unsigned ModeFor(const PackageRecord& record, const std::string& stagedPath, const std::string& targetPath) const;

  UpdaterOptions options_;
  UpdaterConfig config_;
  std::string lastError_;
  std::vector<PackageRecord> installed_;
  std::vector<PackageRecord> current_;
  std::vector<PackageRecord> updates_;
  // Records staged by DownloadFile: (record, relative target), in order.
  std::vector<std::pair<PackageRecord, std::string>> staged_;
};

}  // namespace kiv
