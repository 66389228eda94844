#include "platform/sys/TrayIcon.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

namespace kiv {

namespace {

struct TrayState {
  std::mutex mutex;
  std::vector<TrayIconRecord> icons;
  TrayMessageSink sink;
  TrayPresenter presenter;
  std::function<void(DWORD, const TrayIconRecord&)> observer;
};

TrayState& State() {
  static TrayState* state = new TrayState;  // lives to the very end of the process
  return *state;
}

std::atomic<bool> gHasTray{false};

std::vector<TrayIconRecord>::iterator FindIcon(std::vector<TrayIconRecord>& icons, HWND window,
                                               UINT id) {
  return std::find_if(icons.begin(), icons.end(),
                      [&](const TrayIconRecord& r) { return r.window == window && r.id == id; });
}

void Apply(const NOTIFYICONDATAA& data, TrayIconRecord* record) {
  if (data.uFlags & NIF_MESSAGE) record->callbackMessage = data.uCallbackMessage;
  if (data.uFlags & NIF_ICON) record->icon = data.hIcon;
  // The tip buffer may arrive without its terminator; it never reads past.
  if (data.uFlags & NIF_TIP) record->tip.assign(data.szTip, strnlen(data.szTip, sizeof data.szTip));
}

}  // namespace

std::vector<TrayIconRecord> TrayIcons() {
  std::lock_guard<std::mutex> lock(State().mutex);
  return State().icons;
}

bool DisplayHasTray() { return gHasTray.load(); }
void SetDisplayHasTray(bool hasTray) { gHasTray.store(hasTray); }

void SetTrayMessageSink(TrayMessageSink sink) {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().sink = std::move(sink);
}

bool TrayIconEvent(HWND window, UINT id, UINT mouseMessage) {
  TrayMessageSink sink;
  UINT message = 0;
  {
    std::lock_guard<std::mutex> lock(State().mutex);
    auto it = FindIcon(State().icons, window, id);
    if (it == State().icons.end() || it->callbackMessage == 0 || !State().sink) return false;
    sink = State().sink;
    message = it->callbackMessage;
  }
  sink(window, message, static_cast<WPARAM>(id), static_cast<LPARAM>(mouseMessage));
  return true;
}

void SetTrayPresenter(TrayPresenter presenter) {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().presenter = std::move(presenter);
}

void SetTrayObserverForTesting(std::function<void(DWORD, const TrayIconRecord&)> observer) {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().observer = std::move(observer);
}

void ResetTrayForTesting() {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().icons.clear();
  State().sink = nullptr;
  State().presenter = nullptr;
  State().observer = nullptr;
}

}  // namespace kiv

BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
  using namespace kiv;
  if (!data) return FALSE;
  TrayIconRecord changed;
  TrayPresenter presenter;
  std::function<void(DWORD, const TrayIconRecord&)> observer;
  {
    std::lock_guard<std::mutex> lock(State().mutex);
    auto& icons = State().icons;
    auto it = FindIcon(icons, data->hWnd, data->uID);
    switch (message) {
      case NIM_ADD:
        if (it != icons.end()) return FALSE;
        changed.window = data->hWnd;
        changed.id = data->uID;
        Apply(*data, &changed);
        icons.push_back(changed);
        break;
      case NIM_MODIFY:
        if (it == icons.end()) return FALSE;
        Apply(*data, &*it);
        changed = *it;
        break;
      case NIM_DELETE:
        if (it == icons.end()) return FALSE;
        changed = *it;
        icons.erase(it);
        break;
      default:
        return FALSE;
    }
    presenter = State().presenter;
    observer = State().observer;
  }
  if (presenter) presenter(message, changed);
  if (observer) observer(message, changed);
  return TRUE;
}
