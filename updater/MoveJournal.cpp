#include "updater/MoveJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <sstream>

#include "platform/sys/AtomicFile.h"

namespace kiv {

namespace {

constexpr char kJournalHead[] = "KIVUPDATE-MOVES 1";
constexpr char kJournalEnd[] = "END";
// A journal lists one line per file of an update: a few hundred at most.
constexpr size_t kMaxJournalBytes = size_t(8) << 20;

// Relative, '/'-separated, without empty, "." or ".." steps and without
// control bytes (a tab or line break would end its field).
bool IsSoundRelativePath(std::string_view path) {
  if (path.empty() || path.front() == '/') return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view step = path.substr(start, end - start);
    if (step.empty() || step == "." || step == "..") return false;
    start = end + 1;
  }
  for (char c : path) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

std::string Join(const std::string& folder, const std::string& relative) { return folder + "/" + relative; }

std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::string MoveJournalText(const std::vector<PlannedMove>& moves) {
  std::string text = std::string(kJournalHead) + "\n";
  for (const PlannedMove& move : moves) {
    char mode[16];
    std::snprintf(mode, sizeof mode, "%o", move.mode & 07777u);
    text += std::string(mode) + "\t" + move.from + "\t" + move.to + "\n";
  }
  return text + kJournalEnd + "\n";
}

bool ParseMoveJournal(std::string_view text, std::vector<PlannedMove>* moves) {
  moves->clear();
  std::vector<PlannedMove> read;
  size_t at = 0;
  auto nextLine = [&](std::string_view* line) {
    const size_t end = text.find('\n', at);
    if (end == std::string_view::npos) return false;  // a line without its end is not whole
    *line = text.substr(at, end - at);
    at = end + 1;
    return true;
  };
  std::string_view line;
  if (!nextLine(&line) || line != kJournalHead) return false;
  for (;;) {
    if (!nextLine(&line)) return false;
    if (line == kJournalEnd) break;
    const size_t tab1 = line.find('\t');
    const size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos || line.find('\t', tab2 + 1) != std::string_view::npos) return false;
    const std::string_view modeText = line.substr(0, tab1);
    if (modeText.empty() || modeText.size() > 4) return false;
    unsigned mode = 0;
    for (char c : modeText) {
      if (c < '0' || c > '7') return false;
      mode = mode * 8 + static_cast<unsigned>(c - '0');
    }
    PlannedMove move;
    move.mode = mode;
    move.from = std::string(line.substr(tab1 + 1, tab2 - tab1 - 1));
    move.to = std::string(line.substr(tab2 + 1));
    if (!IsSoundRelativePath(move.from) || !IsSoundRelativePath(move.to) || move.from.rfind("temp/", 0) != 0) {
      return false;
    }
    read.push_back(std::move(move));
  }
  if (at != text.size()) return false;
  *moves = std::move(read);
  return true;
}

bool WriteMoveJournal(const std::string& programFolder, const std::vector<PlannedMove>& moves) {
  const std::string path = Join(programFolder, kMoveJournalFile);
  if (!ReplaceFileAtomically(path, MoveJournalText(moves), 0644)) return false;
  SyncFolder(ParentOf(path));  // the rename that made it is durable too
  return true;
}

bool ApplyMoves(const std::string& programFolder, const std::vector<PlannedMove>& moves,
                const BeforeMove& beforeMove) {
  bool ok = true;
  std::set<std::string> touched;
  for (size_t i = 0; i < moves.size(); ++i) {
    if (beforeMove) beforeMove(i);
    const PlannedMove& move = moves[i];
    const std::string from = Join(programFolder, move.from);
    const std::string to = Join(programFolder, move.to);
    if (!Exists(from)) {
      // Moved by an earlier, interrupted run: the target is there.
      if (Exists(to)) continue;
      ok = false;
      break;
    }
    CreateFolders(ParentOf(to), 0755);
    if (::chmod(from.c_str(), static_cast<mode_t>(move.mode & 07777u)) != 0 || ::rename(from.c_str(), to.c_str()) != 0) {
      // Stop here: what follows (data.dat last of all) must not say that
      // this file is installed.
      ok = false;
      break;
    }
    touched.insert(ParentOf(to));
  }
  for (const std::string& folder : touched) SyncFolder(folder);
  return ok;
}

void RemoveMoveJournal(const std::string& programFolder) {
  const std::string path = Join(programFolder, kMoveJournalFile);
  ::unlink(path.c_str());
  SyncFolder(ParentOf(path));
}

JournalOutcome FinishMoveJournal(const std::string& programFolder) {
  const std::string path = Join(programFolder, kMoveJournalFile);
  std::string text;
  bool cut = false;
  if (!ReadWholeFile(path, &text, kMaxJournalBytes, &cut)) return JournalOutcome::kNone;
  std::vector<PlannedMove> moves;
  if (cut || !ParseMoveJournal(text, &moves)) {
    RemoveMoveJournal(programFolder);
    return JournalOutcome::kUnreadable;
  }
  if (!ApplyMoves(programFolder, moves)) return JournalOutcome::kFailed;
  RemoveMoveJournal(programFolder);
  return JournalOutcome::kFinished;
}

}  // namespace kiv
