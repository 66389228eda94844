// UpdateHost: what the update run needs of its window, as an interface, so
// that the run can be driven by the progress window in the program and by
// a test's stand-in without one.
//
// The run calls it from its worker thread. Progress calls return at once
// (the window implements them by posting to its UI thread, which keeps the
// state and paints from it); prompts wait for the answer (the window shows
// them on its UI thread on the worker's behalf).
#pragma once

#include <functional>
#include <string>

#include "platform/sys/WinTypes.h"

namespace kiv {

// One prompt of the run, as a test or a scripted start answers it.
struct UpdatePrompt {
  bool countdown = false;  // the countdown dialog; otherwise a message box
  std::string text;
  std::string caption;  // message box
  int seconds = 0;      // countdown
  int mode = 0;         // countdown: 1 notice, 2 question
  UINT type = 0;        // message box: MB_* flags
};

// Answers a prompt in place of showing it: IDOK, IDCANCEL, IDYES or IDNO.
using UpdatePromptAnswerer = std::function<int(const UpdatePrompt& prompt)>;

class UpdateHost {
 public:
  virtual ~UpdateHost() = default;

  // The status line (GBK; empty clears it).
  virtual void SetStatusText(const std::string& text) = 0;
  // Filled widths of the bars, in pixels of the filled image (0..344).
  virtual void SetFileBar(int width) = 0;
  virtual void SetTotalBar(int width) = 0;
  // Shows or hides the progress window.
  virtual void ShowProgress(bool shown) = 0;

  // The countdown notice (mode 1: OK only) or question (mode 2: OK and
  // Cancel), OK chosen by itself once `seconds` have run out. IDOK or
  // IDCANCEL.
  virtual int Countdown(const std::string& text, int seconds, int mode) = 0;
  // A message box owned by the window: IDOK, IDCANCEL, IDYES or IDNO.
  virtual int Ask(const std::string& text, const std::string& caption, UINT type) = 0;
};

}  // namespace kiv
