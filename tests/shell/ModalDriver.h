// Drives a modal dialog from a test: the dialog's modal loop runs on the
// test's (UI) thread, and a script runs on a thread of its own beside it,
// doing everything that touches windows on the UI thread through
// CallOnUiThread (served from within the modal loop) and moving the virtual
// clock, which wakes the loop.
//
//   ModalDriver driver;
//   INT_PTR result = driver.Run(dialog, [&](ModalDriver& d) {
//     ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dialog.m_hWnd); }));
//     d.OnUi([&] { Screen().Click(point); });
//   });
//
// An input event (a click, a key) is handled once the loop takes it, after
// the call that queued it: wait for its effect with WaitOnUi. When the
// modal loop has ended, Run pumps until the script has ended too, so a
// script that still asks the UI thread never waits for ever.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/core/MessageLoop.h"
#include "platform/core/WinUser.h"
#include "platform/ui/Dialog.h"

namespace kiv::test {

class ModalDriver {
 public:
  // Runs dialog.DoModal() here and script beside it; the dialog's result.
  INT_PTR Run(CDialog& dialog, const std::function<void(ModalDriver&)>& script) {
    return Run([&] { return dialog.DoModal(); }, script, [&] { return dialog.m_hWnd; });
  }

  // The same for any modal run: `modal` names its window (null when none).
  INT_PTR Run(const std::function<INT_PTR()>& runModal, const std::function<void(ModalDriver&)>& script,
              const std::function<HWND()>& modal) {
    done_ = false;
    modalEnded_ = false;
    std::thread driver([&] {
      script(*this);
      // A script that failed half-way leaves its dialog (or a box over it)
      // open: end the active one until the modal loop returns.
      for (int tries = 0; tries < 10 && !WaitForModalEnd(std::chrono::seconds(5)); ++tries) {
        if (tries == 0) ADD_FAILURE() << "the script left a modal window open";
        OnUi([&] {
          const HWND dialog = modal();
          const HWND active = ::GetActiveWindow();
          ::EndDialog(active != nullptr && active != dialog ? active : dialog, -2);
        });
      }
      done_ = true;
    });
    const INT_PTR result = runModal();
    modalEnded_ = true;
    // The script may still be waiting on the UI thread: serve it.
    PumpUntil([&] { return done_.load(); }, 60000);
    driver.join();
    return result;
  }

  // Runs fn on the UI thread and waits for it. A modal loop looks at its
  // end only after a message: one is posted, so an EndDialog made here ends
  // the loop at once.
  void OnUi(const std::function<void()>& fn) {
    CallOnUiThread([&] {
      fn();
      ::PostMessage(nullptr, WM_NULL, 0, 0);
      return LRESULT(0);
    });
  }
  bool AskUi(const std::function<bool()>& fn) {
    return CallOnUiThread([&] { return static_cast<LRESULT>(fn() ? 1 : 0); }) != 0;
  }
  // Waits until cond, evaluated on the UI thread, holds; false after the
  // (generous) bound.
  bool WaitOnUi(const std::function<bool()>& cond, std::chrono::milliseconds bound = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!AskUi(cond)) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

 private:
  bool WaitForModalEnd(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!modalEnded_) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  std::atomic<bool> done_{false};
  std::atomic<bool> modalEnded_{false};
};

}  // namespace kiv::test
