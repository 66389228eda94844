#include <gtest/gtest.h>

#include "platform/ui/RichTextView.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace kiv {
namespace test {
namespace {

class RichTextViewTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    parent_ = Top("parent", CRect(100, 100, 600, 500));
    ASSERT_TRUE(view_.Create(WS_VISIBLE, CRect(10, 10, 210, 110), parent_, 70));
  }
  int Updates() const {
    int n = 0;
    for (const auto& r : Of("parent", WM_COMMAND)) n += HIWORD(r.wParam) == EN_UPDATE ? 1 : 0;
    return n;
  }
  TestWnd* parent_ = nullptr;
  CRichTextView view_;
};

TEST_F(RichTextViewTest, WrapsParagraphsAndBiggerRunsMakeTallerLines) {
  view_.AppendRun({"标题\n", true, 14});
  view_.AppendRun({"short", false, 9});
  EXPECT_EQ(view_.GetLineCount(), 2);
  int small = view_.GetContentHeight();
  view_.SetRuns({{"标题\n", true, 20}, {"short", false, 9}});
  EXPECT_GT(view_.GetContentHeight(), small);

  std::string zhong;
  for (int i = 0; i < 60; ++i) zhong += "中";
  view_.SetRuns({{zhong, false, 9}});
  int lines = view_.GetLineCount();
  EXPECT_GT(lines, 2) << "a long line wraps at the view's width";
  EXPECT_EQ(view_.GetPlainText(), zhong);

  view_.SetRuns({{"alpha beta gamma delta epsilon zeta eta theta iota kappa lambda", false, 9}});
  EXPECT_GT(view_.GetLineCount(), 1);
  view_.Clear();
  EXPECT_EQ(view_.GetLineCount(), 0);
  EXPECT_EQ(view_.GetContentHeight(), 0);
}

TEST_F(RichTextViewTest, FormatsAByteRangeWithoutSplittingACharacterOrMovingTheText) {
  view_.SetRuns({{"标题\n", false, 9, RGB(1, 2, 3)}, {"正文abc", false, 9}});
  view_.SetScrollPos(0);
  // Bytes 3..8 end inside the title's second character and inside the
  // body's second: each end falls back to the start of its character.
  view_.FormatRange(3, 8, true, 11);
  std::vector<TextRun> runs = view_.GetRuns();
  std::vector<std::string> texts;
  for (const TextRun& run : runs) texts.push_back(run.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"标", "题\n", "正", "文abc"}));
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_FALSE(runs[0].bold);
  EXPECT_TRUE(runs[1].bold);
  EXPECT_EQ(runs[1].pointSize, 11);
  EXPECT_EQ(runs[1].color, RGB(1, 2, 3)) << "the colour stays";
  EXPECT_TRUE(runs[2].bold);
  EXPECT_FALSE(runs[3].bold);
  EXPECT_EQ(runs[3].pointSize, 9);
  EXPECT_EQ(view_.GetPlainText(), "标题\n正文abc");
  std::string window;
  view_.GetWindowText(window);
  EXPECT_EQ(window, "标题\n正文abc");

  const int before = view_.GetContentHeight();
  view_.FormatRange(0, 100, true, 20);  // past the end: to the end
  EXPECT_GT(view_.GetContentHeight(), before);
  EXPECT_EQ(view_.GetRuns().front().pointSize, 20);
  EXPECT_EQ(view_.GetRuns().back().pointSize, 20);
  const size_t count = view_.GetRuns().size();
  view_.FormatRange(5, 5, false, 9);  // empty: nothing
  EXPECT_EQ(view_.GetRuns().size(), count);
}

TEST_F(RichTextViewTest, ScrollsWithinItsRangeAndReportsEachMove) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + "\n";
  view_.SetRuns({{text, false, 9}});
  int lo = -1, hi = -1;
  view_.GetScrollRange(&lo, &hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, view_.GetContentHeight() - 100);

  struct Step {
    const char* name;
    std::function<void()> act;
    int expected;  // -1: the end of the range
    bool moved;
  };
  const std::vector<Step> steps = {
      {"line down", [&] { view_.SendMessage(WM_VSCROLL, SB_LINEDOWN); }, 16, true},
      {"wheel down", [&] { view_.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA)); }, 64, true},
      {"to the bottom", [&] { view_.SendMessage(WM_VSCROLL, SB_BOTTOM); }, -1, true},
      {"past the bottom stays", [&] { view_.SendMessage(WM_KEYDOWN, VK_DOWN); }, -1, false},
      {"thumb", [&] { view_.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 30)); }, 30, true},
      {"set below zero", [&] { view_.SetScrollPos(-50); }, 0, true},
      {"home at the top stays", [&] { view_.SendMessage(WM_KEYDOWN, VK_HOME); }, 0, false},
  };
  for (const auto& s : steps) {
    int before = Updates();
    s.act();
    EXPECT_EQ(view_.GetScrollPos(), s.expected < 0 ? hi : s.expected) << s.name;
    EXPECT_EQ(Updates() - before, s.moved ? 1 : 0) << s.name;
  }
}

TEST_F(RichTextViewTest, ScrollStateIsReadableThroughTheWindowHandle) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "第" + std::to_string(i) + "条\n";
  view_.SetWindowText(text.c_str());
  std::string back;
  view_.GetWindowText(back);
  EXPECT_EQ(back, text);
  EXPECT_EQ(view_.GetPlainText(), text);

  int lo = -1, hi = -1;
  ASSERT_TRUE(::GetScrollRange(view_.m_hWnd, SB_VERT, &lo, &hi));
  EXPECT_EQ(lo, 0);
  EXPECT_GT(hi, 0);
  view_.PostMessage(WM_VSCROLL, SB_BOTTOM);
  Pump();
  // A reader who scrolled to the end is past three quarters of the range.
  EXPECT_EQ(::GetScrollPos(view_.m_hWnd, SB_VERT), hi);
  EXPECT_GT(::GetScrollPos(view_.m_hWnd, SB_VERT), hi - hi / 4);
  EXPECT_EQ(::SetScrollPos(view_.m_hWnd, SB_VERT, 5), hi);
  EXPECT_EQ(view_.GetScrollPos(), 5);

  EXPECT_FALSE(::GetScrollRange(parent_->m_hWnd, SB_VERT, &lo, &hi)) << "a window that does not scroll";
  EXPECT_EQ(hi, 0);
}

TEST_F(RichTextViewTest, RunsAreDrawnInTheirColour) {
  view_.SetRuns({{"■■■■", true, 12, RGB(255, 0, 0)}});
  Pump();
  CRect r;
  view_.GetWindowRect(&r);
  int red = 0;
  for (int x = r.left; x < r.left + 60; x += 3) {
    for (int y = r.top + 4; y < r.top + 24; y += 3) red += Screen().ScreenPixel(x, y) == RGB(255, 0, 0) ? 1 : 0;
  }
  EXPECT_GT(red, 0);
}

}  // namespace
}  // namespace test
}  // namespace kiv
