#include <gtest/gtest.h>

#include <memory>

#include "platform/gdi/Resources.h"
#include "platform/gdi/Surface.h"
#include "platform/ui/Menu.h"
#include "platform/ui/UiTypes.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace kiv {
namespace test {
namespace {

enum : UINT { kOpen = 501, kSave = 502, kGray = 503, kDeep = 504, kClose = 505 };

class MenuTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    owner_ = Top("owner", CRect(0, 0, 600, 500));
    sub_ = ::CreatePopupMenu();
    ::AppendMenu(sub_, MF_STRING, kDeep, "深处");
    menu_.CreatePopupMenu();
    menu_.AppendMenu(MF_STRING, kOpen, "打开(&O)");
    menu_.AppendMenu(MF_SEPARATOR);
    menu_.AppendMenu(MF_STRING | MF_GRAYED, kGray, "灰");
    menu_.AppendMenu(MF_STRING, kSave, "保存\tCtrl+S");
    menu_.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(sub_), "更多");
    menu_.AppendMenu(MF_STRING, kClose, "关闭");
  }
  void TearDown() override {
    ui::SetPopupMenuAnswererForTesting(nullptr);
    WindowTest::TearDown();
  }
  // The screen point in the middle of item index of a shown menu window.
  static CPoint ItemPoint(HWND popup, int index) {
    CRect r;
    ::GetWindowRect(popup, &r);
    int y = r.top + 1;
    const int heights[] = {22, 7, 22, 22, 22, 22};
    for (int i = 0; i < index; ++i) y += heights[i];
    return CPoint(r.left + 30, y + 11);
  }
  int Track(UINT flags = TPM_RETURNCMD) {
    return menu_.TrackPopupMenu(flags, 100, 100, owner_);
  }

  TestWnd* owner_ = nullptr;
  HMENU sub_ = nullptr;
  CMenu menu_;
};

