// ShellExecute "open": hands a document or URL to the desktop's default
// application through xdg-open, or starts a program file directly (as the
// Windows shell does with a program). The started process runs detached, in
// a session of its own, and outlives the program.
//
// What is reported: the opener is given a short time (ShellWaitMs, 2 s by
// default) to finish. xdg-open hands the document over and exits at once,
// so its exit status is known within that time: 0 is success, any other
// status an error. An opener still running when the time is up counts as
// started (an application running in its place); it is collected by a
// thread of its own when it ends. A program file started directly is
// reported started once it has been executed.
//
// Results keep the Windows convention: a value above 32 is success, 32 or
// less an error code:
//   SE_ERR_FNF (2)            the file does not exist
//   SE_ERR_PNF (3)            the working folder does not exist
//   SE_ERR_ACCESSDENIED (5)   the file or folder may not be used
//   SE_ERR_NOASSOC (31)       nothing could open it: the opener is missing,
//                             failed, or the verb is not "open"
#pragma once

#include <string>
#include <vector>

#include "platform/sys/WinTypes.h"

struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;

constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_NOASSOC = 31;

// verb "open" or null; file: GBK path (relative to folder when given, else
// to the current folder) or URL ("scheme://..." or "mailto:..."); params: for
// a program file, arguments separated by blanks (no quoting); folder: the
// started process's working folder (GBK), null for the current one. The
// window and show state are accepted and ignored.
HINSTANCE ShellExecuteA(HWND window, const char* verb, const char* file, const char* params,
                        const char* folder, int showCommand);

namespace kiv {

// The numeric result of ShellExecuteA.
inline intptr_t ShellResultCode(HINSTANCE result) { return reinterpret_cast<intptr_t>(result); }

// Replaces the opener command for tests: the document or URL is appended to
// `command` as its last argument. An empty vector restores xdg-open.
void SetShellOpenerForTesting(std::vector<std::string> command);
// How long ShellExecuteA waits for the opener's exit status.
void SetShellWaitMsForTesting(int ms);

}  // namespace kiv
