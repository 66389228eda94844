// Processes of this machine as the updater needs them: which ones run a
// given program file, asking them to end and making sure they did; the
// path and folder of the running program; and the version compiled into a
// program file.
//
// Paths here are native (UTF-8) paths, as /proc reports them; the program's
// GBK paths go through NativePath first.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/sys/WinTypes.h"

namespace kiv {

struct ProcessInfo {
  pid_t pid = 0;
  // The executable the process runs, exactly as the kernel knows it. A
  // file that was replaced or removed since the process started keeps its
  // old path here (the kernel's " (deleted)" mark is taken off) and
  // `deleted` is set.
  std::string executablePath;
  bool deleted = false;
};

// Every process whose executable this user may read, in /proc order.
// Processes of other users, kernel threads and processes that end during
// the walk are left out.
std::vector<ProcessInfo> EnumerateProcesses();

// The processes whose executable is exactly `nativePath` (after resolving
// symbolic links and relative parts of it). The calling process is never
// among them.
std::vector<pid_t> FindProcessesByExecutable(const std::string& nativePath);

// Ends the processes running `nativePath`: each is sent TERM, given up to
// graceMs to end, then sent KILL; killed processes are given killWaitMs more
// to disappear. A process counts as ended once it is gone or a zombie.
// Before every signal the process's executable is checked again, so a
// process id reused meanwhile by another program is never signalled.
// True when none is left running; the ones that are, in *survivors.
bool TerminateProcessesByExecutable(const std::string& nativePath, DWORD graceMs,
                                    std::vector<pid_t>* survivors = nullptr,
                                    DWORD killWaitMs = 5000);

// The running program's file (/proc/self/exe) and the folder holding it,
// native, the folder without a trailing '/'. Empty when unknown.
std::string ProgramPath();
std::string ProgramFolder();

// A program file's version: four 16-bit numbers, major first.
struct FileVersion {
  WORD major = 0;
  WORD minor = 0;
  WORD build = 0;
  WORD revision = 0;
};

// Reads the version that KIV_PROGRAM_FILE_VERSION compiled into a program
// file. False when the file cannot be read or holds no version.
bool ReadProgramFileVersion(const std::string& nativePath, FileVersion* version);

}  // namespace kiv

// GetModuleFileNameA for the program itself (module null): its path as GBK
// text, cut to size - 1 bytes and terminated; returns the length copied, 0
// on failure. Another module is not supported and gives 0.
DWORD GetModuleFileNameA(void* module, char* buffer, DWORD size);

// Places the program's file version in the program file, where
// ReadProgramFileVersion finds it, also from another program. Use once, at
// namespace scope of one source file of the program, with four decimal
// numbers: KIV_PROGRAM_FILE_VERSION(3, 2, 0, 1). The text is a marker
// followed by "a.b.c.d" and a zero byte.
#define KIV_PROGRAM_FILE_VERSION(a, b, c, d)                                                   \
  extern "C" __attribute__((used, visibility("default"))) const char kivProgramFileVersion[] = \
      "KIVFILEVERSION=" #a "." #b "." #c "." #d
