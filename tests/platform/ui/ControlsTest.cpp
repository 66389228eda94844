#include <gtest/gtest.h>

#include "platform/gdi/Bitmap.h"
#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Static.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace kiv {
namespace test {
namespace {

class ControlsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    parent_ = Top("parent", CRect(100, 100, 500, 400));
    parent_->fill = RGB(1, 2, 3);
  }
  // The parent's WM_COMMAND notifications as (id, code), in order.
  std::vector<std::pair<int, int>> Notes() const {
    std::vector<std::pair<int, int>> notes;
    for (const auto& r : Of("parent", WM_COMMAND)) notes.emplace_back(LOWORD(r.wParam), HIWORD(r.wParam));
    return notes;
  }
  CPoint OnScreen(CWnd& w, int dx = 0, int dy = 0) {
    CRect r;
    w.GetWindowRect(&r);
    return CPoint(r.left + 5 + dx, r.top + 5 + dy);
  }
  TestWnd* parent_ = nullptr;
};

using NoteList = std::vector<std::pair<int, int>>;

// --- Buttons -----------------------------------------------------------------

TEST_F(ControlsTest, ButtonClicksOnlyWhenReleasedOverItself) {
  ScopedWindow<CButton> button;
  ASSERT_TRUE(button.Create("go", WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 40), parent_, 7));
  Screen().Click(OnScreen(button));
  Pump();
  EXPECT_EQ(Notes(), (NoteList{{7, BN_CLICKED}}));
  EXPECT_EQ(::GetFocus(), button.m_hWnd);

  log_.clear();
  Screen().Drag(OnScreen(button), OnScreen(button, 200, 0));
  Pump();
  EXPECT_TRUE(Notes().empty()) << "released outside";
  EXPECT_EQ(button.GetState() & BST_PUSHED, 0u);

  button.EnableWindow(FALSE);
  Screen().Click(OnScreen(button));
  button.SendMessage(BM_CLICK);
  Pump();
  EXPECT_TRUE(Notes().empty()) << "disabled";

  button.EnableWindow(TRUE);
  button.SetFocus();
  Screen().PressKey(VK_SPACE);
  Pump();
  EXPECT_EQ(Notes(), (NoteList{{7, BN_CLICKED}}));
}

TEST_F(ControlsTest, CheckBoxesToggleOnlyWhenAutomatic) {
  struct Case {
    DWORD style;
    int afterClick;
  };
  for (const Case& c : {Case{BS_AUTOCHECKBOX, BST_CHECKED}, Case{BS_CHECKBOX, BST_UNCHECKED}}) {
    log_.clear();
    ScopedWindow<CButton> box;
    ASSERT_TRUE(box.Create("check", WS_VISIBLE | c.style, CRect(10, 50, 120, 70), parent_, 8));
    Screen().Click(OnScreen(box));
    Pump();
    EXPECT_EQ(box.GetCheck(), c.afterClick) << c.style;
    EXPECT_EQ(Notes(), (NoteList{{8, BN_CLICKED}})) << c.style;
    box.SetCheck(BST_CHECKED);
    EXPECT_EQ(box.GetCheck(), BST_CHECKED);
  }
  ScopedWindow<CButton> push;
  ASSERT_TRUE(push.Create("p", WS_VISIBLE, CRect(10, 80, 50, 100), parent_, 9));
  push.SetCheck(BST_CHECKED);
  EXPECT_EQ(push.GetCheck(), BST_UNCHECKED) << "a push button has no check state";
}

class GreenButton : public CButton {
 public:
  std::vector<UINT> states;
  void DrawItem(LPDRAWITEMSTRUCT dis) override {
    states.push_back(dis->itemState);
    CDC* dc = CDC::FromHandle(dis->hDC);
    dc->FillSolidRect(&dis->rcItem, (dis->itemState & ODS_SELECTED) ? RGB(0, 90, 0) : RGB(0, 200, 0));
  }
};

