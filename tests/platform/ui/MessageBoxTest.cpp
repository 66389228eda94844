#include <gtest/gtest.h>

#include "platform/ui/MessageBox.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace kiv {
namespace test {
namespace {

class MessageBoxTest : public WindowTest {
 protected:
  void TearDown() override {
    ui::SetMessageBoxAnswererForTesting(nullptr);
    WindowTest::TearDown();
  }
};

TEST_F(MessageBoxTest, AnswererSeesTheBoxUpAndItsAnswerIsReturned) {
  TestWnd* main = Top("main", CRect(0, 0, 800, 600));
  ui::MessageBoxRequest seen;
  bool visible = false, ownerDisabled = false;
  ui::SetMessageBoxAnswererForTesting([&](const ui::MessageBoxRequest& r) {
    seen = r;
    visible = ::IsWindowVisible(r.box) != FALSE;
    ownerDisabled = !main->IsWindowEnabled();
    return IDNO;
  });
  EXPECT_EQ(MessageBox(main->m_hWnd, "确认退出吗？", "提示", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(seen.text, "确认退出吗？");
  EXPECT_EQ(seen.caption, "提示");
  EXPECT_EQ(seen.type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(seen.owner, main->m_hWnd);
  EXPECT_TRUE(visible);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(main->IsWindowEnabled());
  EXPECT_FALSE(::IsWindow(seen.box));

  ui::SetMessageBoxTitle("终端");
  EXPECT_EQ(AfxMessageBox("x"), IDNO);
  EXPECT_EQ(seen.caption, "终端");
}

TEST_F(MessageBoxTest, KeysAnswerAsTheButtonsAllow) {
  struct Case {
    const char* name;
    UINT type;
    std::vector<UINT> keys;
    int answer;
  };
  const std::vector<Case> cases = {
      {"Enter in an OK box", MB_OK, {VK_RETURN}, IDOK},
      {"Esc in an OK box answers OK", MB_OK | MB_ICONWARNING, {VK_ESCAPE}, IDOK},
      {"Esc cancels", MB_OKCANCEL, {VK_ESCAPE}, IDCANCEL},
      {"Enter picks the first button", MB_YESNO, {VK_RETURN}, IDYES},
      {"second default button", MB_YESNO | MB_DEFBUTTON2, {VK_RETURN}, IDNO},
      {"Esc is ignored without Cancel", MB_YESNO, {VK_ESCAPE, VK_TAB, VK_RETURN}, IDNO},
      {"Esc in Yes/No/Cancel", MB_YESNOCANCEL | MB_ICONERROR, {VK_ESCAPE}, IDCANCEL},
  };
  for (const auto& c : cases) {
    ui::SetMessageBoxAnswererForTesting([&](const ui::MessageBoxRequest&) {
      for (UINT k : c.keys) Screen().PressKey(k);
      return 0;
    });
    EXPECT_EQ(MessageBox(nullptr, "text", "caption", c.type), c.answer) << c.name;
    Pump();
  }
}

TEST_F(MessageBoxTest, ClickingAButtonAnswersWithIt) {
  ui::SetMessageBoxAnswererForTesting([&](const ui::MessageBoxRequest& r) {
    HWND no = ::GetDlgItem(r.box, IDNO);
    EXPECT_NE(no, nullptr);
    Screen().Click(CenterOnScreen(no));
    return 0;
  });
  EXPECT_EQ(MessageBox(nullptr, "a longer line of text that the box must make room for", nullptr, MB_YESNOCANCEL),
            IDNO);
}

TEST_F(MessageBoxTest, TheTextFitsInsideTheBox) {
  ui::SetMessageBoxAnswererForTesting([&](const ui::MessageBoxRequest& r) {
    CRect box, text, ok;
    ::GetWindowRect(r.box, &box);
    ::GetWindowRect(::GetDlgItem(r.box, 0xFFFF), &text);
    ::GetWindowRect(::GetDlgItem(r.box, IDOK), &ok);
    CRect inter;
    EXPECT_TRUE(inter.IntersectRect(box, text) && inter == text);
    EXPECT_TRUE(inter.IntersectRect(box, ok) && inter == ok);
    EXPECT_LE(text.bottom, ok.top);
    return IDOK;
  });
  std::string longText(300, 'w');
  EXPECT_EQ(MessageBox(nullptr, longText.c_str(), "t", MB_OK | MB_ICONINFORMATION), IDOK);
}

}  // namespace
}  // namespace test
}  // namespace kiv
