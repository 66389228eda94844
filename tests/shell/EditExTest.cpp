// The edit with its own colours, font, character filter and context menu:
// what typing leaves in it, what it paints, which menu it opens.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/Resources.h"
#include "platform/gdi/Surface.h"
#include "platform/ui/Menu.h"
#include "shell/EditEx.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace test {
namespace {

constexpr UINT kEditExMenuId = 3101;         // a resource with one sub-menu
constexpr UINT kEditExEmptyMenuId = 3102;    // a resource without a sub-menu
constexpr UINT kEditExCommandFind = 32801;
constexpr UINT kEditExCommandMark = 32802;

// Refuses the decimal digits; counts its own destruction.
class NoDigits : public EditCharFilter {
 public:
  explicit NoDigits(int* destroyed = nullptr) : destroyed_(destroyed) {}
  ~NoDigits() override {
    if (destroyed_) ++*destroyed_;
  }
  bool Accepts(UINT ch) override { return ch < '0' || ch > '9'; }

 private:
  int* destroyed_;
};

// Records the commands its context menu sends it.
class CommandEditEx : public CEditEx {
 public:
  std::vector<UINT> commands;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    commands.push_back(LOWORD(wParam));
    return CEditEx::OnCommand(wParam, lParam);
  }
};

// The program's menus for these tests, and nothing else.
class EditExMenuTable : public gdi::ResourceTable {
 public:
  EditExMenuTable() {
    ui::MenuTemplate withPopup;
    ui::MenuItemTemplate popup;
    popup.text = "edit";
    popup.items = {{MF_STRING, kEditExCommandFind, "查找", {}}, {MF_STRING, kEditExCommandMark, "标记", {}}};
    withPopup.items.push_back(popup);
    menus_[kEditExMenuId] = std::make_shared<ui::MenuTemplate>(withPopup);
    ui::MenuTemplate flat;
    flat.items = {{MF_STRING, kEditExCommandFind, "查找", {}}};
    menus_[kEditExEmptyMenuId] = std::make_shared<ui::MenuTemplate>(flat);
  }
  std::shared_ptr<gdi::Surface> LoadBitmap(UINT) const override { return nullptr; }
  std::shared_ptr<gdi::Surface> LoadIcon(UINT, int) const override { return nullptr; }
  gdi::CursorImage LoadCursor(UINT) const override { return gdi::CursorImage(); }
  bool LoadString(UINT, std::string*) const override { return false; }
  std::shared_ptr<const ui::MenuTemplate> LoadMenuTemplate(UINT id) const override {
    auto it = menus_.find(id);
    return it == menus_.end() ? nullptr : it->second;
  }

 private:
  std::map<UINT, std::shared_ptr<const ui::MenuTemplate>> menus_;
};

std::string EditExText(CWnd& w) {
  std::string text;
  w.GetWindowText(text);
  return text;
}

class EditExTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    parent_ = Top("parent", CRect(100, 100, 500, 400));
    parent_->fill = RGB(1, 2, 3);
  }
  void TearDown() override {
    ui::SetPopupMenuAnswererForTesting(nullptr);
    gdi::SetResourceTable(nullptr);
    WindowTest::TearDown();
  }
  COLORREF ClientPixel(CWnd& w, int x, int y) {
    CPoint p(x, y);
    w.ClientToScreen(&p);
    return Screen().ScreenPixel(p.x, p.y);
  }
  // How many pixels of the window's client area have this colour.
  int PixelsOf(CWnd& w, COLORREF color) {
    CRect r;
    w.GetClientRect(&r);
    w.ClientToScreen(&r);
    std::unique_ptr<gdi::Surface> screen = Screen().ComposeScreen();
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) n += screen->PixelAt(x, y) == color ? 1 : 0;
    }
    return n;
  }
  TestWnd* parent_ = nullptr;
};

// --- Character filter -------------------------------------------------------------

struct EditExFilterCase {
  std::string name;
  bool digitFilter;
  std::string typed;
  std::string kept;
  unsigned beeps;
};

class EditExFilter : public EditExTest, public ::testing::WithParamInterface<EditExFilterCase> {};

TEST_P(EditExFilter, RefusedCharactersBeepAndAreDropped) {
  const EditExFilterCase& c = GetParam();
  ScopedWindow<CEditEx> edit;
  ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(10, 10, 200, 32), parent_, 80004));
  if (c.digitFilter) edit.SetCharFilter(std::make_unique<NoDigits>());
  edit.SetFocus();
  unsigned before = MessageBeepCount();
  Screen().TypeText(c.typed);
  Pump();
  EXPECT_EQ(EditExText(edit), c.kept);
  EXPECT_EQ(MessageBeepCount() - before, c.beeps);
}

