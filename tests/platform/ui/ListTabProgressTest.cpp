#include <gtest/gtest.h>

#include <string>

#include "platform/ui/ListBox.h"
#include "platform/ui/ProgressCtrl.h"
#include "platform/ui/TabCtrl.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace kiv {
namespace test {
namespace {

class ListTabProgressTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    parent_ = Top("parent", CRect(100, 100, 500, 400));
  }
  std::vector<std::pair<int, int>> Commands() const {
    std::vector<std::pair<int, int>> notes;
    for (const auto& r : Of("parent", WM_COMMAND)) notes.emplace_back(LOWORD(r.wParam), HIWORD(r.wParam));
    return notes;
  }
  static CPoint At(CWnd& w, int x, int y) {
    CPoint p(x, y);
    w.ClientToScreen(&p);
    return p;
  }
  TestWnd* parent_ = nullptr;
};
using Pairs = std::vector<std::pair<int, int>>;

// --- List box --------------------------------------------------------------------

TEST_F(ListTabProgressTest, ListBoxKeepsItemsSortedWithTheirData) {
  ScopedWindow<CListBox> list;
  ASSERT_TRUE(list.Create(WS_VISIBLE | LBS_SORT, CRect(10, 10, 150, 110), parent_, 40));
  for (const char* s : {"pear", "Apple", "fig"}) list.SetItemData(list.AddString(s), reinterpret_cast<uintptr_t>(s));
  ASSERT_EQ(list.GetCount(), 3);
  std::string text;
  list.GetText(0, text);
  EXPECT_EQ(text, "Apple");
  EXPECT_STREQ(reinterpret_cast<const char*>(list.GetItemData(2)), "pear");
  EXPECT_EQ(list.FindString(-1, "FI"), 1);
  EXPECT_EQ(list.FindStringExact(-1, "fi"), LB_ERR);
  EXPECT_EQ(list.GetText(7, text), LB_ERR);
  EXPECT_EQ(list.DeleteString(9), LB_ERR);
  list.SetCurSel(2);
  EXPECT_EQ(list.DeleteString(0), 2);
  EXPECT_EQ(list.GetCurSel(), 1) << "the selection follows its item";
  EXPECT_TRUE(Commands().empty()) << "program changes report nothing";
}

TEST_F(ListTabProgressTest, ListBoxReportsUserSelectionAndDoubleClick) {
  ScopedWindow<CListBox> list;
  ASSERT_TRUE(list.Create(WS_VISIBLE | LBS_NOTIFY, CRect(10, 10, 150, 110), parent_, 41));
  for (const char* s : {"a", "b", "c", "d"}) list.AddString(s);
  int h = list.GetItemHeight(0);
  Screen().Click(At(list, 5, h + h / 2));
  Pump();
  EXPECT_EQ(list.GetCurSel(), 1);
  Screen().Click(At(list, 5, h + h / 2));  // the same item again: a double-click
  Pump();
  Screen().PressKey(VK_DOWN);
  Screen().PressKey(VK_END);
  Pump();
  EXPECT_EQ(list.GetCurSel(), 3);
  EXPECT_EQ(Commands(), (Pairs{{41, LBN_SETFOCUS}, {41, LBN_SELCHANGE}, {41, LBN_DBLCLK}, {41, LBN_SELCHANGE},
                               {41, LBN_SELCHANGE}}));
}

TEST_F(ListTabProgressTest, MultipleSelectionListBoxTogglesItems) {
  ScopedWindow<CListBox> list;
  ASSERT_TRUE(list.Create(WS_VISIBLE | LBS_MULTIPLESEL, CRect(10, 10, 150, 110), parent_, 42));
  for (const char* s : {"a", "b", "c"}) list.AddString(s);
  int h = list.GetItemHeight(0);
  Screen().Click(At(list, 5, h / 2));
  clock_.Advance(5000);  // far apart: two clicks, not a double-click
  Screen().Click(At(list, 5, 2 * h + h / 2));
  Pump();
  int items[3] = {};
  ASSERT_EQ(list.GetSelCount(), 2);
  ASSERT_EQ(list.GetSelItems(3, items), 2);
  EXPECT_EQ(items[0], 0);
  EXPECT_EQ(items[1], 2);
  list.SetSel(-1, FALSE);
  EXPECT_EQ(list.GetSelCount(), 0);
  EXPECT_EQ(list.SetCurSel(1), LB_ERR) << "single selection calls do not apply";
}

// A list that counts its paints.
class PaintCountingList : public CListBox {
 public:
  int paints = 0;

