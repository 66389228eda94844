#include "updater/KivUpdater.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <utility>

#include "platform/core/WinUser.h"
#include "platform/net/HttpTransport.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/CodePage.h"
#include "platform/sys/Files.h"
#include "platform/sys/GbkText.h"
#include "platform/sys/Processes.h"
#include "platform/sys/Shell.h"
#include "platform/sys/Trace.h"
#include "updater/UpdaterIds.h"
#include "updater/format/UpdatePaths.h"

namespace kiv {

namespace {

// config.ini is a few hundred bytes; a larger one is damage.
constexpr size_t kMaxConfigBytes = size_t(1) << 20;

std::string ParentFolder(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool SyncFile(const std::string& nativePath) {
  const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The first bytes of a file.
std::string FileHead(const std::string& nativePath, size_t bytes) {
  std::string head;
  ReadWholeFile(nativePath, &head, bytes);
  return head;
}

// The entry of `folder` whose GBK name equals `gbkName` without regard to
// ASCII case, native; empty when there is none.
std::string EntryNamed(const std::string& folder, const std::string& gbkName) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return std::string();
  std::string found;
  while (dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (EqualsNoCaseGbk(Utf8ToGbk(name), gbkName)) {
      found = name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

bool SameFileName(const std::string& gbkA, const std::string& gbkB) { return EqualsNoCaseGbk(gbkA, gbkB); }

}  // namespace

CKivUpdater::CKivUpdater(UpdaterOptions options) : options_(std::move(options)) {}

std::string CKivUpdater::Native(const std::string& relativeGbk) const {
  return options_.programFolder + "/" + NativePath(relativeGbk);
}

int CKivUpdater::ReadConfig() {
  std::string text;
  bool cut = false;
  ReadWholeFile(Native(kConfigFile), &text, kMaxConfigBytes, &cut);
  if (cut) text.clear();
  std::string badKey;
  if (ReadUpdaterConfig(text, &config_, &badKey) != 0) {
    KivTrace("updater: config.ini unusable at key %s\n", badKey.c_str());
    return -1;
  }
  return 0;
}

std::string CKivUpdater::DisplayName() const {
  return config_.cName.empty() ? std::string(kUpdateDefaultCName) : config_.cName;
}

std::string CKivUpdater::MustUp() const {
  std::string text;
  bool cut = false;
  ReadWholeFile(Native(kConfigFile), &text, kMaxConfigBytes, &cut);
  return cut ? std::string() : UpdaterConfigValue(text, "mustup");
}

void CKivUpdater::LoadPackageList(int source) {
  std::vector<PackageRecord>& target = source == 0 ? installed_ : current_;
  target.clear();
  const std::string path = source == 0 ? Native(kInstalledListFile) : Native(std::string(kTempFolder) + "/" + config_.dataName);
  std::string file;
  bool cut = false;
  if (!ReadWholeFile(path, &file, kMaxPackageFileBytes, &cut) || cut) return;
  const PackageListStatus status = ReadPackageList(file, config_.type, &target);
  if (status != PackageListStatus::kOk) {
    KivTrace("updater: %s list refused: %s\n", source == 0 ? "installed" : "downloaded", PackageListStatusName(status));
  }
}

int CKivUpdater::CheckForUpdates() {
  LoadPackageList(0);
  for (int pass = 0; pass < 3; ++pass) {
    if (!DownloadPackageList(config_.dataName)) {
      lastError_ = kUpdateListDownloadFailed;
      return -1;
    }
    LoadPackageList(1);
    if (!current_.empty()) break;
  }
  if (current_.empty()) {
    lastError_ = kUpdateListBad;
    return -1;
  }
  DiffPackageLists(installed_, current_, &updates_);
  if (updates_.empty()) {
    lastError_ = kUpdateUpToDate;
    return 0;
  }
  return 1;
}

bool CKivUpdater::Fetch(const std::string& url, const std::string& nativePath, size_t floorBytes) const {
  CreateFolders(ParentFolder(nativePath), 0755);
  const HttpTransportResult got = HttpTransportGetToFile(url, nativePath);
  struct stat info;
  const bool whole = got.received && got.complete && got.status == 200;
  const bool ok = whole && ::stat(nativePath.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                  static_cast<uint64_t>(info.st_size) > floorBytes && SyncFile(nativePath);
  if (!ok) {
    KivTrace("updater: %s failed (status %ld, %s%s)\n", url.c_str(), got.status, whole ? "short" : "cut",
             got.errorText.empty() ? "" : (", " + got.errorText).c_str());
    ::unlink(nativePath.c_str());
  }
  return ok;
}

int CKivUpdater::DownloadPackageList(const std::string& gbkFile) {
  if (!IsBareFileName(gbkFile)) return 0;
  return Fetch(FileUrl(config_.addr, gbkFile), Native(std::string(kTempFolder) + "/" + gbkFile),
               kPackageListFloorBytes)
             ? 1
             : 0;
}

bool CKivUpdater::IsRuntimeLibrary(const std::string& gbkName) {
  return SameFileName(gbkName, "mfc100.dll") || SameFileName(gbkName, "msvcp100.dll") ||
         SameFileName(gbkName, "msvcr100.dll");
}

int CKivUpdater::DownloadFile(const PackageRecord& record) {
  std::string relative;
  std::string reason;
  if (!RecordRelativePath(record, &relative, &reason)) {
    KivTrace("updater: record refused: %s\n", reason.c_str());
    return 0;
  }
  const std::string staged = std::string(kStagingFolder) + "/" + relative;
  if (!Fetch(RecordUrl(config_.addr, record), Native(staged), kFileFloorBytes)) return 0;
  for (auto& entry : staged_) {
    if (entry.second == relative) {
      entry.first = record;  // fetched again: the same staged file
      return 1;
    }
  }
  staged_.emplace_back(record, relative);
  return 1;
}

unsigned CKivUpdater::ModeFor(const PackageRecord& record, const std::string& stagedPath,
                              const std::string& targetPath) const {
  struct stat info;
  if (::stat(targetPath.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777u;
  const bool program = SameFileName(record.name, config_.name) || SameFileName(record.name, kUpdaterFile) ||
                       (!options_.ownFileName.empty() && SameFileName(record.name, Utf8ToGbk(options_.ownFileName)));
  const std::string head = FileHead(stagedPath, 4);
  const bool executable = head == "\x7F" "ELF" || StartsWith(head, "#!");
  return program || executable ? 0755u : 0644u;
}

int CKivUpdater::CommitUpdate(const std::vector<PackageRecord>& notInstalled) {
  std::vector<PlannedMove> moves;
  for (const auto& entry : staged_) {
    // A target is the installed file of that name whatever its letter case,
    // as the identity of records is: a new spelling never leaves the old
    // file beside it.
    std::string folder = options_.programFolder;
    std::string target;
    const std::string relative = entry.second;
    size_t start = 0;
    while (start < relative.size()) {
      size_t slash = relative.find('/', start);
      if (slash == std::string::npos) slash = relative.size();
      const std::string step = relative.substr(start, slash - start);
      std::string native = NativePath(step);
      struct stat info;
      if (::lstat((folder + "/" + native).c_str(), &info) != 0) {
        const std::string existing = EntryNamed(folder, step);
        if (!existing.empty()) native = existing;
      }
      folder += "/" + native;
      target += (target.empty() ? "" : "/") + native;
      start = slash + 1;
    }
    PlannedMove move;
    move.from = std::string(kStagingFolder) + "/" + NativePath(relative);
    move.to = target;
    move.mode = ModeFor(entry.first, options_.programFolder + "/" + move.from, options_.programFolder + "/" + target);
    moves.push_back(move);
  }

  // data.dat last: the downloaded list itself, or, when some records were
  // not installed, the list with their installed entries kept.
  PlannedMove list;
  list.to = kInstalledListFile;
  list.from = std::string(kTempFolder) + "/" + NativePath(config_.dataName);
  if (!notInstalled.empty()) {
    std::vector<PackageRecord> kept;
    for (const PackageRecord& record : current_) {
      bool skipped = false;
      for (const PackageRecord& missing : notInstalled) {
        skipped = skipped || PackageIdentityKey(missing) == PackageIdentityKey(record);
      }
      if (!skipped) {
        kept.push_back(record);
        continue;
      }
      for (const PackageRecord& old : installed_) {
        if (PackageIdentityKey(old) == PackageIdentityKey(record)) {
          kept.push_back(old);
          break;
        }
      }
    }
    std::string file;
    if (!WritePackageList(kept, config_.type, &file) ||
        !ReplaceFileAtomically(options_.programFolder + "/" + kStagedInstalledList, file, 0644)) {
      return 0;
    }
    list.from = kStagedInstalledList;
  }
  struct stat info;
  list.mode = ::stat(Native(kInstalledListFile).c_str(), &info) == 0 ? (info.st_mode & 07777u) : 0644u;
  moves.push_back(list);

  if (options_.testHold) options_.testHold("staged");
  if (!WriteMoveJournal(options_.programFolder, moves)) return 0;
  const bool moved = ApplyMoves(options_.programFolder, moves, [this](size_t index) {
    if (options_.testHold) options_.testHold("move " + std::to_string(index));
  });
  if (!moved) return 0;
  RemoveMoveJournal(options_.programFolder);
  staged_.clear();
  DiscardStaging();
  return 1;
}

void CKivUpdater::DiscardStaging() {
  std::error_code ignored;
  std::filesystem::remove_all(options_.programFolder + "/" + kStagingFolder, ignored);
  std::filesystem::remove(options_.programFolder + "/" + kStagedInstalledList, ignored);
  if (IsBareFileName(config_.dataName)) {
    std::filesystem::remove(Native(std::string(kTempFolder) + "/" + config_.dataName), ignored);
  }
  staged_.clear();
}

JournalOutcome CKivUpdater::FinishInterruptedMoves() {
  const JournalOutcome outcome = FinishMoveJournal(options_.programFolder);
  if (outcome == JournalOutcome::kFailed) {
    KivTrace("updater: the moves of an interrupted update could not all be made\n");
    return outcome;
  }
  if (outcome == JournalOutcome::kUnreadable) KivTrace("updater: an unreadable move journal was dropped\n");
  DiscardStaging();  // what a run ended before its journal left behind
  return outcome;
}

std::vector<pid_t> CKivUpdater::FindRunningProcesses() const {
  return FindProcessesByExecutable(Native(config_.name));
}

int CKivUpdater::TerminateProcesses() {
  std::vector<pid_t> survivors;
  if (TerminateProcessesByExecutable(Native(config_.name), options_.graceMs, &survivors)) return 0;
  KivTrace("updater: %zu process(es) of %s did not end\n", survivors.size(), Native(config_.name).c_str());
  return -1;
}

int CKivUpdater::FindFileInFolder(const std::string& gbkName) const {
  const std::string entry = EntryNamed(options_.programFolder, gbkName);
  struct stat info;
  return !entry.empty() && ::stat((options_.programFolder + "/" + entry).c_str(), &info) == 0 &&
                 S_ISREG(info.st_mode)
             ? 1
             : 0;
}

int CKivUpdater::DownloadMainProgram() {
  const std::string staged = Native(std::string(kTempFolder) + "/" + config_.name);
  if (!Fetch(FileUrl(config_.addr, config_.name), staged, kFileFloorBytes)) return 0;
  const std::string target = Native(config_.name);
  if (::chmod(staged.c_str(), 0755) != 0 || ::rename(staged.c_str(), target.c_str()) != 0) {
    ::unlink(staged.c_str());
    return 0;
  }
  return 1;
}

bool CKivUpdater::StartMainProgram() {
  const std::string folder = Utf8ToGbk(options_.programFolder);
  const std::string path = folder + "/" + config_.name;
  if (options_.startProgram) return options_.startProgram(path, folder);
  const intptr_t result = ShellResultCode(ShellExecuteA(nullptr, "open", path.c_str(), nullptr, folder.c_str(), SW_SHOW));
  if (result <= 32) KivTrace("updater: %s did not start (%ld)\n", options_.programFolder.c_str(), static_cast<long>(result));
  return result > 32;
}

}  // namespace kiv