INSTANTIATE_TEST_SUITE_P(
    Typing, EditExFilter,
    ::testing::Values(EditExFilterCase{"digits_refused", true, "a1b23", "ab", 3},
                      EditExFilterCase{"only_digits_leave_it_empty", true, "2024", "", 4},
                      // A two-byte character's bytes are never digits.
                      EditExFilterCase{"letters_and_chinese_pass", true, "x\xD6\xD0y", "x\xD6\xD0y", 0},
                      EditExFilterCase{"without_filter_all_pass", false, "a1b2", "a1b2", 0}),
    kiv::test::CaseName());

TEST_F(EditExTest, OwnsItsFilterAndFreesTheReplacedOne) {
  int destroyed = 0;
  {
    ScopedWindow<CEditEx> edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(10, 10, 200, 32), parent_, 80004));
    edit.SetCharFilter(std::make_unique<NoDigits>(&destroyed));
    edit.SetCharFilter(std::make_unique<NoDigits>(&destroyed));
    EXPECT_EQ(destroyed, 1);
    edit.SetCharFilter(nullptr);
    EXPECT_EQ(destroyed, 2);
    edit.SendMessage(WM_CHAR, '7');
    EXPECT_EQ(EditExText(edit), "7") << "no filter: everything passes";
    edit.SetCharFilter(std::make_unique<NoDigits>(&destroyed));
  }
  EXPECT_EQ(destroyed, 3) << "deleted with the edit";
}

// --- Colours ------------------------------------------------------------------------

struct EditExColourCase {
  std::string name;
  DWORD style;
};

class EditExColours : public EditExTest, public ::testing::WithParamInterface<EditExColourCase> {};

TEST_P(EditExColours, PaintsWithTheColoursSetAndReturnsThePreviousOnes) {
  ScopedWindow<CEditEx> edit;
  ASSERT_TRUE(edit.Create(WS_VISIBLE | GetParam().style, CRect(10, 10, 200, 60), parent_, 80004));
  const COLORREF back1 = RGB(0x10, 0x20, 0x30), back2 = RGB(0x50, 0x60, 0x70);
  const COLORREF text1 = RGB(0xCC, 0xCC, 0xCC), text2 = RGB(0xFF, 0x40, 0x00);
  Pump();
  EXPECT_EQ(ClientPixel(edit, 150, 40), GetSysColor(COLOR_WINDOW)) << "the classic window colour at first";

  EXPECT_EQ(edit.SetBkColor(back1), GetSysColor(COLOR_WINDOW));
  Pump();
  EXPECT_EQ(ClientPixel(edit, 150, 40), back1);
  EXPECT_EQ(edit.SetBkColor(back2), back1);
  Pump();
  EXPECT_EQ(ClientPixel(edit, 150, 40), back2) << "the next paint uses the new brush";
  EXPECT_EQ(PixelsOf(edit, back1), 0);

  // Solid squares, so that whole pixels take the text colour.
  edit.SetWindowText("\xA1\xF6\xA1\xF6\xA1\xF6");
  EXPECT_EQ(edit.SetTextColor(text1), GetSysColor(COLOR_WINDOWTEXT));
  Pump();
  EXPECT_GT(PixelsOf(edit, text1), 20);
  EXPECT_EQ(edit.SetTextColor(text2), text1);
  Pump();
  EXPECT_EQ(PixelsOf(edit, text1), 0);
  EXPECT_GT(PixelsOf(edit, text2), 20);
  EXPECT_EQ(edit.GetBkColor(), back2);
  EXPECT_EQ(edit.GetTextColor(), text2);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, EditExColours,
    ::testing::Values(EditExColourCase{"plain", 0},
                      // As the F10 view shows its text.
                      EditExColourCase{"read_only_multi_line", ES_READONLY | ES_MULTILINE | WS_VSCROLL}),
    kiv::test::CaseName());

// --- Font ---------------------------------------------------------------------------

