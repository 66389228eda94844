// The system menu of a window: its items, the program's own items added to
// it, and how Alt+Space and a right click open it, the chosen command
// arriving as WM_SYSCOMMAND.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/SystemMenuHooks.h"
#include "platform/ui/Menu.h"
#include "platform/ui/SystemMenu.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace kiv {
namespace test {
namespace {

constexpr UINT kAbout = 0x10;

class SystemMenuTest : public WindowTest {
 protected:
  void TearDown() override {
    ui::SetPopupMenuAnswererForTesting(nullptr);
    WindowTest::TearDown();
  }
  // The window's WM_SYSCOMMAND commands, in order.
  std::vector<UINT> SysCommands(const std::string& window) const {
    std::vector<UINT> commands;
    for (const Received& r : Of(window, WM_SYSCOMMAND)) commands.push_back(static_cast<UINT>(r.wParam));
    return commands;
  }
  // Opens menus with this answer, recording where they were shown.
  void Answer(int command) {
    ui::SetPopupMenuAnswererForTesting([this, command](const ui::PopupMenuRequest& r) {
      shownAt_.push_back(r.point);
      shownMenus_.push_back(r.menu);
      return command;
    });
  }
  std::vector<POINT> shownAt_;
  std::vector<HMENU> shownMenus_;
};

TEST_F(SystemMenuTest, HoldsTheWindowsItemsAndTheProgramsOwn) {
  TestWnd* plain = Top("plain", CRect(10, 10, 200, 100), WS_POPUP | WS_VISIBLE);
  TestWnd* dialog = Top("dialog", CRect(10, 10, 200, 100), WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX);
  EXPECT_EQ(::GetSystemMenu(plain->m_hWnd, FALSE), nullptr);
  HMENU menu = ::GetSystemMenu(dialog->m_hWnd, FALSE);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(::GetSystemMenu(dialog->m_hWnd, FALSE), menu);  // one menu per window
  std::vector<UINT> ids;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) ids.push_back(::GetMenuItemID(menu, i));
  EXPECT_EQ(ids, (std::vector<UINT>{SC_MOVE, SC_MINIMIZE, 0, SC_CLOSE}));
  CMenu::FromHandle(menu)->AppendMenu(MF_STRING, kAbout, "关于(&A)...");
  EXPECT_EQ(::GetMenuItemCount(::GetSystemMenu(dialog->m_hWnd, FALSE)), 5);
  // Reverting drops the program's items.
  EXPECT_EQ(::GetSystemMenu(dialog->m_hWnd, TRUE), nullptr);
  EXPECT_FALSE(::IsMenu(menu));
  EXPECT_EQ(::GetMenuItemCount(::GetSystemMenu(dialog->m_hWnd, FALSE)), 4);
}

TEST_F(SystemMenuTest, AltSpaceOpensItUnderTheCornerAndSendsTheChosenCommand) {
  TestWnd* dialog = Top("dialog", CRect(40, 30, 240, 130), WS_POPUP | WS_VISIBLE | WS_SYSMENU);
  HMENU menu = ::GetSystemMenu(dialog->m_hWnd, FALSE);
  ::AppendMenuA(menu, MF_STRING, kAbout, "关于(&A)...");
  Answer(static_cast<int>(kAbout));
  ::SetFocus(dialog->m_hWnd);
  Screen().KeyDown(VK_MENU);
  Screen().PressKey(VK_SPACE);
  Screen().KeyUp(VK_MENU);
  Pump();
  ASSERT_EQ(shownAt_.size(), 1u);
  EXPECT_EQ(shownAt_[0].x, 40);
  EXPECT_EQ(shownAt_[0].y, 30);
  EXPECT_EQ(shownMenus_[0], menu);
  EXPECT_EQ(SysCommands("dialog"), (std::vector<UINT>{SC_KEYMENU, kAbout}));
}

// A right click in the client area that no window handles opens nothing (a
// chart's right-button drag must not end in the main window's system menu);
// the keyboard's menu request opens it at the window's corner.
TEST_F(SystemMenuTest, ARightClickInTheClientAreaOpensNothingButTheMenuKeyDoes) {
  TestWnd* dialog = Top("dialog", CRect(40, 30, 240, 130), WS_POPUP | WS_VISIBLE | WS_SYSMENU);
  TestWnd* child = Child(dialog, "child", CRect(10, 10, 60, 40));
  ::GetSystemMenu(dialog->m_hWnd, FALSE);
  Answer(static_cast<int>(SC_CLOSE));
  Screen().Click(CPoint(70, 50), 1);  // on the child, which leaves it to its parent
  Screen().Click(CPoint(150, 100), 1);  // on the dialog's own client area
  Pump();
  EXPECT_TRUE(shownAt_.empty());
  EXPECT_TRUE(SysCommands("dialog").empty());
  child->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(child->m_hWnd), MAKELPARAM(-1, -1));
  Pump();
  ASSERT_EQ(shownAt_.size(), 1u);
  EXPECT_EQ(shownAt_[0].x, 40);
  EXPECT_EQ(shownAt_[0].y, 30);
  EXPECT_EQ(SysCommands("dialog"), (std::vector<UINT>{SC_CLOSE}));
  Pump();
  EXPECT_FALSE(::IsWindow(dialog->m_hWnd));  // closed by the default handling
}

TEST_F(SystemMenuTest, ARightClickOnACaptionPointOpensItAtThePointer) {
  TestWnd* dialog = Top("dialog", CRect(40, 30, 240, 130), WS_POPUP | WS_VISIBLE | WS_SYSMENU);
  dialog->hitTest = HTCAPTION;  // dragged from anywhere, as the dark dialogs are
  HMENU menu = ::GetSystemMenu(dialog->m_hWnd, FALSE);
  ::AppendMenuA(menu, MF_STRING, kAbout, "关于(&A)...");
  Answer(static_cast<int>(kAbout));
  Screen().Click(CPoint(100, 80), 1);
  Pump();
  ASSERT_EQ(shownAt_.size(), 1u);
  EXPECT_EQ(shownAt_[0].x, 100);
  EXPECT_EQ(shownAt_[0].y, 80);
  EXPECT_EQ(SysCommands("dialog"), (std::vector<UINT>{kAbout}));
  // The left button on the same point still drags, opening nothing.
  Screen().Click(CPoint(100, 80));
  Pump();
  EXPECT_EQ(shownAt_.size(), 1u);
}

TEST_F(SystemMenuTest, OpensNothingForAWindowWithoutOneAndGoesWithItsWindow) {
  TestWnd* plain = Top("plain", CRect(40, 30, 240, 130), WS_POPUP | WS_VISIBLE);
  TestWnd* dialog = Top("dialog", CRect(300, 30, 400, 130), WS_POPUP | WS_VISIBLE | WS_SYSMENU);
  HMENU menu = ::GetSystemMenu(dialog->m_hWnd, FALSE);
  Answer(-1);
  Screen().Click(CPoint(60, 50), 1);
  Pump();
  EXPECT_TRUE(shownAt_.empty());
  dialog->DestroyWindow();
  EXPECT_FALSE(::IsMenu(menu));
  (void)plain;
}

}  // namespace
}  // namespace test
}  // namespace kiv