 protected:
  void OnPaint() override {
    ++paints;
    CListBox::OnPaint();
  }
};

// A list filled row by row with redraw off (as the stock search fills its
// pop-up) invalidates nothing and paints nothing until redraw returns, and
// is then painted once, with what it holds by then.
TEST_F(ListTabProgressTest, ListBoxFilledWithRedrawOffIsPaintedOnceWhenRedrawReturns) {
  ScopedWindow<PaintCountingList> list;
  ASSERT_TRUE(list.Create(WS_VISIBLE, CRect(10, 10, 150, 110), parent_, 44));
  list.AddString("first");
  EXPECT_TRUE(list.GetUpdateRect(nullptr)) << "with redraw on a change invalidates the list";
  Pump();
  ASSERT_EQ(list.paints, 1);

  list.paints = 0;
  list.SetRedraw(FALSE);
  list.ResetContent();
  for (int row = 0; row < 300; ++row) {
    list.AddString(("row " + std::to_string(row)).c_str());
    if (row % 50 == 0) {
      EXPECT_FALSE(list.GetUpdateRect(nullptr)) << "row " << row << " invalidated the list with redraw off";
      Pump();
    }
  }
  list.SetCurSel(0);
  list.SetTopIndex(0);
  EXPECT_FALSE(list.GetUpdateRect(nullptr));
  Pump();
  EXPECT_EQ(list.paints, 0);

  list.SetRedraw(TRUE);
  EXPECT_TRUE(list.GetUpdateRect(nullptr)) << "redraw on invalidates the changed list";
  Pump();
  EXPECT_EQ(list.paints, 1);
  const int h = list.GetItemHeight(0);
  const CPoint row0 = At(list, 1, h / 2);
  EXPECT_EQ(Screen().ScreenPixel(row0.x, row0.y), kiv::ui::kSelectionBack) << "the new selection is shown";

  list.paints = 0;
  list.SetRedraw(FALSE);
  list.SetRedraw(TRUE);
  Pump();
  EXPECT_EQ(list.paints, 0) << "redraw off and on without a change repaints nothing";
}

// A program's list: Delete removes the selected item; every other key and
// the mouse keep the list's behaviour.
class DeletingList : public CListBox {
 protected:
  void OnKeyDown(UINT ch, UINT repeat, UINT flags) override {
    if (ch == VK_DELETE && GetCurSel() != LB_ERR) {
      DeleteString(static_cast<UINT>(GetCurSel()));
      return;
    }
    CListBox::OnKeyDown(ch, repeat, flags);
  }
};

TEST_F(ListTabProgressTest, DerivedListBoxAddsAKeyAndKeepsTheOthers) {
  ScopedWindow<DeletingList> list;
  ASSERT_TRUE(list.Create(WS_VISIBLE | LBS_NOTIFY, CRect(10, 10, 150, 110), parent_, 43));
  for (const char* s : {"a", "b", "c", "d"}) list.AddString(s);
  int h = list.GetItemHeight(0);
  Screen().Click(At(list, 5, h + h / 2));
  Screen().PressKey(VK_DELETE);
  Pump();
  ASSERT_EQ(list.GetCount(), 3);
  std::string text;
  list.GetText(1, text);
  EXPECT_EQ(text, "c");
  Screen().PressKey(VK_END);
  Pump();
  EXPECT_EQ(list.GetCurSel(), 2);
  EXPECT_EQ(Commands(), (Pairs{{43, LBN_SETFOCUS}, {43, LBN_SELCHANGE}, {43, LBN_SELCHANGE}}));
}

// --- Tab control ---------------------------------------------------------------------

TEST_F(ListTabProgressTest, TabClickAsksTheParentThenReportsTheChange) {
  ScopedWindow<CTabCtrl> tabs;
  ASSERT_TRUE(tabs.Create(WS_VISIBLE, CRect(10, 10, 300, 200), parent_, 50));
  tabs.InsertItem(0, "分时");
  tabs.InsertItem(1, "K线", 77);
  EXPECT_EQ(tabs.GetCurSel(), 0);
  EXPECT_EQ(tabs.GetItemParam(1), 77);
  bool refuse = true;
  std::vector<UINT> codes;
  parent_->hook = [&](UINT msg, WPARAM, LPARAM lParam, LRESULT* result) {
    if (msg != WM_NOTIFY) return false;
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    codes.push_back(hdr->code);
    EXPECT_EQ(hdr->hwndFrom, tabs.m_hWnd);
    *result = hdr->code == TCN_SELCHANGING && refuse;
    return true;
  };
  CRect second;
  ASSERT_TRUE(tabs.GetItemRect(1, &second));
  Screen().Click(At(tabs, second.left + 3, second.top + 5));
  Pump();
  EXPECT_EQ(tabs.GetCurSel(), 0) << "the parent refused";
  refuse = false;
  clock_.Advance(5000);
  Screen().Click(At(tabs, second.left + 3, second.top + 5));
  Pump();
  EXPECT_EQ(tabs.GetCurSel(), 1);
  EXPECT_EQ(codes, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGING, TCN_SELCHANGE}));
  CRect page(0, 0, 290, 190);
  tabs.AdjustRect(FALSE, &page);
  EXPECT_GE(page.top, CTabCtrl::kTabHeight);
  tabs.AdjustRect(TRUE, &page);
  EXPECT_EQ(page, CRect(0, 0, 290, 190));
  parent_->hook = nullptr;  // it reads locals of this test
}

