#include "shell/StandInCallLog.h"

#include <algorithm>

namespace {

std::vector<StandInCall>& StandInEntries() {
  static std::vector<StandInCall> entries;
  return entries;
}

}  // namespace

void StandInCallLog::Record(const std::string& what, int64_t value) {
  std::vector<StandInCall>& entries = StandInEntries();
  if (entries.size() >= kMaxEntries) entries.erase(entries.begin());
  entries.push_back(StandInCall{what, value});
}

const std::vector<StandInCall>& StandInCallLog::Calls() { return StandInEntries(); }

size_t StandInCallLog::Count(const std::string& what) {
  const std::vector<StandInCall>& entries = StandInEntries();
  return static_cast<size_t>(
      std::count_if(entries.begin(), entries.end(), [&](const StandInCall& c) { return c.what == what; }));
}

void StandInCallLog::Clear() { StandInEntries().clear(); }
