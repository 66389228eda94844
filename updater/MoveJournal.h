// MoveJournal: the updater's record of the renames that put fetched files
// in place, so that an update is never left half done. The files are
// fetched into temp/ first; only when every one of them has arrived is the
// journal written (to a temporary file, synced, then renamed to its name,
// so it is either whole or absent), and then the renames are made in its
// order, the package list data.dat last. A start that finds a journal (the
// updater was ended during the renames) makes the renames that are left,
// then removes it. Each rename can be made again: a staged file that is no
// longer there was moved already.
//
// File layout (text, one line each, fields separated by a tab):
//
//   KIVUPDATE-MOVES 1
//   <mode, octal>\t<staged file>\t<target>       once per file, in order
//   END
//
// Paths are relative to the program folder, '/'-separated, native (UTF-8);
// a staged file lies in temp/. The journal is read as untrusted input: a
// path that is absolute, climbs out with "..", or a staged file outside
// temp/, and any line that is not whole, refuse the whole journal.
//
// Functions on files; one thread at a time per program folder (the
// updater's lock).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// Relative to the program folder.
constexpr char kMoveJournalFile[] = "temp/moves.journal";

struct PlannedMove {
  unsigned mode = 0644;  // permission bits the target gets
  std::string from;      // staged file, "temp/..."
  std::string to;        // target
};

std::string MoveJournalText(const std::vector<PlannedMove>& moves);
// False for anything but a whole journal of sound paths.
bool ParseMoveJournal(std::string_view text, std::vector<PlannedMove>* moves);

// Writes the journal into the program folder, durably.
bool WriteMoveJournal(const std::string& programFolder, const std::vector<PlannedMove>& moves);

// What finishing a journal came to.
enum class JournalOutcome {
  kNone,       // no journal: nothing was left to do
  kFinished,   // every rename made; the journal is gone
  kFailed,     // a rename failed; the journal stays for the next start
  kUnreadable, // a journal that is not whole or names unsound paths: removed, nothing moved
};

// Called with the index of each move before it is made (a test holds the
// updater there, to end it in the middle of the renames).
using BeforeMove = std::function<void(size_t index)>;

// Makes the renames of moves in order, giving each target its mode, and
// syncs the folders they were made in. True when every move is made or was
// made before; a rename that fails stops the rest, so data.dat (last) is
// never put in place before every file it lists. The journal is not
// touched.
bool ApplyMoves(const std::string& programFolder, const std::vector<PlannedMove>& moves,
                const BeforeMove& beforeMove = nullptr);

// Removes the journal once its moves are made, durably.
void RemoveMoveJournal(const std::string& programFolder);

// Finishes the journal left in the program folder, if any.
JournalOutcome FinishMoveJournal(const std::string& programFolder);

}  // namespace kiv