TEST_F(EditExTest, OwnFontIsPutOnTheControlAlsoWhenSetBeforeItsWindow) {
  ScopedWindow<CEditEx> early, late;
  early.SetFontEx(-16, 700, FF_MODERN, "微软雅黑");
  ASSERT_TRUE(early.Create(WS_VISIBLE, CRect(10, 10, 200, 32), parent_, 1));
  ASSERT_TRUE(late.Create(WS_VISIBLE, CRect(10, 40, 200, 62), parent_, 2));
  late.SetFontEx(-12, 0, 0, "宋体");
  late.SetFontEx(-20, 0, 0x12, "黑体");  // replaces the first
  // A face longer than a LOGFONT holds is cut before its 32nd byte, on a
  // character boundary.
  ScopedWindow<CEditEx> longFace;
  ASSERT_TRUE(longFace.Create(WS_VISIBLE, CRect(10, 70, 200, 92), parent_, 3));
  longFace.SetFontEx(-12, 0, 0, "a宋宋宋宋宋宋宋宋宋宋宋宋宋宋宋宋");

  struct Expected {
    CEditEx* edit;
    LONG height;
    BYTE pitch;
    std::string face;
  };
  const Expected expected[] = {{&early, -16, FF_MODERN, "微软雅黑"},
                               {&late, -20, 0x12, "黑体"},
                               {&longFace, -12, 0, "a宋宋宋宋宋宋宋宋宋宋宋宋宋宋宋"}};
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.face);
    auto font = reinterpret_cast<HFONT>(e.edit->SendMessage(WM_GETFONT));
    ASSERT_NE(font, nullptr);
    LOGFONT lf;
    ASSERT_EQ(GetObject(font, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfHeight, e.height);
    EXPECT_EQ(lf.lfWeight, 400) << "the weight given is not used";
    EXPECT_EQ(lf.lfCharSet, 134);
    EXPECT_EQ(lf.lfPitchAndFamily, e.pitch);
    EXPECT_EQ(std::string(lf.lfFaceName), e.face);
  }
}

// --- Context menu ------------------------------------------------------------------

struct EditExMenuCase {
  std::string name;
  UINT menuId;
  bool ownMenu;  // else the standard edit menu
};

class EditExContextMenu : public EditExTest, public ::testing::WithParamInterface<EditExMenuCase> {};

TEST_P(EditExContextMenu, OpensTheFirstSubMenuOfItsResourceOrElseTheStandardMenu) {
  const EditExMenuCase& c = GetParam();
  EditExMenuTable table;
  gdi::SetResourceTable(&table);
  ScopedWindow<CommandEditEx> edit;
  ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(10, 10, 200, 32), parent_, 80004));
  edit.SetContextMenuId(c.menuId);
  edit.SetWindowText("some text");

  std::vector<std::string> items;
  HMENU shown = nullptr;
  HWND owner = nullptr;
  POINT at{};
  ui::SetPopupMenuAnswererForTesting([&](const ui::PopupMenuRequest& r) {
    shown = r.menu;
    owner = r.owner;
    at = r.point;
    CMenu* menu = CMenu::FromHandle(r.menu);
    for (int i = 0; i < menu->GetMenuItemCount(); ++i) {
      std::string text;
      menu->GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
      if (!text.empty()) items.push_back(text);
    }
    // Own menu: its second command; standard menu: 全选 (select all).
    return static_cast<int>(menu->GetMenuItemID(c.ownMenu ? 1 : menu->GetMenuItemCount() - 1));
  });
  edit.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.m_hWnd), MAKELPARAM(150, 120));
  Pump();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(owner, edit.m_hWnd);
  EXPECT_EQ(at.x, 150);
  EXPECT_EQ(at.y, 120);
  EXPECT_FALSE(::IsMenu(shown)) << "the menu is destroyed once it closes";
  int start = -1, end = -1;
  edit.GetSel(start, end);
  if (c.ownMenu) {
    EXPECT_EQ(items, (std::vector<std::string>{"查找", "标记"}));
    EXPECT_EQ(edit.commands, std::vector<UINT>{kEditExCommandMark}) << "its commands go to the edit";
    EXPECT_EQ(end - start, 0);
  } else {
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.back(), "全选(&A)");
    EXPECT_TRUE(edit.commands.empty());
    EXPECT_EQ(end - start, 9) << "the standard menu's select-all ran";
  }
}

INSTANTIATE_TEST_SUITE_P(MenuIds, EditExContextMenu,
                         ::testing::Values(EditExMenuCase{"own_menu", kEditExMenuId, true},
                                           EditExMenuCase{"high_bits_ignored", 0x10000 | kEditExMenuId, true},
                                           EditExMenuCase{"no_menu_id", 0, false},
                                           EditExMenuCase{"missing_resource", 3999, false},
                                           EditExMenuCase{"resource_without_sub_menu", kEditExEmptyMenuId, false}),
                         kiv::test::CaseName());

}  // namespace
}  // namespace test
}  // namespace kiv