TEST_F(ControlsTest, OwnerDrawnButtonIsDrawnThroughItsOwnHandleAndShowsPressedState) {
  ScopedWindow<GreenButton> a, b;
  // The same id twice: drawing must still reach each button by its handle.
  ASSERT_TRUE(a.Create("", WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 60, 40), parent_, 11));
  ASSERT_TRUE(b.Create("", WS_VISIBLE | BS_OWNERDRAW, CRect(70, 10, 120, 40), parent_, 11));
  Pump();
  EXPECT_EQ(Screen().ScreenPixel(OnScreen(a).x, OnScreen(a).y), RGB(0, 200, 0));
  EXPECT_EQ(Screen().ScreenPixel(OnScreen(b).x, OnScreen(b).y), RGB(0, 200, 0));
  ASSERT_FALSE(Of("parent", WM_DRAWITEM).empty());

  Screen().PressButton(OnScreen(a));
  Pump();
  EXPECT_EQ(Screen().ScreenPixel(OnScreen(a).x, OnScreen(a).y), RGB(0, 90, 0));
  ASSERT_FALSE(a.states.empty());
  EXPECT_TRUE(a.states.back() & ODS_SELECTED);
  EXPECT_TRUE(a.states.back() & ODS_FOCUS);
  Screen().ReleaseButton(OnScreen(a));
  Pump();
  EXPECT_EQ(Notes(), (NoteList{{11, BN_CLICKED}}));
}

// A program's button that also reports its own message on release, as the
// program's skinned buttons do, and keeps the button's press and click.
constexpr UINT WM_TEST_RELEASED = WM_USER + 0x30;
class ReleaseReportingButton : public CButton {
 protected:
  void OnLButtonUp(UINT flags, CPoint point) override {
    ::PostMessage(::GetParent(m_hWnd), WM_TEST_RELEASED, static_cast<WPARAM>(GetDlgCtrlID()), 0);
    CButton::OnLButtonUp(flags, point);
  }
};

TEST_F(ControlsTest, DerivedButtonAddsToTheReleaseAndKeepsTheClick) {
  ScopedWindow<ReleaseReportingButton> button;
  ASSERT_TRUE(button.Create("go", WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 40), parent_, 12));
  Screen().Click(OnScreen(button));
  Pump();
  EXPECT_EQ(Notes(), (NoteList{{12, BN_CLICKED}}));
  ASSERT_EQ(Of("parent", WM_TEST_RELEASED).size(), 1u);
  EXPECT_EQ(Of("parent", WM_TEST_RELEASED)[0].wParam, 12u);

  log_.clear();
  Screen().Drag(OnScreen(button), OnScreen(button, 200, 0));
  Pump();
  EXPECT_TRUE(Notes().empty()) << "released outside: no click";
  EXPECT_EQ(Of("parent", WM_TEST_RELEASED).size(), 1u);

  log_.clear();
  Screen().PressKey(VK_SPACE);
  Pump();
  EXPECT_EQ(Notes(), (NoteList{{12, BN_CLICKED}})) << "Space still clicks";
  EXPECT_TRUE(Of("parent", WM_TEST_RELEASED).empty());
}

// --- Statics -------------------------------------------------------------------

TEST_F(ControlsTest, StaticNotifiesClicksOnlyWithSsNotify) {
  ScopedWindow<CStatic> plain, notify;
  ASSERT_TRUE(plain.Create("plain", WS_VISIBLE, CRect(10, 10, 100, 30), parent_, 21));
  ASSERT_TRUE(notify.Create("link", WS_VISIBLE | SS_NOTIFY, CRect(10, 40, 100, 60), parent_, 22));
  Screen().Click(OnScreen(plain));
  Screen().Click(OnScreen(notify));
  Pump();
  EXPECT_EQ(Notes(), (NoteList{{22, STN_CLICKED}}));
  EXPECT_EQ(Of("parent", WM_LBUTTONDOWN).size(), 1u) << "a plain label lets the click through";
}

TEST_F(ControlsTest, BitmapStaticShowsItsBitmap) {
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateCompatibleBitmap(nullptr, 8, 6));
  {
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    CBitmap* old = mem.SelectObject(&bitmap);
    mem.FillSolidRect(0, 0, 8, 6, RGB(200, 10, 10));
    mem.SelectObject(old);
  }
  ScopedWindow<CStatic> picture;
  ASSERT_TRUE(picture.Create("", WS_VISIBLE | SS_BITMAP, CRect(10, 10, 40, 40), parent_, 23));
  EXPECT_EQ(picture.SetBitmap(bitmap), nullptr);
  EXPECT_EQ(picture.GetBitmap(), static_cast<HBITMAP>(bitmap));
  Pump();
  CPoint p = OnScreen(picture, -5, -5);
  EXPECT_EQ(Screen().ScreenPixel(p.x + 2, p.y + 2), RGB(200, 10, 10));
  EXPECT_EQ(Screen().ScreenPixel(p.x + 20, p.y + 20), ui::kDialogBack);
}

// --- Edits ---------------------------------------------------------------------

std::string TextOf(CWnd& w) {
  std::string text;
  w.GetWindowText(text);
  return text;
}

