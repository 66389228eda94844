// The monitor window and the head photo, headless. The monitor window makes
// its list through the plug-in table (a registered test list here, the
// recording stand-in otherwise), passes a stock to open and the list's
// hand-over on to its owner, turns the wheel over its list into WM_VSCROLL,
// and keeps m_bShown in step with WM_SHOWWINDOW.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/post/Posting.h"
#include "shell/ChromeIds.h"
#include "shell/KivDesk_Dlg_Tip.h"
#include "shell/KivDesk_Wnd_HeadPhoto.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellPlugins.h"
#include "shell/StandInCallLog.h"
#include "shell/StandInCompactWatchList.h"
#include "tests/shell/ChromeTestSupport.h"

namespace kiv::test {
namespace {

// A registered compact list that records what reaches it.
class TestWatchList : public CWnd, public CompactWatchList {
 public:
  BOOL CreateList(LPCSTR name, DWORD style, const RECT& rect, CWnd* parent, UINT id) override {
    return Create(nullptr, name, style, rect, parent, id);
  }
  CWnd& Window() override { return *this; }
  void SetListFont(const LOGFONT& font) override { fontHeight = font.lfHeight; }
  int RefreshNames() override { return ++names; }
  void RefreshRows() override { ++rows; }
  LPARAM WatchForwardParam() override { return 0x5A5A; }

  struct Scroll {
    UINT code;
    UINT pos;
    LPARAM lParam;
  };
  std::vector<Scroll> scrolls;
  int names = 0;
  int rows = 0;
  LONG fontHeight = 0;

 protected:
  void OnVScroll(UINT code, UINT pos, LPARAM lParam) override { scrolls.push_back({code, pos, lParam}); }
};

class MonitorWindowTest : public ChromeWindowTest {
 protected:
  void SetUp() override {
    ChromeWindowTest::SetUp();
    GetShellPlugins() = ShellPlugins();
    StandInCallLog::Clear();
    owner_ = Top("owner", CRect(0, 0, 300, 200));
    owner_->hook = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT*) {
      if (msg == WM_KIV_OPEN_STOCK) {
        std::unique_ptr<StockId> stock = AdoptPosted<StockId>(wParam);
        opened_.push_back({stock ? *stock : 0, lParam});
      }
      return false;
    };
  }
  void TearDown() override {
    if (tip_) tip_->DestroyWindow();
    tip_.reset();
    GetShellPlugins() = ShellPlugins();
    ChromeWindowTest::TearDown();
  }
  CKivDesk_Dlg_Tip& Open(CWnd* owner) {
    tip_ = std::make_unique<CKivDesk_Dlg_Tip>(owner);
    EXPECT_TRUE(tip_->Create());
    tip_->MoveWindow(600, 200, 250, 300);
    return *tip_;
  }
  TestWatchList* RegisterTestList() {
    auto* made = new TestWatchList();
    GetShellPlugins().compactWatchList = [made] { return std::unique_ptr<CompactWatchList>(made); };
    return made;
  }

  struct Opened {
    StockId stock;
    LPARAM origin;
  };
  TestWnd* owner_ = nullptr;
  std::unique_ptr<CKivDesk_Dlg_Tip> tip_;
  std::vector<Opened> opened_;
};

TEST_F(MonitorWindowTest, HoldsItsListOnePixelInsideAndRefreshesItOnlyWhileItHasAWindow) {
  CKivDesk_Dlg_Tip& tip = Open(owner_);
  EXPECT_FALSE(tip.IsWindowVisible());
  ASSERT_NE(dynamic_cast<StandInCompactWatchList*>(tip.List()), nullptr);
  CWnd& list = tip.List()->Window();
  EXPECT_EQ(list.GetDlgCtrlID(), static_cast<int>(kIdcMonitorList));
  std::string name;
  list.GetWindowText(name);
  EXPECT_EQ(name, "Kiv_List_ZiXuan4");
  CRect client, inner;
  tip.GetClientRect(&client);
  list.GetWindowRect(&inner);
  tip.ScreenToClient(&inner);
  client.DeflateRect(1, 1);
  // Laid out at creation, on the template's client area.
  EXPECT_EQ(inner.TopLeft(), client.TopLeft());
  EXPECT_EQ(StandInCallLog::Count("CompactWatchList::SetListFont"), 1u);
  EXPECT_EQ(StandInCallLog::Calls()[1].value, UiTheme().lfSmall.lfHeight);
  EXPECT_EQ(tip.Mode(), 2);

  tip.ReloadList();
  tip.RefreshList();
  EXPECT_EQ(StandInCallLog::Count("CompactWatchList::RefreshNames"), 1u);
  EXPECT_EQ(StandInCallLog::Count("CompactWatchList::RefreshRows"), 1u);
  list.DestroyWindow();
  tip.ReloadList();
  tip.RefreshList();
  EXPECT_EQ(StandInCallLog::Count("CompactWatchList::RefreshNames"), 1u);
  EXPECT_EQ(StandInCallLog::Count("CompactWatchList::RefreshRows"), 1u);
}

TEST_F(MonitorWindowTest, PassesAStockToOpenAndTheListsHandOverToItsOwner) {
  TestWatchList* list = RegisterTestList();
  CKivDesk_Dlg_Tip& tip = Open(owner_);
  ASSERT_EQ(tip.List(), list);
  EXPECT_EQ(list->fontHeight, UiTheme().lfSmall.lfHeight);
  const LPARAM origin = reinterpret_cast<LPARAM>(list->m_hWnd);
  ASSERT_TRUE(PostOwned(tip.m_hWnd, WM_KIV_OPEN_STOCK, std::make_unique<StockId>(MakeStockId(600519, kMarketShanghai)),
                        origin));
  tip.PostMessage(WM_KIV_WATCH_FORWARD, 7, 9);
  Pump();
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].stock, MakeStockId(600519, kMarketShanghai));
  EXPECT_EQ(opened_[0].origin, origin);
  ASSERT_EQ(Of("owner", WM_KIV_WATCH_FORWARD).size(), 1u);
  EXPECT_EQ(Of("owner", WM_KIV_WATCH_FORWARD)[0].wParam, 0u);
  EXPECT_EQ(Of("owner", WM_KIV_WATCH_FORWARD)[0].lParam, 0x5A5A);
}

