// The item operations, the click handler, sizing and pass-through
// hit-testing that the shell's tab strip and the F10 view's two-row strip
// share: every case runs against both classes, which must answer alike.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "panes/f10/KivDesk_Wnd_TabF10.h"
#include "tests/shell/TabStripTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace test {
namespace {

// A strip of either class that counts its paints, and destroys its window
// before it goes.
template <class Strip>
class CountedStrip : public Strip {
 public:
  CountedStrip(int* paints, BOOL passThrough)
      : Strip(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, 0xE0A000, TRUE, passThrough), paints_(paints) {}
  ~CountedStrip() override {
    if (::IsWindow(this->m_hWnd)) this->DestroyWindow();
  }

 protected:
  void OnPaint() override {
    ++*paints_;
    Strip::OnPaint();
  }

 private:
  int* paints_;
};

enum class StripKind { kShell, kF10 };

class SharedStripTest;
using SharedCaseBody = std::function<void(SharedStripTest&)>;

struct SharedCase {
  std::string name;
  StripKind kind;
  SharedCaseBody body;
};

class SharedStripTest : public TabStripTest, public ::testing::WithParamInterface<SharedCase> {
 public:
  static constexpr int kWidth = 600;

  // The strip of the case's class, text-sized, one face high, on the
  // parent at (0, 0), with the given captions, painted once.
  CKivDesk_Wnd_Tab& Make(const std::vector<const char*>& texts, BOOL passThrough = FALSE) {
    if (GetParam().kind == StripKind::kShell) {
      strip_ = std::make_unique<CountedStrip<CKivDesk_Wnd_Tab>>(&paints_, passThrough);
    } else {
      strip_ = std::make_unique<CountedStrip<CKivDesk_Wnd_TabF10>>(&paints_, passThrough);
    }
    CreateTab(*strip_, kWidth);
    SetItems(*strip_, texts);
    Pump();
    paints_ = 0;
    return *strip_;
  }
  int Paints() const { return paints_; }
  using TabStripTest::Click;
  using TabStripTest::FaceHeight;
  using TabStripTest::OnScreen;
  using TabStripTest::Pump;
  using TabStripTest::SkinPixel;
  using WindowTest::Screen;
  using TabStripTest::ItemRect;
  using TabStripTest::Selections;
  using TabStripTest::StripPixel;
  TestWnd* Parent() { return parent_; }