TEST_F(ControlsTest, EditReportsFocusAndEveryChangeAsUpdateThenChange) {
  ScopedWindow<CEdit> edit;
  ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_BORDER, CRect(10, 10, 200, 32), parent_, 31));
  Screen().Click(OnScreen(edit));
  Screen().TypeText("ab");
  Pump();
  EXPECT_EQ(TextOf(edit), "ab");
  EXPECT_EQ(Notes(), (NoteList{{31, EN_SETFOCUS}, {31, EN_UPDATE}, {31, EN_CHANGE}, {31, EN_UPDATE}, {31, EN_CHANGE}}));

  log_.clear();
  edit.SetWindowText("xyz");
  EXPECT_EQ(Notes(), (NoteList{{31, EN_UPDATE}, {31, EN_CHANGE}}));
  edit.SetSel(1, 2);
  edit.ReplaceSel("QQ");
  EXPECT_EQ(TextOf(edit), "xQQz");
  int start = -1, end = -1;
  edit.GetSel(start, end);
  EXPECT_EQ(start, 3);
  EXPECT_EQ(end, 3);
}

TEST_F(ControlsTest, DigitsOnlyEditBeepsAtAnyOtherCharacterAndDropsIt) {
  ScopedWindow<CEdit> edit;
  ASSERT_TRUE(edit.Create(WS_VISIBLE | ES_NUMBER, CRect(10, 10, 200, 32), parent_, 33));
  edit.SetFocus();
  unsigned beeps = MessageBeepCount();
  Screen().TypeText("1a2");
  Pump();
  EXPECT_EQ(TextOf(edit), "12");
  EXPECT_EQ(MessageBeepCount() - beeps, 1u);
}

TEST_F(ControlsTest, EditKeepsGbkCharactersWhole) {
  const std::string zhong = "\xD6\xD0";  // one character, two bytes
  ScopedWindow<CEdit> edit;
  ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(10, 10, 200, 32), parent_, 32));
  edit.SetFocus();
  Screen().TypeText("a" + zhong + "b");
  Pump();
  EXPECT_EQ(TextOf(edit), "a" + zhong + "b");
  Screen().PressKey(VK_LEFT);
  Screen().PressKey(VK_LEFT);
  Pump();
  EXPECT_EQ(edit.CaretPos(), 1) << "one step over the two-byte character";
  Screen().PressKey(VK_DELETE);
  Pump();
  EXPECT_EQ(TextOf(edit), "ab");

  // A lead byte followed by a control character is dropped, never stored half.
  edit.SetWindowText("");
  edit.SendMessage(WM_CHAR, 0xD6);
  edit.SendMessage(WM_CHAR, 0x0D);
  edit.SendMessage(WM_CHAR, 'c');
  EXPECT_EQ(TextOf(edit), "c");

  // The limit never splits a character.
  edit.SetWindowText("");
  edit.SetLimitText(3);
  log_.clear();
  Screen().TypeText("ab" + zhong);
  Pump();
  EXPECT_EQ(TextOf(edit), "ab");
  EXPECT_EQ(Notes().back(), std::make_pair(32, static_cast<int>(EN_MAXTEXT)));
}

TEST_F(ControlsTest, EditEditingKeysAndSelection) {
  struct Case {
    const char* name;
    std::vector<UINT> keys;  // WM_KEYDOWN, or WM_CHAR when above 0xFFFF (minus 0x10000)
    std::string expected;
  };
  auto ch = [](char c) { return 0x10000u + static_cast<unsigned char>(c); };
  const std::vector<Case> cases = {
      {"backspace at the end", {ch('\b')}, "hell"},
      {"home then delete", {VK_HOME, VK_DELETE}, "ello"},
      {"select all by Ctrl+A then type", {ch('\x01'), ch('z')}, "z"},
      {"shift+home selects to the start", {VK_SHIFT, VK_HOME, ch('Y')}, "Y"},
  };
  for (const auto& c : cases) {
    ScopedWindow<CEdit> edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(10, 10, 200, 32), parent_, 33));
    edit.SetWindowText("hello");
    edit.SetSel(5, 5);
    edit.SetFocus();
    bool shift = false;
    for (UINT k : c.keys) {
      if (k == VK_SHIFT) {
        Screen().KeyDown(VK_SHIFT);
        shift = true;
      } else if (k > 0xFFFF) {
        Screen().TypeText(std::string(1, static_cast<char>(k - 0x10000)));
      } else {
        Screen().PressKey(k);
      }
    }
    if (shift) Screen().KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ(TextOf(edit), c.expected) << c.name;
    edit.DestroyWindow();
  }
}