// A program's tab strip with its own look: it paints itself and keeps the
// strip's selection by click and key.
class SkinnedTabs : public CTabCtrl {
 protected:
  void OnPaint() override {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, RGB(0x30, 0x60, 0x90));
  }
};

TEST_F(ListTabProgressTest, DerivedTabCtrlPaintsItselfAndKeepsSelecting) {
  ScopedWindow<SkinnedTabs> tabs;
  ASSERT_TRUE(tabs.Create(WS_VISIBLE, CRect(10, 10, 300, 200), parent_, 51));
  tabs.InsertItem(0, "one");
  tabs.InsertItem(1, "two");
  tabs.InsertItem(2, "three");
  std::vector<UINT> codes;
  parent_->hook = [&](UINT msg, WPARAM, LPARAM lParam, LRESULT*) {
    if (msg == WM_NOTIFY) codes.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
    return false;
  };
  Pump();
  CPoint corner = At(tabs, 150, 100);
  EXPECT_EQ(Screen().ScreenPixel(corner.x, corner.y), RGB(0x30, 0x60, 0x90));
  CRect second;
  ASSERT_TRUE(tabs.GetItemRect(1, &second));
  Screen().Click(At(tabs, second.left + 3, second.top + 5));
  Screen().PressKey(VK_RIGHT);
  Pump();
  EXPECT_EQ(tabs.GetCurSel(), 2);
  EXPECT_EQ(codes, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE, TCN_SELCHANGING, TCN_SELCHANGE}));
  parent_->hook = nullptr;  // it reads locals of this test
}

// --- Progress bar --------------------------------------------------------------------

TEST_F(ListTabProgressTest, ProgressPositionStaysInRangeAndStepWraps) {
  ScopedWindow<CProgressCtrl> bar;
  ASSERT_TRUE(bar.Create(WS_VISIBLE, CRect(10, 10, 110, 30), parent_, 60));
  bar.SetRange32(0, 50);
  EXPECT_EQ(bar.SetPos(80), 0);
  EXPECT_EQ(bar.GetPos(), 50);
  bar.SetPos(-4);
  EXPECT_EQ(bar.GetPos(), 0);
  bar.SetStep(20);
  bar.StepIt();
  bar.StepIt();
  EXPECT_EQ(bar.GetPos(), 40);
  bar.StepIt();
  EXPECT_EQ(bar.GetPos(), 10) << "past the end it starts again";
  EXPECT_EQ(bar.OffsetPos(5), 10);
  int lo = -1, hi = -1;
  bar.SetRange(10, 5);  // inverted
  bar.GetRange(lo, hi);
  EXPECT_EQ(lo, 10);
  EXPECT_EQ(hi, 10);
  EXPECT_EQ(bar.GetPos(), 10);
}

TEST_F(ListTabProgressTest, ProgressDrawsTheFilledShare) {
  ScopedWindow<CProgressCtrl> bar;
  ASSERT_TRUE(bar.Create(WS_VISIBLE, CRect(10, 10, 110, 30), parent_, 61));
  bar.SetBarColor(RGB(0, 255, 0));
  bar.SetBkColor(RGB(0, 0, 0));
  bar.SetRange(0, 4);
  bar.SetPos(1);
  Pump();
  CPoint origin = At(bar, 0, 0);
  EXPECT_EQ(Screen().ScreenPixel(origin.x + 10, origin.y + 10), RGB(0, 255, 0));
  EXPECT_EQ(Screen().ScreenPixel(origin.x + 30, origin.y + 10), RGB(0, 0, 0));
}

}  // namespace
}  // namespace test
}  // namespace kiv
