// Finding windows: the children ChildWindowFromPointEx passes over for each
// choice, WindowFromPoint passing a disabled child over for its parent, and
// window classes (RegisterClass once per name, the class cursor taken by
// the class's windows).
#include <string>

#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {
namespace {

class WindowLookupTest : public WindowTest {};

TEST_F(WindowLookupTest, ChildWindowFromPointExPassesOverTheChildrenItIsToldTo) {
  TestWnd* top = Top("top", CRect(100, 100, 400, 300));
  // Four children stacked over one point, the lowest an ordinary one.
  TestWnd* plain = Child(top, "plain", CRect(10, 10, 60, 60));
  TestWnd* clear = Child(top, "clear", CRect(10, 10, 60, 60));
  ::SetWindowLong(clear->m_hWnd, GWL_EXSTYLE, WS_EX_TRANSPARENT);
  TestWnd* disabled = Child(top, "disabled", CRect(10, 10, 60, 60));
  disabled->EnableWindow(FALSE);
  TestWnd* hidden = Child(top, "hidden", CRect(10, 10, 60, 60), 0, WS_CHILD);
  const POINT p{20, 20};
  struct Choice {
    UINT flags;
    TestWnd* found;
  };
  const Choice choices[] = {
      {CWP_ALL, hidden},
      {CWP_SKIPINVISIBLE, disabled},
      {CWP_SKIPINVISIBLE | CWP_SKIPDISABLED, clear},
      {CWP_SKIPINVISIBLE | CWP_SKIPDISABLED | CWP_SKIPTRANSPARENT, plain},
  };
  for (const Choice& c : choices) {
    EXPECT_EQ(::ChildWindowFromPointEx(top->m_hWnd, p, c.flags), c.found->m_hWnd) << "flags " << c.flags;
  }
  // Beside the children, the parent; outside it, nothing.
  EXPECT_EQ(::ChildWindowFromPointEx(top->m_hWnd, POINT{200, 150}, CWP_ALL), top->m_hWnd);
  EXPECT_EQ(::ChildWindowFromPointEx(top->m_hWnd, POINT{-1, 5}, CWP_ALL), nullptr);
  EXPECT_EQ(::ChildWindowFromPointEx(nullptr, p, CWP_ALL), nullptr);
}

TEST_F(WindowLookupTest, WindowFromPointPassesADisabledChildOverForWhatLiesBeneath) {
  TestWnd* top = Top("top", CRect(100, 100, 400, 300));
  TestWnd* button = Child(top, "button", CRect(10, 10, 60, 40));
  const POINT onButton{120, 120};
  EXPECT_EQ(::WindowFromPoint(onButton), button->m_hWnd);
  button->EnableWindow(FALSE);
  EXPECT_EQ(::WindowFromPoint(onButton), top->m_hWnd);
  // ChildWindowFromPoint still finds it, as the familiar function does.
  EXPECT_EQ(::ChildWindowFromPoint(top->m_hWnd, POINT{20, 20}), button->m_hWnd);
}

TEST_F(WindowLookupTest, AClassIsRegisteredOnceByNameAndItsWindowsTakeItsCursor) {
  WNDCLASS wc;
  wc.style = CS_SAVEBITS;
  wc.lpfnWndProc = ::DefWindowProc;
  wc.hCursor = ::LoadCursor(nullptr, IDC_HAND);
  std::string name = "KivLookupHandClass";
  wc.lpszClassName = name.c_str();
  const ATOM atom = ::RegisterClass(&wc);
  EXPECT_NE(atom, 0);
  EXPECT_EQ(::RegisterClass(&wc), 0);  // already there
  name = "overwritten";                // the class keeps its own copy of the name

  WNDCLASS found;
  ASSERT_TRUE(::GetClassInfo(nullptr, "kivlookuphandclass", &found));
  EXPECT_EQ(found.style, CS_SAVEBITS);
  EXPECT_EQ(found.hCursor, ::LoadCursor(nullptr, IDC_HAND));
  EXPECT_EQ(found.lpfnWndProc, &::DefWindowProc);
  EXPECT_STREQ(found.lpszClassName, "kivlookuphandclass");
  EXPECT_FALSE(::GetClassInfo(nullptr, "KivLookupNoSuchClass", &found));
  WNDCLASS unnamed;
  EXPECT_EQ(::RegisterClass(&unnamed), 0);

  // A window of the class shows the class cursor over its client area.
  auto w = std::make_unique<ScopedWindow<TestWnd>>("hand", &log_);
  ASSERT_TRUE(w->CreateEx(0, "KivLookupHandClass", "", WS_POPUP | WS_VISIBLE, CRect(10, 10, 110, 110), nullptr, 0));
  Screen().MoveMouse(CPoint(50, 50));
  Pump();
  EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_HAND));
  w->DestroyWindow();

  EXPECT_TRUE(::UnregisterClass("KivLookupHandClass", nullptr));
  EXPECT_FALSE(::GetClassInfo(nullptr, "KivLookupHandClass", &found));
}

}  // namespace
}  // namespace test
}  // namespace kiv