TEST_F(ControlsTest, ReadOnlyAndPasswordEdits) {
  ScopedWindow<CEdit> readOnly, password, plain;
  ASSERT_TRUE(readOnly.Create(WS_VISIBLE | ES_READONLY, CRect(10, 10, 200, 32), parent_, 34));
  ASSERT_TRUE(password.Create(WS_VISIBLE | ES_PASSWORD, CRect(10, 40, 200, 62), parent_, 35));
  ASSERT_TRUE(plain.Create(WS_VISIBLE, CRect(10, 70, 200, 92), parent_, 36));
  readOnly.SetWindowText("fixed");
  readOnly.SetFocus();
  log_.clear();
  Screen().TypeText("x");
  Screen().PressKey(VK_DELETE);
  Pump();
  EXPECT_EQ(TextOf(readOnly), "fixed");
  EXPECT_TRUE(Notes().empty());

  password.SetWindowText("WWW");
  plain.SetWindowText("***");
  EXPECT_EQ(TextOf(password), "WWW") << "the real text stays readable to the program";
  Pump();
  // The password field shows what a field holding asterisks shows.
  CPoint p = OnScreen(password, -5, -5), q = OnScreen(plain, -5, -5);
  int differing = 0, inked = 0;
  for (int x = 0; x < 40; ++x) {
    COLORREF a = Screen().ScreenPixel(p.x + x, p.y + 10), b = Screen().ScreenPixel(q.x + x, q.y + 10);
    if (a != b) ++differing;
    if (b != ui::kEditBack) ++inked;
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(inked, 0) << "the asterisks were drawn";
}

TEST_F(ControlsTest, MultiLineEditBreaksLinesMovesBetweenThemAndScrolls) {
  ScopedWindow<CEdit> edit;
  ASSERT_TRUE(edit.Create(WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, CRect(10, 10, 200, 60), parent_, 37));
  edit.SetFocus();
  Screen().TypeText("ab");
  Screen().PressKey(VK_RETURN);
  Screen().TypeText("cd");
  Screen().PressKey(VK_UP);
  Screen().TypeText("X");
  Pump();
  EXPECT_EQ(TextOf(edit), "abX\r\ncd") << "up keeps the column";
  EXPECT_EQ(edit.GetLineCount(), 2);
  EXPECT_EQ(edit.LineIndex(1), 5);
  Screen().PressKey(VK_DOWN);
  Screen().PressKey(VK_HOME);
  Screen().PressKey(VK_BACK);
  Pump();
  EXPECT_EQ(TextOf(edit), "abXcd") << "the line break goes as one";

  std::string many;
  for (int i = 0; i < 20; ++i) many += "line\r\n";
  edit.SetWindowText(many.c_str());
  EXPECT_EQ(edit.GetLineCount(), 21);
  EXPECT_EQ(edit.GetFirstVisibleLine(), 0);
  edit.SetSel(static_cast<int>(many.size()), static_cast<int>(many.size()));
  Screen().TypeText("z");
  Pump();
  int first = edit.GetFirstVisibleLine();
  EXPECT_GT(first, 10) << "the caret's line is scrolled into view";
  edit.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA));
  EXPECT_EQ(edit.GetFirstVisibleLine(), first - 3);
  edit.LineScroll(-100);
  EXPECT_EQ(edit.GetFirstVisibleLine(), 0);
  int lo = -1, hi = -1;
  ASSERT_TRUE(::GetScrollRange(edit.m_hWnd, SB_VERT, &lo, &hi));
  EXPECT_EQ(hi, first) << "the last line at the bottom is the end of the range";
  ::SetScrollPos(edit.m_hWnd, SB_VERT, 2);
  EXPECT_EQ(edit.GetFirstVisibleLine(), 2);
}

TEST_F(ControlsTest, EnterInADialogGoesToAMultiLineFieldOnlyWithWantReturn) {
  for (DWORD extra : {0u, static_cast<unsigned>(ES_WANTRETURN)}) {
    auto t = MakeTemplate({Item(80, "EDIT", "", WS_TABSTOP | ES_MULTILINE | extra, CRect(5, 5, 150, 60)),
                           Item(IDOK, "BUTTON", "OK", WS_TABSTOP, CRect(5, 65, 50, 80))});
    HookDialog dlg(t);
    std::string text;
    dlg.onInit = [&](HookDialog&) {
      Screen().TypeText("a");
      Screen().PressKey(VK_RETURN);
      Screen().TypeText("b");
      Screen().PressKey(VK_TAB);  // to the OK button
      Screen().PressKey(VK_RETURN);
    };
    dlg.exchange = [&](CDataExchange* dx) { DDX_Text(dx, 80, text); };
    INT_PTR result = dlg.DoModal();
    Pump();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(text, extra ? "a\r\nb" : "a") << extra;
  }
}