TEST_F(MenuTest, ScriptedAnswerIsReturnedOrPostedAsACommand) {
  bool shown = false;
  ui::SetPopupMenuAnswererForTesting([&](const ui::PopupMenuRequest& r) {
    shown = ::IsWindowVisible(r.popup) && r.owner == owner_->m_hWnd && r.menu == menu_.m_hMenu;
    return static_cast<int>(kSave);
  });
  EXPECT_EQ(Track(), static_cast<int>(kSave));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(Of("owner", WM_COMMAND).empty());

  EXPECT_EQ(Track(TPM_LEFTALIGN | TPM_RIGHTBUTTON), TRUE);
  Pump();
  auto commands = Of("owner", WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(LOWORD(commands[0].wParam), kSave);

  ASSERT_EQ(Of("owner", WM_INITMENUPOPUP).size(), 2u);
  EXPECT_EQ(Of("owner", WM_INITMENUPOPUP)[0].wParam, reinterpret_cast<WPARAM>(menu_.m_hMenu));
}

TEST_F(MenuTest, ScriptedAnswersThatNameNoEnabledCommandDismiss) {
  for (int answer : {static_cast<int>(kGray), 9999, -1, static_cast<int>(kDeep)}) {
    ui::SetPopupMenuAnswererForTesting([&](const ui::PopupMenuRequest&) { return answer; });
    EXPECT_EQ(Track(), answer == static_cast<int>(kDeep) ? static_cast<int>(kDeep) : 0) << answer;
  }
  ui::SetPopupMenuAnswererForTesting([&](const ui::PopupMenuRequest&) { return static_cast<int>(kGray); });
  EXPECT_EQ(Track(0), FALSE);
  Pump();
  EXPECT_TRUE(Of("owner", WM_COMMAND).empty());
}

TEST_F(MenuTest, OwnerCanCheckAndGrayItemsWhenTheMenuOpens) {
  owner_->hook = [&](UINT msg, WPARAM wParam, LPARAM, LRESULT*) {
    if (msg == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(wParam) == menu_.m_hMenu) {
      ::CheckMenuItem(menu_, kOpen, MF_BYCOMMAND | MF_CHECKED);
      ::EnableMenuItem(menu_, kSave, MF_BYCOMMAND | MF_GRAYED);
    }
    return false;
  };
  ui::SetPopupMenuAnswererForTesting([&](const ui::PopupMenuRequest&) { return static_cast<int>(kSave); });
  EXPECT_EQ(Track(), 0) << "grayed by the owner";
  EXPECT_EQ(menu_.GetMenuState(kOpen, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
}

TEST_F(MenuTest, MouseChoosesEnabledItemsOnly) {
  struct Case {
    const char* name;
    std::vector<int> clicks;  // item indexes; -1 a point outside the menu
    int expected;
  };
  const std::vector<Case> cases = {
      {"plain item", {0}, static_cast<int>(kOpen)},
      {"separator and grayed item do nothing", {1, 2, 3}, static_cast<int>(kSave)},
      {"click elsewhere dismisses", {-1}, 0},
      {"sub-menu item", {4, -2}, static_cast<int>(kDeep)},  // -2: first item of the open sub-menu
  };
  for (const auto& c : cases) {
    ui::SetPopupMenuAnswererForTesting([&](const ui::PopupMenuRequest& r) {
      for (int index : c.clicks) {
        if (index == -1) {
          Screen().Click(CPoint(550, 450));
        } else if (index == -2) {
          Pump();  // the sub-menu opens as the pointer rests on its item
          HWND top = ::GetCapture();
          EXPECT_NE(top, r.popup);
          Screen().Click(ItemPoint(top, 0));
        } else {
          Screen().MoveMouse(ItemPoint(r.popup, index));
          Screen().Click(ItemPoint(r.popup, index));
        }
      }
      return 0;
    });
    EXPECT_EQ(Track(), c.expected) << c.name;
    Pump();
  }
}

TEST_F(MenuTest, KeysMoveOverSelectableItemsAndOpenSubMenus) {
  struct Case {
    const char* name;
    std::vector<UINT> keys;
    int expected;
  };
  const std::vector<Case> cases = {
      {"first item", {VK_DOWN, VK_RETURN}, static_cast<int>(kOpen)},
      {"skips separator and grayed", {VK_DOWN, VK_DOWN, VK_RETURN}, static_cast<int>(kSave)},
      {"wraps upwards", {VK_UP, VK_RETURN}, static_cast<int>(kClose)},
      {"into a sub-menu", {VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}, static_cast<int>(kDeep)},
      {"Esc closes the sub-menu first", {VK_UP, VK_UP, VK_RIGHT, VK_ESCAPE, VK_UP, VK_RETURN}, static_cast<int>(kSave)},
      {"Esc dismisses", {VK_DOWN, VK_ESCAPE}, 0},
  };
  for (const auto& c : cases) {
    ui::SetPopupMenuAnswererForTesting([&](const ui::PopupMenuRequest&) {
      for (UINT k : c.keys) Screen().PressKey(k);
      return 0;
    });
    EXPECT_EQ(Track(), c.expected) << c.name;
    Pump();
  }
}

TEST_F(MenuTest, FocusReturnsAndTheMenuWindowIsGone) {
  TestWnd* field = Child(owner_, "field", CRect(10, 10, 100, 30));
  field->SetFocus();
  HWND popup = nullptr;
  ui::SetPopupMenuAnswererForTesting([&](const ui::PopupMenuRequest& r) {
    popup = r.popup;
    return -1;
  });
  EXPECT_EQ(Track(), 0);
  EXPECT_FALSE(::IsWindow(popup));
  EXPECT_EQ(::GetFocus(), field->m_hWnd);
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(MenuTest, HighlightedItemIsDrawnInTheSelectionColour) {
  ui::SetPopupMenuAnswererForTesting([&](const ui::PopupMenuRequest& r) {
    Screen().PressKey(VK_DOWN);
    Pump();
    CPoint p = ItemPoint(r.popup, 0);
    EXPECT_EQ(Screen().ScreenPixel(p.x + 60, p.y - 8), ui::kSelectionBack);
    CPoint q = ItemPoint(r.popup, 3);
    EXPECT_EQ(Screen().ScreenPixel(q.x + 60, q.y - 8), ui::kButtonFace);
    return -1;
  });
  Track();
}

TEST_F(MenuTest, ItemsByCommandAndByPosition) {
  EXPECT_EQ(menu_.GetMenuItemCount(), 6);
  EXPECT_EQ(menu_.GetMenuItemID(0), kOpen);
  EXPECT_EQ(menu_.GetMenuItemID(1), 0u) << "separator";
  EXPECT_EQ(menu_.GetMenuItemID(4), static_cast<UINT>(-1)) << "sub-menu";
  EXPECT_EQ(menu_.GetSubMenu(4)->m_hMenu, sub_);
  std::string text;
  menu_.GetMenuString(kDeep, text, MF_BYCOMMAND);
  EXPECT_EQ(text, "深处") << "found through the sub-menu";
  EXPECT_EQ(menu_.CheckMenuItem(kDeep, MF_CHECKED), MF_UNCHECKED);
  EXPECT_EQ(menu_.CheckMenuItem(kDeep, MF_UNCHECKED), MF_CHECKED);
  EXPECT_EQ(menu_.CheckMenuItem(12345, MF_CHECKED), static_cast<UINT>(-1));
  EXPECT_TRUE(menu_.InsertMenu(0, MF_BYPOSITION | MF_STRING, 600, "first"));
  EXPECT_EQ(menu_.GetMenuItemID(0), 600u);
  EXPECT_TRUE(menu_.InsertMenu(kClose, MF_BYCOMMAND | MF_STRING, 601, "before close"));
  EXPECT_EQ(menu_.GetMenuItemID(6), 601u);
  EXPECT_TRUE(menu_.DeleteMenu(0, MF_BYPOSITION));
  EXPECT_FALSE(menu_.DeleteMenu(9999, MF_BYCOMMAND));
  EXPECT_FALSE(::AppendMenu(menu_, MF_POPUP, 12345, "not a menu"));

  menu_.DestroyMenu();
  EXPECT_FALSE(::IsMenu(sub_)) << "destroyed with its parent";
  EXPECT_EQ(menu_.m_hMenu, nullptr);
  EXPECT_FALSE(::TrackPopupMenu(sub_, TPM_RETURNCMD, 0, 0, 0, owner_->m_hWnd, nullptr));
}

// A program's table that holds one menu resource and nothing else.
class MenuOnlyTable : public gdi::ResourceTable {
 public:
  MenuOnlyTable(UINT id, ui::MenuTemplate tmpl) : id_(id), menu_(std::make_shared<ui::MenuTemplate>(std::move(tmpl))) {}
  std::shared_ptr<gdi::Surface> LoadBitmap(UINT) const override { return nullptr; }
  std::shared_ptr<gdi::Surface> LoadIcon(UINT, int) const override { return nullptr; }
  gdi::CursorImage LoadCursor(UINT) const override { return gdi::CursorImage(); }
  bool LoadString(UINT, std::string*) const override { return false; }
  std::shared_ptr<const ui::MenuTemplate> LoadMenuTemplate(UINT id) const override {
    return id == id_ ? menu_ : nullptr;
  }

 private:
  UINT id_;
  std::shared_ptr<const ui::MenuTemplate> menu_;
};

TEST_F(MenuTest, MenuResourceLoadsAsANewMenuOfItsTemplate) {
  constexpr UINT kMenuId = 700;
  ui::MenuTemplate tmpl;
  ui::MenuItemTemplate popup;
  popup.text = "popup";
  popup.items = {{MF_STRING, kOpen, "打开", {}}, {MF_SEPARATOR, 0, "", {}}, {MF_GRAYED, kGray, "灰", {}}};
  tmpl.items.push_back(popup);
  MenuOnlyTable table(kMenuId, tmpl);

  CMenu none;
  EXPECT_FALSE(none.LoadMenu(kMenuId)) << "no program table installed";
  gdi::SetResourceTable(&table);
  EXPECT_FALSE(none.LoadMenu(kMenuId + 1)) << "an id the program lacks";
  HMENU loaded = nullptr;
  HMENU sub = nullptr;
  {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(kMenuId));
    loaded = menu.m_hMenu;
    EXPECT_EQ(menu.GetMenuItemCount(), 1);
    CMenu* first = menu.GetSubMenu(0);
    ASSERT_NE(first, nullptr);
    sub = first->m_hMenu;
    EXPECT_EQ(first->GetMenuItemCount(), 3);
    EXPECT_EQ(first->GetMenuItemID(0), kOpen);
    EXPECT_EQ(first->GetMenuState(1, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
    EXPECT_EQ(first->GetMenuState(kGray, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    CMenu again;
    ASSERT_TRUE(again.LoadMenu(kMenuId));
    EXPECT_NE(again.m_hMenu, menu.m_hMenu) << "every load is a menu of its own";
  }
  gdi::SetResourceTable(nullptr);
  EXPECT_FALSE(::IsMenu(loaded)) << "destroyed with its CMenu";
  EXPECT_FALSE(::IsMenu(sub));
}

}  // namespace
}  // namespace test
}  // namespace kiv
