// UpdateWindowHost: the update run's host in the program, for the worker
// thread. It carries everything to the progress window on the UI thread:
// progress by posting (the status text as an owned payload, the bar widths
// and the window's visibility as values), which never waits; prompts by
// having the UI thread show them on the worker's behalf while the worker
// waits for the answer (CallOnUiThread). Before a prompt shows, the
// progress posted before it is applied, so the window never shows a prompt
// over an older status line.
//
// Prompts are the countdown dialog (CKivUpWarnDlg) and message boxes, both
// owned by the window; an answerer, when given (tests, a scripted start),
// answers them on the UI thread instead of showing them.
//
// Any thread may call it; the window's handle is all it keeps, so a window
// that is gone only makes posts fail (payloads freed) and prompts answer
// Cancel.
#pragma once

#include "platform/core/WinUser.h"
#include "updater/UpdateHost.h"

namespace kiv {

class UpdateWindowHost : public UpdateHost {
 public:
  UpdateWindowHost(HWND window, UpdatePromptAnswerer answerer);

  void SetStatusText(const std::string& text) override;
  void SetFileBar(int width) override;
  void SetTotalBar(int width) override;
  void ShowProgress(bool shown) override;
  int Countdown(const std::string& text, int seconds, int mode) override;
  int Ask(const std::string& text, const std::string& caption, UINT type) override;

 private:
  int Prompt(const UpdatePrompt& prompt);

  const HWND window_;
  const UpdatePromptAnswerer answerer_;
};

}  // namespace kiv