TEST_F(ControlsTest, EditCutCopyPasteUndoAndItsContextMenu) {
  ScopedWindow<CEdit> edit, secret;
  ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(10, 10, 200, 32), parent_, 39));
  ASSERT_TRUE(secret.Create(WS_VISIBLE | ES_PASSWORD, CRect(10, 40, 200, 62), parent_, 40));
  ui::SetClipboardText("");
  edit.SetWindowText("hello world");
  edit.SetSel(0, 5);
  edit.Cut();
  EXPECT_EQ(TextOf(edit), " world");
  EXPECT_EQ(ui::GetClipboardText(), "hello");
  edit.SetSel(6, 6);
  edit.Paste();
  EXPECT_EQ(TextOf(edit), " worldhello");
  EXPECT_TRUE(edit.Undo());
  EXPECT_EQ(TextOf(edit), " world");

  ui::SetClipboardText("one\r\ntwo");
  edit.SetSel(0, -1);
  edit.Paste();
  EXPECT_EQ(TextOf(edit), "one") << "a single-line field takes the first line";

  secret.SetWindowText("pw");
  secret.SetSel(0, -1);
  secret.Copy();
  EXPECT_EQ(ui::GetClipboardText(), "one\r\ntwo") << "a password is never copied";

  // The context menu: Select All, then Copy.
  std::vector<std::string> grayed;
  int round = 0;
  ui::SetPopupMenuAnswererForTesting([&](const ui::PopupMenuRequest& r) {
    CMenu* menu = CMenu::FromHandle(r.menu);
    if (round++ == 0) {
      for (int i = 0; i < menu->GetMenuItemCount(); ++i) {
        std::string text;
        menu->GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        if (!text.empty() && (menu->GetMenuState(static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED)) {
          grayed.push_back(text);
        }
      }
      return static_cast<int>(menu->GetMenuItemID(menu->GetMenuItemCount() - 1));  // Select All
    }
    return static_cast<int>(menu->GetMenuItemID(3));  // Copy
  });
  edit.SetSel(1, 1);
  edit.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.m_hWnd), MAKELPARAM(50, 50));
  edit.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.m_hWnd), MAKELPARAM(50, 50));
  ui::SetPopupMenuAnswererForTesting(nullptr);
  EXPECT_EQ(ui::GetClipboardText(), "one");
  EXPECT_EQ(grayed, (std::vector<std::string>{"剪切(&T)", "复制(&C)", "删除(&D)"})) << "nothing selected";
}

// A program's edit: refuses digits in OnChar, and picks its own colours
// through the reflected colour message.
class FilteredEdit : public CEdit {
 public:
  CBrush back{RGB(0x44, 0x00, 0x44)};
  int refused = 0;

 protected:
  void OnChar(UINT ch, UINT repeat, UINT flags) override {
    if (ch >= '0' && ch <= '9') {
      ++refused;
      return;
    }
    CEdit::OnChar(ch, repeat, flags);
  }
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_REFLECT_CTLCOLOR) {
      CDC::FromHandle(reinterpret_cast<HDC>(wParam))->SetTextColor(RGB(255, 255, 0));
      return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(back));
    }
    return CEdit::OnMessage(msg, wParam, lParam);
  }
};

TEST_F(ControlsTest, DerivedControlsOverrideHandlersAndKeepTheControlsBehaviour) {
  ScopedWindow<FilteredEdit> edit;
  ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(10, 10, 200, 32), parent_, 38));
  edit.SetFocus();
  Screen().TypeText("a1b2");
  Pump();
  EXPECT_EQ(TextOf(edit), "ab");
  EXPECT_EQ(edit.refused, 2);
  bool parentAsked = false;
  parent_->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    parentAsked |= msg == WM_CTLCOLOREDIT;
    return false;
  };
  edit.Invalidate();
  Pump();
  CPoint corner = OnScreen(edit, -5 + 150, -5 + 2);
  EXPECT_EQ(Screen().ScreenPixel(corner.x, corner.y), RGB(0x44, 0x00, 0x44));
  EXPECT_FALSE(parentAsked) << "the control's own brush wins";
  // The hook reads a local of this test: take it away before the edit's
  // destruction sends the parent anything.
  parent_->hook = nullptr;
}

}  // namespace
}  // namespace test
}  // namespace kiv