TEST_F(MonitorWindowTest, WithoutAnOwnerWindowTheStockIsFreedAndNothingIsPassedOn) {
  TestWnd* gone = Top("gone", CRect(0, 0, 10, 10));
  CKivDesk_Dlg_Tip& tip = Open(gone);
  gone->DestroyWindow();
  // LeakSanitizer names the StockId if it is not freed.
  ASSERT_TRUE(PostOwned(tip.m_hWnd, WM_KIV_OPEN_STOCK, std::make_unique<StockId>(MakeStockId(1, kMarketShanghai)),
                        KIV_ORIGIN_NONE));
  tip.PostMessage(WM_KIV_WATCH_FORWARD, 0, 0);
  Pump();
  EXPECT_TRUE(opened_.empty());
  EXPECT_TRUE(Of("gone", WM_KIV_WATCH_FORWARD).empty());
}

TEST_F(MonitorWindowTest, TurnsTheWheelOverItsListIntoAScrollOfTheList) {
  TestWatchList* list = RegisterTestList();
  CKivDesk_Dlg_Tip& tip = Open(owner_);
  tip.ShowWindow(SW_SHOW);
  Pump();
  CRect rect;
  list->GetWindowRect(&rect);
  const CPoint inside(rect.left + 30, rect.top + 40);
  Screen().Wheel(inside, -120);
  Screen().Wheel(inside, 240);
  Pump();
  ASSERT_EQ(list->scrolls.size(), 2u);
  EXPECT_EQ(list->scrolls[0].code, static_cast<UINT>(SB_PAGEUP));
  EXPECT_EQ(list->scrolls[0].pos, 120u);
  EXPECT_EQ(list->scrolls[0].lParam, (static_cast<LPARAM>(inside.y) << 16) + inside.x);
  EXPECT_EQ(list->scrolls[1].code, static_cast<UINT>(SB_PAGEDOWN));
  EXPECT_EQ(list->scrolls[1].pos, 240u);
  // On the window's one-pixel rim, outside the list: no scroll.
  tip.GetWindowRect(&rect);
  Screen().Wheel(CPoint(rect.left, rect.top + 50), -120);
  Pump();
  EXPECT_EQ(list->scrolls.size(), 2u);
}

TEST_F(MonitorWindowTest, KnowsWhetherItIsShown) {
  CKivDesk_Dlg_Tip& tip = Open(owner_);
  EXPECT_FALSE(tip.IsShown());
  tip.ShowWindow(SW_SHOW);
  EXPECT_TRUE(tip.IsShown());
  tip.ShowWindow(SW_HIDE);
  EXPECT_FALSE(tip.IsShown());
  tip.ShowWindow(SW_SHOWNOACTIVATE);
  EXPECT_TRUE(tip.IsShown());
}

class HeadPhotoTest : public ChromeWindowTest {};

TEST_F(HeadPhotoTest, ShowsItsBitmapAtTheCornerOnTheDarkBackground) {
  TestWnd* main = Top("main", CRect(0, 0, 400, 300));
  ScopedWindow<CKivDesk_Wnd_HeadPhoto> photo(kIdbHeadPhoto);
  ASSERT_TRUE(photo.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(10, 40, 160, 170), main, 0));
  Pump();
  const CSize size = SkinSize(kIdbHeadPhoto);
  ASSERT_EQ(size, CSize(110, 88));
  std::unique_ptr<gdi::Surface> shot = Shot();
  for (CPoint p : {CPoint(0, 0), CPoint(55, 44), CPoint(109, 87)}) {
    EXPECT_EQ(ShotPixel(*shot, photo, p.x, p.y), SkinPixel(kIdbHeadPhoto, p.x, p.y)) << p.x << "," << p.y;
  }
  EXPECT_FALSE(HasInk(*shot, photo, CRect(110, 0, 150, 130), CKivDesk_Wnd_HeadPhoto::kBackground));
  EXPECT_FALSE(HasInk(*shot, photo, CRect(0, 88, 150, 130), CKivDesk_Wnd_HeadPhoto::kBackground));
}

}  // namespace
}  // namespace kiv::test
