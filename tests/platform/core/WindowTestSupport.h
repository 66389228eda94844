// Shared fixture of the window-system tests: a fresh headless screen and a
// virtual clock per test, and a window class that records what it receives.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend/HeadlessDisplay.h"
#include "platform/core/MessageLoop.h"
#include "platform/core/WinUser.h"
#include "platform/core/Wnd.h"
#include "platform/sys/Clock.h"

namespace kiv {
namespace test {

// One received message: which window (by test name) and what.
struct Received {
  std::string window;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

class TestWnd : public CWnd {
 public:
  TestWnd(std::string name, std::vector<Received>* log) : name_(std::move(name)), log_(log) {}

  // Consulted before the default dispatch; return true to answer `result`.
  std::function<bool(UINT, WPARAM, LPARAM, LRESULT*)> hook;
  // Filled over the client area on WM_PAINT unless CLR_INVALID.
  COLORREF fill = CLR_INVALID;
  // Answer to WM_NCHITTEST over the client area; 0 = the default.
  LRESULT hitTest = 0;
  std::function<BOOL(MSG*)> preTranslate;
  int paints = 0;

  const std::string& Name() const { return name_; }

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (log_) log_->push_back({name_, msg, wParam, lParam});
    LRESULT result = 0;
    if (hook && hook(msg, wParam, lParam, &result)) return result;
    return CWnd::WindowProc(msg, wParam, lParam);
  }
  BOOL PreTranslateMessage(MSG* msg) override { return preTranslate ? preTranslate(msg) : FALSE; }

 protected:
  void OnPaint() override {
    CPaintDC dc(this);
    ++paints;
    if (fill != CLR_INVALID) {
      CRect r;
      GetClientRect(&r);
      dc.FillSolidRect(&r, fill);
    }
  }
  LRESULT OnNcHitTest(CPoint point) override { return hitTest ? hitTest : CWnd::OnNcHitTest(point); }

 private:
  std::string name_;
  std::vector<Received>* log_;
};

// A window object that lives in a test's own scope (a control made on the
// fixture's window, say). Its destructor, the most derived, destroys the
// window while the object is whole, so the layer's rule (destroy before
// delete) holds however the test ends, a failed ASSERT included.
template <class Window>
class ScopedWindow : public Window {
 public:
  using Window::Window;
  ~ScopedWindow() override {
    if (::IsWindow(this->m_hWnd)) this->DestroyWindow();
  }
};

// For the tests that break the rule on purpose, to see it recorded: within
// its scope, deleting an object whose window lives is not an assertion
// failure (the trace and the count stay).
class ToleratedDeletion {
 public:
  ToleratedDeletion() { TolerateDeletedWithLiveWindowForTesting(true); }
  ~ToleratedDeletion() { TolerateDeletedWithLiveWindowForTesting(false); }
  ToleratedDeletion(const ToleratedDeletion&) = delete;
  ToleratedDeletion& operator=(const ToleratedDeletion&) = delete;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClockForTesting(&clock_);
    ResetWindowSystemForTesting();
  }
  void TearDown() override {
    ResetWindowSystemForTesting();
    windows_.clear();
    SetClockForTesting(nullptr);
  }

  HeadlessDisplay& Screen() { return *Headless(); }

  TestWnd* Top(const std::string& name, CRect rect, DWORD style = WS_POPUP | WS_VISIBLE, DWORD exStyle = 0,
               CWnd* owner = nullptr) {
    auto w = std::make_unique<TestWnd>(name, &log_);
    EXPECT_TRUE(w->CreateEx(exStyle, "TestWnd", name.c_str(), style, rect, owner, 0));
    windows_.push_back(std::move(w));
    return windows_.back().get();
  }
  TestWnd* Child(CWnd* parent, const std::string& name, CRect rect, UINT id = 0,
                 DWORD style = WS_CHILD | WS_VISIBLE) {
    auto w = std::make_unique<TestWnd>(name, &log_);
    EXPECT_TRUE(w->Create("TestWnd", name.c_str(), style, rect, parent, id));
    windows_.push_back(std::move(w));
    return windows_.back().get();
  }

  // Messages of one kind in arrival order, as "window" names.
  std::vector<std::string> Who(UINT msg) const {
    std::vector<std::string> names;
    for (const auto& r : log_) {
      if (r.msg == msg) names.push_back(r.window);
    }
    return names;
  }
  std::vector<Received> Of(const std::string& window, UINT msg) const {
    std::vector<Received> got;
    for (const auto& r : log_) {
      if (r.window == window && r.msg == msg) got.push_back(r);
    }
    return got;
  }
  int Pump() { return PumpPendingMessages(); }

  VirtualClock clock_;
  std::vector<Received> log_;
  std::vector<std::unique_ptr<TestWnd>> windows_;
};

inline CPoint Pt(int x, int y) { return CPoint(x, y); }

}  // namespace test
}  // namespace kiv
