#include "updater/UpdateWindowHost.h"

#include <memory>
#include <utility>

#include "platform/core/MessageLoop.h"
#include "platform/post/Posting.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/UiTypes.h"
#include "shell/notice/KivUpWarnDlg.h"
#include "updater/UpdaterIds.h"

namespace kiv {

UpdateWindowHost::UpdateWindowHost(HWND window, UpdatePromptAnswerer answerer)
    : window_(window), answerer_(std::move(answerer)) {}

void UpdateWindowHost::SetStatusText(const std::string& text) {
  PostOwned(window_, WM_KIV_UPDATE_STATUS, std::make_unique<std::string>(text), 0);
}

void UpdateWindowHost::SetFileBar(int width) {
  ::PostMessage(window_, WM_KIV_UPDATE_BAR, kUpdateFileBarIndex, width);
}

void UpdateWindowHost::SetTotalBar(int width) {
  ::PostMessage(window_, WM_KIV_UPDATE_BAR, kUpdateTotalBarIndex, width);
}

void UpdateWindowHost::ShowProgress(bool shown) { ::PostMessage(window_, WM_KIV_UPDATE_SHOW, shown ? TRUE : FALSE, 0); }

int UpdateWindowHost::Countdown(const std::string& text, int seconds, int mode) {
  UpdatePrompt prompt;
  prompt.countdown = true;
  prompt.text = text;
  prompt.seconds = seconds;
  prompt.mode = mode;
  return Prompt(prompt);
}

int UpdateWindowHost::Ask(const std::string& text, const std::string& caption, UINT type) {
  UpdatePrompt prompt;
  prompt.text = text;
  prompt.caption = caption;
  prompt.type = type;
  return Prompt(prompt);
}

int UpdateWindowHost::Prompt(const UpdatePrompt& prompt) {
  const HWND window = window_;
  const UpdatePromptAnswerer& answerer = answerer_;
  return static_cast<int>(CallOnUiThread([&]() -> LRESULT {
    // The progress posted before this prompt comes first.
    MSG msg;
    while (::IsWindow(window) && ::PeekMessage(&msg, window, WM_KIV_UPDATE_STATUS, WM_KIV_UPDATE_SHOW, PM_REMOVE)) {
      ::DispatchMessage(&msg);
    }
    if (answerer) return answerer(prompt);
    if (!::IsWindow(window)) return IDCANCEL;
    if (!prompt.countdown) return ::MessageBoxA(window, prompt.text.c_str(), prompt.caption.c_str(), prompt.type);
    CKivUpWarnDlg notice(CWnd::FromHandle(window));
    notice.SetText(prompt.text);
    notice.SetSeconds(prompt.seconds);
    notice.SetMode(prompt.mode);
    return notice.DoModal();
  }));
}

}  // namespace kiv
