// The risk disclosure: its reading gate in mode 1 (what is shown as the
// view is scrolled and the box ticked, and what each button and key
// answers), mode 2's single button, and the authored text with its
// formatted sentences.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/RichTextView.h"
#include "shell/AccountIds.h"
#include "shell/MZSMDlg.h"
#include "shell/RiskDisclosureText.h"
#include "tests/shell/ModalDriver.h"
#include "tests/shell/ShellTestSupport.h"

namespace kiv::test {
namespace {

// What the dialog shows, as one word per element: "hint", "box", "accept",
// "decline", "close".
std::string RiskShown(CMZSMDlg& dlg) {
  std::string shown;
  const std::pair<int, const char*> items[] = {{kIdcRiskHint, "hint"},
                                                {kIdcRiskConsent, "box"},
                                                {kIdcDialogAccept, "accept"},
                                                {kIdcDialogDecline, "decline"},
                                                {kIdcDialogClose, "close"}};
  for (const auto& item : items) {
    CWnd* w = dlg.GetDlgItem(item.first);
    if (w != nullptr && w->IsWindowVisible()) shown += std::string(shown.empty() ? "" : " ") + item.second;
  }
  return shown;
}

TextRun RunAt(CRichTextView& view, size_t offset) {
  size_t at = 0;
  for (const TextRun& run : view.GetRuns()) {
    if (offset < at + run.text.size()) return run;
    at += run.text.size();
  }
  return TextRun{};
}

class MZSMDlgTest : public ShellWindowTest {
 protected:
  CPoint CentreOf(CMZSMDlg& dlg, int id) {
    CRect r;
    dlg.GetDlgItem(id)->GetWindowRect(&r);
    return r.CenterPoint();
  }
  // Waits until the dialog is up and has handled what it posted itself
  // while opening (the view's scroll to the top, the gate's first look).
  bool Opened(ModalDriver& d, CMZSMDlg& dlg) {
    if (!d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; })) return false;
    d.OnUi([&] { Pump(); });
    return true;
  }
  // Each action is handled before it returns (the input pumped), so that
  // what the dialog shows next is the action's doing.
  //
  // The user's pointer moves over the dialog's body (below the view): the
  // gate looks again if the view has scrolled.
  void Nudge(ModalDriver& d, CMZSMDlg& dlg) {
    d.OnUi([&] {
      CRect r;
      dlg.GetWindowRect(&r);
      Screen().MoveMouse(CPoint(r.left + 5 + (nudge_++ % 2), r.bottom - 10));
      Pump();
    });
  }
  void Click(ModalDriver& d, CMZSMDlg& dlg, int id) {
    d.OnUi([&] {
      Screen().Click(CentreOf(dlg, id));
      Pump();
    });
  }
  void Key(ModalDriver& d, UINT key) {
    d.OnUi([&] {
      Screen().PressKey(key);
      Pump();
    });
  }
  // Scrolls the view to pos as its scroll bar would, and moves the pointer.
  void ScrollTo(ModalDriver& d, CMZSMDlg& dlg, int pos) {
    d.OnUi([&] {
      dlg.View()->SetScrollPos(pos);
      Pump();
    });
    Nudge(d, dlg);
  }
  bool Shows(ModalDriver& d, CMZSMDlg& dlg, const std::string& expected, std::string* last) {
    return d.AskUi([&] { return (*last = RiskShown(dlg)) == expected; });
  }

  int nudge_ = 0;
};

TEST_F(MZSMDlgTest, TheGateOpensAtTheBottomAndTheTickShowsTheChoice) {
  CMZSMDlg dlg(1);
  std::string last;
  std::vector<std::string> failures;
  auto expect = [&](ModalDriver& d, const char* step, const std::string& shown) {
    if (!Shows(d, dlg, shown, &last)) failures.push_back(std::string(step) + ": shows \"" + last + "\"");
  };
  ModalDriver driver;
  const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(Opened(d, dlg));
    expect(d, "never scrolled", "hint close");
    Nudge(d, dlg);
    Key(d, VK_RETURN);  // accepts nothing yet
    expect(d, "Enter before the tick", "hint close");

    int highest = 0;
    d.OnUi([&] {
      int lowest = 0;
      dlg.View()->GetScrollRange(&lowest, &highest);
    });
    ASSERT_GT(highest, 400) << "the text is far longer than the view";
    const int threshold = highest - highest / 4;
    ScrollTo(d, dlg, threshold);
    expect(d, "at three quarters", "hint close");
    ScrollTo(d, dlg, threshold + 1);
    expect(d, "past three quarters", "box close");
    ScrollTo(d, dlg, threshold - 40);
    expect(d, "scrolled back up", "hint close");

    // The user's way down: into the view, then End.
    Click(d, dlg, kIdcRiskText);
    Key(d, VK_END);
    Nudge(d, dlg);
    expect(d, "at the bottom", "box close");
    Click(d, dlg, kIdcRiskConsent);
    expect(d, "ticked", "box accept decline close");
    Click(d, dlg, kIdcRiskConsent);
    expect(d, "unticked", "box close");
    Click(d, dlg, kIdcRiskConsent);
    ScrollTo(d, dlg, 0);
    expect(d, "ticked, then scrolled up", "box accept decline close");
    Key(d, VK_RETURN);  // Enter accepts now
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(failures.empty()) << ::testing::PrintToString(failures);
}

