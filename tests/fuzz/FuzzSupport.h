// What the fuzz targets share: a check that stops the run where an
// invariant breaks, and a scratch file for targets that must go through one.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kiv::fuzz {

// Ends the run at once, so that libFuzzer keeps the input that broke it.
inline void Check(bool condition) {
  if (!condition) std::abort();
}

// In TMPDIR, else in memory where the system offers it: tables flush to
// their file, which a disk would turn into a sync per input. One file a
// process, named by the target's stem.
inline std::string ScratchFile(const char* stem) {
  const char* tmp = std::getenv("TMPDIR");
  const char* folder = tmp ? tmp : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(folder) + "/fuzz-" + stem + "-" + std::to_string(::getpid()) + ".dat";
}

}  // namespace kiv::fuzz
