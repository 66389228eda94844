// A headless window that records the program messages posted to it, for
// tests of the code that reports to windows by posting.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/KivMessages.h"
#include "platform/core/MessageLoop.h"
#include "platform/core/WinUser.h"
#include "platform/core/Wnd.h"

namespace kiv::test {

struct Posted {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

class RecordingWnd : public CWnd {
 public:
  // Called for each program message before it is recorded; frees payloads.
  std::function<void(UINT, WPARAM, LPARAM)> onMessage;
  std::vector<Posted> got;
  std::vector<std::string> formulaResults;  // copies of WM_KIV_FORMULA_RESULT buffers (first bytes)

  bool Open() { return CreateEx(0, "RecordingWnd", "rec", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0) != FALSE; }

  std::vector<UINT> Messages() const {
    std::vector<UINT> ids;
    for (const Posted& p : got) ids.push_back(p.msg);
    return ids;
  }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg < WM_USER) return CWnd::OnMessage(msg, wParam, lParam);
    if (onMessage) onMessage(msg, wParam, lParam);
    if (msg == WM_KIV_FORMULA_RESULT) {
      // The receiver owns the buffer: keep what the test reads, free it.
      std::unique_ptr<char[]> buffer = AdoptPosted<char[]>(wParam);
      formulaResults.emplace_back(buffer.get(), 20);
      uint32_t count = 0;
      std::memcpy(&count, buffer.get() + 16, 4);
      formulaResults.back().append(buffer.get() + 20, size_t(count) * 20);
    }
    got.push_back({msg, wParam, lParam});
    return 0;
  }
};

}  // namespace kiv::test