TEST_F(MZSMDlgTest, EachButtonAndKeyGivesItsAnswer) {
  enum class Via { kClose, kDecline, kAccept, kEscape, kScrollBarThenAccept };
  struct Case {
    const char* name;
    Via via;
    INT_PTR result;
  };
  const Case cases[] = {{"never scrolled, the close button", Via::kClose, IDCANCEL},
                        {"ticked, declined", Via::kDecline, IDCANCEL},
                        {"ticked, accepted", Via::kAccept, IDOK},
                        {"Esc", Via::kEscape, IDCANCEL},
                        {"the scroll bar's thumb dragged down, ticked, accepted", Via::kScrollBarThenAccept, IDOK}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMZSMDlg dlg(1);
    std::string last;
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(Opened(d, dlg));
      if (c.via == Via::kClose) return Click(d, dlg, kIdcDialogClose);
      if (c.via == Via::kEscape) return Key(d, VK_ESCAPE);
      if (c.via == Via::kScrollBarThenAccept) {
        // The bar right of the view: its thumb from the top to the bottom.
        CRect view;
        d.OnUi([&] { dlg.GetDlgItem(kIdcRiskText)->GetWindowRect(&view); });
        const int x = view.right + CMZSMDlg::kScrollGap + CMZSMDlg::kScrollWidth / 2;
        d.OnUi([&] { Screen().PressButton(CPoint(x, view.top + 4)); });
        d.OnUi([&] { Screen().MoveMouse(CPoint(x, view.bottom + 40)); });
        d.OnUi([&] { Screen().ReleaseButton(CPoint(x, view.bottom + 40)); });
        ASSERT_TRUE(d.WaitOnUi([&] {
          int lowest = 0, highest = 0;
          dlg.View()->GetScrollRange(&lowest, &highest);
          return dlg.View()->GetScrollPos() == highest;
        }));
      } else {
        ScrollTo(d, dlg, 100000);
      }
      Nudge(d, dlg);
      ASSERT_TRUE(Shows(d, dlg, "box close", &last)) << last;
      Click(d, dlg, kIdcRiskConsent);
      ASSERT_TRUE(Shows(d, dlg, "box accept decline close", &last)) << last;
      Click(d, dlg, c.via == Via::kDecline ? kIdcDialogDecline : kIdcDialogAccept);
    });
    EXPECT_EQ(result, c.result);
  }
}

TEST_F(MZSMDlgTest, ATextThatNeedsNoScrollingOpensTheGateOnceShown) {
  CMZSMDlg dlg(1);
  dlg.SetText("风险揭示\n\n短文。");
  std::string last;
  ModalDriver driver;
  const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(Opened(d, dlg));  // no pointer moves: the dialog looks by itself
    EXPECT_TRUE(Shows(d, dlg, "box close", &last)) << last;
    Click(d, dlg, kIdcRiskConsent);
    Click(d, dlg, kIdcDialogAccept);
  });
  EXPECT_EQ(result, IDOK);
}

TEST_F(MZSMDlgTest, ReadingModeHasOneButtonThatAnswersOk) {
  for (UINT key : {0u, static_cast<UINT>(VK_ESCAPE)}) {
    CMZSMDlg dlg(2);
    std::string shown;
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(Opened(d, dlg));
      ScrollTo(d, dlg, 100000);
      d.OnUi([&] {
        Pump();
        shown = RiskShown(dlg);
      });
      if (key != 0) return Key(d, key);
      Click(d, dlg, kIdcDialogAccept);
    });
    EXPECT_EQ(shown, "accept");
    EXPECT_EQ(result, key == 0 ? IDOK : IDCANCEL);
  }
}

TEST_F(MZSMDlgTest, ShowsTheTextInItsOrderWithItsSentencesFormatted) {
  const std::string text = kRiskDisclosureText;
  size_t lines = 1;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 55u);
  EXPECT_GT(text.size(), 3600u);
  EXPECT_LT(text.size(), 4100u);

  CMZSMDlg dlg(2);
  std::string plain;
  std::vector<TextRun> runs;
  TextRun title, declaration, heading, body, closing;
  ModalDriver driver;
  driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(Opened(d, dlg));
    d.OnUi([&] {
      CRichTextView& view = *dlg.View();
      plain = view.GetPlainText();
      title = RunAt(view, plain.find(kRiskDisclosureTitle));
      declaration = RunAt(view, plain.find(kRiskDeclaration) + 10);
      heading = RunAt(view, plain.find(kRiskDisclaimerHeading));
      body = RunAt(view, plain.find("尊敬的客户："));
      closing = RunAt(view, plain.find("股市有风险，入市须谨慎！"));
      dlg.EndDialog(IDOK);
    });
  });
  EXPECT_EQ(plain, text);
  const char* const inOrder[] = {kRiskDisclosureTitle, "尊敬的客户：", "中华人民共和国证券法", "一、", "用户服务协议",
                                 "二、", "三、", "四、", "五、", "翠溪证券提示：投资有风险，入市需谨慎。",
                                 kRiskDeclaration, "用户签名：", "签署日期：", kRiskDisclaimerHeading, "七、",
                                 "翠溪证券股份有限公司", "股市有风险，入市须谨慎！"};
  size_t at = 0;
  for (const char* sentence : inOrder) {
    const size_t found = plain.find(sentence, at);
    EXPECT_NE(found, std::string::npos) << "in order: " << sentence;
    if (found != std::string::npos) at = found;
  }
  EXPECT_TRUE(title.bold);
  EXPECT_EQ(title.pointSize, 11);
  EXPECT_TRUE(declaration.bold);
  EXPECT_EQ(declaration.pointSize, 9);
  EXPECT_TRUE(heading.bold);
  EXPECT_EQ(heading.pointSize, 11);
  EXPECT_FALSE(body.bold);
  EXPECT_EQ(body.pointSize, 9);
  EXPECT_FALSE(closing.bold);
}

}  // namespace
}  // namespace kiv::test
