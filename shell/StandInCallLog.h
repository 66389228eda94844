// StandInCallLog: what the shell's stand-ins for windows of the rooms above
// it (StandInCompactWatchList, StandInAdviceDialog) were asked to do, in
// order, so that a test, or a look in the trace of a program whose room is
// missing, can tell that the shell called them as it should. Each entry
// names the stand-in and the call, with the one value the call carried.
//
// Threads: the UI thread only (the stand-ins are windows). The log keeps the
// last kMaxEntries calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct StandInCall {
  std::string what;   // "CompactWatchList::RefreshNames", "AdviceDialog(person)::SetStock", ...
  int64_t value = 0;  // the call's argument, 0 when it has none
};

class StandInCallLog {
 public:
  static constexpr size_t kMaxEntries = 1000;

  static void Record(const std::string& what, int64_t value = 0);
  // The calls in order, oldest first.
  static const std::vector<StandInCall>& Calls();
  // How many calls named `what` the log holds.
  static size_t Count(const std::string& what);
  static void Clear();
};