 private:
  int paints_ = 0;
  std::unique_ptr<CKivDesk_Wnd_Tab> strip_;
};

using Posts = std::vector<std::pair<WPARAM, LPARAM>>;
const std::vector<const char*> kFourItems = {"公司概况", "财务数据", "", "股东研究"};

const std::vector<std::pair<std::string, SharedCaseBody>>& SharedCases() {
  static const std::vector<std::pair<std::string, SharedCaseBody>> cases = {
      {"a_press_on_another_captioned_item_selects_it_posts_once_and_repaints",
       [](SharedStripTest& t) {
         CKivDesk_Wnd_Tab& strip = t.Make(kFourItems);
         t.Click(strip, t.ItemRect(strip, 3).CenterPoint());
         EXPECT_EQ(strip.GetCurSel(), 3);
         EXPECT_EQ(t.Selections(), (Posts{{kMainTabId, 3}}));
         EXPECT_EQ(t.Paints(), 1);
         EXPECT_EQ(t.StripPixel(strip, t.ItemRect(strip, 3).left + 1, 1),
                   SharedStripTest::SkinPixel(kIdbTabSelected, 0, 1));
       }},
      {"a_press_on_the_current_item_posts_nothing_and_does_not_repaint",
       [](SharedStripTest& t) {
         CKivDesk_Wnd_Tab& strip = t.Make(kFourItems);
         ASSERT_EQ(strip.SetCurSel(1), 1);
         t.Click(strip, t.ItemRect(strip, 1).CenterPoint());
         EXPECT_EQ(strip.GetCurSel(), 1);
         EXPECT_TRUE(t.Selections().empty());
         EXPECT_EQ(t.Paints(), 0);
       }},
      {"a_press_where_no_captioned_item_lies_posts_nothing",
       [](SharedStripTest& t) {
         CKivDesk_Wnd_Tab& strip = t.Make(kFourItems);
         t.Click(strip, CPoint(SharedStripTest::kWidth - 5, 8));
         EXPECT_TRUE(t.ItemRect(strip, 2).IsRectEmpty()) << "an item without caption takes no room";
         EXPECT_EQ(strip.GetCurSel(), 0);
         EXPECT_TRUE(t.Selections().empty());
         EXPECT_EQ(t.Paints(), 0);
       }},
      {"an_item_emptied_after_painting_is_no_longer_chosen_where_it_was",
       [](SharedStripTest& t) {
         CKivDesk_Wnd_Tab& strip = t.Make(kFourItems);
         const CPoint place = t.ItemRect(strip, 1).CenterPoint();
         ASSERT_EQ(strip.SetItemText(1, ""), 1);
         t.Click(strip, place);
         ASSERT_EQ(strip.SetItemText(3, nullptr), 3);
         strip.Invalidate();
         t.Pump();
         t.Click(strip, place);
         EXPECT_EQ(strip.GetCurSel(), 0);
         EXPECT_TRUE(t.Selections().empty());
       }},
      {"emptying_keeps_the_old_selection_and_refuses_every_index",
       [](SharedStripTest& t) {
         CKivDesk_Wnd_Tab& strip = t.Make(kFourItems);
         ASSERT_EQ(strip.SetCurSel(3), 3);
         strip.SetItemCount(0);
         EXPECT_EQ(strip.GetItemCount(), 0);
         EXPECT_EQ(strip.GetCurSel(), 3);
         EXPECT_EQ(strip.SetCurSel(0), -1);
         EXPECT_EQ(strip.SetItemText(0, "公司概况"), -1);
         strip.SetItemCount(-1);
         EXPECT_EQ(strip.GetCurSel(), 3);
         strip.Invalidate();
         t.Pump();
         for (int x : {0, 300, SharedStripTest::kWidth - 1}) {
           EXPECT_EQ(t.StripPixel(strip, x, 1), SharedStripTest::SkinPixel(kIdbTabNormal, 0, 1)) << x;
         }
         t.Click(strip, CPoint(20, 8));
         EXPECT_TRUE(t.Selections().empty());
         // A new count starts again at item 0.
         strip.SetItemCount(2);
         EXPECT_EQ(strip.GetCurSel(), 0);
       }},
      {"out_of_range_indexes_are_refused_and_change_nothing",
       [](SharedStripTest& t) {
         CKivDesk_Wnd_Tab& strip = t.Make(kFourItems);
         ASSERT_EQ(strip.SetCurSel(1), 1);
         for (int index : {-1, 4, INT_MIN, INT_MAX}) {
           EXPECT_EQ(strip.SetItemText(index, "坏"), -1) << index;
           EXPECT_EQ(strip.SetCurSel(index), -1) << index;
         }
         EXPECT_EQ(strip.GetCurSel(), 1);
         EXPECT_EQ(strip.SetItemText(3, "股东"), 3);
         EXPECT_EQ(strip.SetCurSel(3), 3);
       }},
      {"pass_through_lets_a_press_on_the_empty_area_reach_the_parent",
       [](SharedStripTest& t) {
         t.Parent()->hitTest = HTCAPTION;
         CKivDesk_Wnd_Tab& strip = t.Make(kFourItems, TRUE);
         CRect before;
         t.Parent()->GetWindowRect(&before);
         const CPoint empty = SharedStripTest::OnScreen(strip, CPoint(SharedStripTest::kWidth - 20, 8));
         t.Screen().Drag(empty, CPoint(empty.x + 10, empty.y + 20), 2);
         t.Pump();
         CRect after;
         t.Parent()->GetWindowRect(&after);
         EXPECT_EQ(after.TopLeft(), CPoint(before.left + 10, before.top + 20));
         t.Click(strip, t.ItemRect(strip, 1).CenterPoint());
         EXPECT_EQ(t.Selections(), (Posts{{kMainTabId, 1}}));
       }},
      {"a_resize_rebuilds_the_picture_at_the_new_width",
       [](SharedStripTest& t) {
         CKivDesk_Wnd_Tab& strip = t.Make(kFourItems);
         strip.MoveWindow(0, 0, 900, SharedStripTest::FaceHeight());
         t.Pump();
         for (int x : {SharedStripTest::kWidth + 10, 899}) {
           EXPECT_EQ(t.StripPixel(strip, x, 1), SharedStripTest::SkinPixel(kIdbTabNormal, 0, 1)) << x;
         }
         EXPECT_EQ(t.StripPixel(strip, 1, 1), SharedStripTest::SkinPixel(kIdbTabSelected, 0, 1));
       }},
  };
  return cases;
}

std::vector<SharedCase> BothStrips() {
  std::vector<SharedCase> all;
  for (const auto& [name, body] : SharedCases()) {
    all.push_back(SharedCase{"shell_" + name, StripKind::kShell, body});
    all.push_back(SharedCase{"f10_" + name, StripKind::kF10, body});
  }
  return all;
}

TEST_P(SharedStripTest, AnswersAsTheSharedItemsSay) { GetParam().body(*this); }

INSTANTIATE_TEST_SUITE_P(Strips, SharedStripTest, ::testing::ValuesIn(BothStrips()), CaseName());

}  // namespace
}  // namespace test
}  // namespace kiv
