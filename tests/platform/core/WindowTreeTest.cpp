// Handles, the window tree, z-order, and the messages of creating, showing,
// moving and destroying windows.
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {
namespace {

class WindowTreeTest : public WindowTest {};

TEST_F(WindowTreeTest, HandleOfADestroyedWindowStaysInvalidEvenWhenItsSlotIsReused) {
  TestWnd* a = Top("a", CRect(0, 0, 10, 10));
  HWND old = a->m_hWnd;
  ASSERT_TRUE(IsWindow(old));
  // A handle kept in a 32-bit integer, as code written for 32 bits does, still works.
  auto kept = static_cast<int32_t>(reinterpret_cast<intptr_t>(old));
  EXPECT_EQ(reinterpret_cast<HWND>(static_cast<intptr_t>(kept)), old);
  a->DestroyWindow();
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(a->m_hWnd, nullptr);
  TestWnd* b = Top("b", CRect(0, 0, 10, 10));
  EXPECT_NE(b->m_hWnd, old);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_FALSE(PostMessage(old, WM_USER, 0, 0));
  EXPECT_EQ(SendMessage(old, WM_USER, 0, 0), 0);
}

TEST_F(WindowTreeTest, ChildrenKnowParentIdAndStackNewestOnTop) {
  TestWnd* top = Top("top", CRect(100, 100, 400, 300));
  TestWnd* c1 = Child(top, "c1", CRect(0, 0, 50, 50), 11);
  TestWnd* c2 = Child(top, "c2", CRect(10, 10, 60, 60), 12);
  EXPECT_EQ(c1->GetParent(), top);
  EXPECT_EQ(top->GetDlgItem(12), c2);
  EXPECT_EQ(c2->GetDlgCtrlID(), 12);
  EXPECT_TRUE(IsChild(top->m_hWnd, c2->m_hWnd));
  EXPECT_EQ(GetWindow(top->m_hWnd, GW_CHILD), c2->m_hWnd);  // topmost child first
  EXPECT_EQ(GetWindow(c2->m_hWnd, GW_HWNDNEXT), c1->m_hWnd);
  EXPECT_EQ(c2->GetTopLevelParent(), top);
  c1->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);  // HWND_TOP
  EXPECT_EQ(GetWindow(top->m_hWnd, GW_CHILD), c1->m_hWnd);
  CRect r;
  c2->GetWindowRect(&r);
  EXPECT_EQ(r, CRect(110, 110, 160, 160));
  CPoint p(115, 120);
  c2->ScreenToClient(&p);
  EXPECT_EQ(p, CPoint(5, 10));
}

TEST_F(WindowTreeTest, CreationSendsCreateSizeMoveAndShowInOrder) {
  TestWnd* top = Top("top", CRect(5, 6, 105, 56));
  std::vector<UINT> msgs;
  for (auto& r : log_) {
    if (r.msg == WM_NCCREATE || r.msg == WM_CREATE || r.msg == WM_SIZE || r.msg == WM_MOVE ||
        r.msg == WM_SHOWWINDOW) {
      msgs.push_back(r.msg);
    }
  }
  EXPECT_EQ(msgs, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}));
  auto size = Of("top", WM_SIZE);
  EXPECT_EQ(LOWORD(size[0].lParam), 100);
  EXPECT_EQ(HIWORD(size[0].lParam), 50);
  EXPECT_TRUE(top->IsWindowVisible());
}

TEST_F(WindowTreeTest, ACreateHandlerReturningMinusOneFailsCreation) {
  TestWnd w("w", &log_);
  w.hook = [](UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_CREATE) return false;
    *r = -1;
    return true;
  };
  EXPECT_FALSE(w.CreateEx(0, "TestWnd", "w", WS_POPUP, CRect(0, 0, 5, 5), nullptr, 0));
  EXPECT_EQ(w.m_hWnd, nullptr);
  EXPECT_EQ(Who(WM_NCDESTROY), std::vector<std::string>{"w"});
}

TEST_F(WindowTreeTest, DestroyTellsParentFirstThenChildrenAndNcDestroyInReverse) {
  TestWnd* top = Top("top", CRect(0, 0, 100, 100));
  TestWnd* c = Child(top, "c", CRect(0, 0, 10, 10));
  Child(c, "g", CRect(0, 0, 5, 5));
  log_.clear();
  top->DestroyWindow();
  EXPECT_EQ(Who(WM_DESTROY), (std::vector<std::string>{"top", "c", "g"}));
  EXPECT_EQ(Who(WM_NCDESTROY), (std::vector<std::string>{"g", "c", "top"}));
  EXPECT_FALSE(IsWindow(c->m_hWnd));
}

TEST_F(WindowTreeTest, DestroyingAnOwnerDestroysItsOwnedWindowsFirst) {
  TestWnd* owner = Top("owner", CRect(0, 0, 100, 100));
  TestWnd* popup = Top("popup", CRect(10, 10, 50, 50), WS_POPUP | WS_VISIBLE, 0, owner);
  EXPECT_EQ(popup->GetOwner(), owner);
  log_.clear();
  owner->DestroyWindow();
  EXPECT_EQ(Who(WM_DESTROY), (std::vector<std::string>{"popup", "owner"}));
}

TEST_F(WindowTreeTest, ShowWindowSendsShowWindowOnlyOnChangeAndReturnsPreviousState) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10), WS_POPUP);
  EXPECT_FALSE(w->ShowWindow(SW_SHOW));
  EXPECT_TRUE(w->ShowWindow(SW_SHOW));
  EXPECT_TRUE(w->ShowWindow(SW_HIDE));
  EXPECT_FALSE(w->ShowWindow(SW_HIDE));
  auto shows = Of("w", WM_SHOWWINDOW);
  ASSERT_EQ(shows.size(), 2u);
  EXPECT_EQ(shows[0].wParam, static_cast<WPARAM>(TRUE));
  EXPECT_EQ(shows[1].wParam, static_cast<WPARAM>(FALSE));
}

TEST_F(WindowTreeTest, ChildOfAHiddenParentIsNotVisible) {
  TestWnd* top = Top("top", CRect(0, 0, 100, 100), WS_POPUP);
  TestWnd* c = Child(top, "c", CRect(0, 0, 10, 10));
  EXPECT_FALSE(c->IsWindowVisible());
  EXPECT_TRUE(c->GetStyle() & WS_VISIBLE);
  top->ShowWindow(SW_SHOW);
  EXPECT_TRUE(c->IsWindowVisible());
}

struct MoveCase {
  const char* name;
  CRect to;
  bool moves;
  bool sizes;
};

class WindowMoveTest : public WindowTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(WindowMoveTest, MoveWindowSendsMoveAndSizeOnlyForWhatChanged) {
  const MoveCase& c = GetParam();
  TestWnd* w = Top("w", CRect(10, 20, 110, 70));
  log_.clear();
  w->MoveWindow(&c.to);
  EXPECT_EQ(Of("w", WM_MOVE).size(), c.moves ? 1u : 0u);
  EXPECT_EQ(Of("w", WM_SIZE).size(), c.sizes ? 1u : 0u);
  EXPECT_EQ(Of("w", WM_WINDOWPOSCHANGED).size(), (c.moves || c.sizes) ? 1u : 0u);
  CRect r;
  w->GetWindowRect(&r);
  EXPECT_EQ(r, c.to);
  if (c.sizes) {
    auto s = Of("w", WM_SIZE)[0];
    EXPECT_EQ(LOWORD(s.lParam), c.to.Width());
    EXPECT_EQ(HIWORD(s.lParam), c.to.Height());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowMoveTest,
                         ::testing::Values(MoveCase{"same", CRect(10, 20, 110, 70), false, false},
                                           MoveCase{"move", CRect(30, 40, 130, 90), true, false},
                                           MoveCase{"size", CRect(10, 20, 60, 90), false, true},
                                           MoveCase{"both", CRect(0, 0, 20, 20), true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTreeTest, WindowPosChangingMayAdjustTheNewPlace) {
  TestWnd* w = Top("w", CRect(0, 0, 100, 100));
  w->hook = [](UINT msg, WPARAM, LPARAM lp, LRESULT*) {
    if (msg == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(lp)->cx = 42;
    return false;
  };
  w->MoveWindow(5, 5, 300, 300);
  CRect r;
  w->GetWindowRect(&r);
  EXPECT_EQ(r, CRect(5, 5, 47, 305));
}

TEST_F(WindowTreeTest, TopLevelZOrderKeepsTopmostAboveAndOwnedAboveOwner) {
  TestWnd* a = Top("a", CRect(0, 0, 10, 10));
  TestWnd* t = Top("t", CRect(0, 0, 10, 10), WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
  TestWnd* b = Top("b", CRect(0, 0, 10, 10));
  TestWnd* owned = Top("owned", CRect(0, 0, 10, 10), WS_POPUP | WS_VISIBLE, 0, a);
  // Bringing a up raises its owned window with it; t stays on top.
  a->BringWindowToTop();
  EXPECT_EQ(GetTopWindow(nullptr), t->m_hWnd);
  EXPECT_EQ(GetWindow(t->m_hWnd, GW_HWNDNEXT), owned->m_hWnd);
  EXPECT_EQ(GetWindow(owned->m_hWnd, GW_HWNDNEXT), a->m_hWnd);
  EXPECT_EQ(GetWindow(a->m_hWnd, GW_HWNDNEXT), b->m_hWnd);
}

TEST_F(WindowTreeTest, PropertiesAreKeptPerWindowAndRemovable) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  int value = 7;
  EXPECT_TRUE(w->SetProp("KivDesk", &value));
  EXPECT_EQ(w->GetProp("KivDesk"), &value);
  EXPECT_EQ(w->GetProp("Other"), nullptr);
  EXPECT_EQ(w->RemoveProp("KivDesk"), &value);
  EXPECT_EQ(w->GetProp("KivDesk"), nullptr);
}

TEST_F(WindowTreeTest, WindowTextRoundTripsGbkBytes) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  w->SetWindowText("翠溪提醒");
  std::string text;
  w->GetWindowText(text);
  EXPECT_EQ(text, std::string("翠溪提醒"));
  EXPECT_EQ(text.size(), 8u);  // GBK: two bytes a character
  char small[5];
  EXPECT_EQ(w->GetWindowText(small, 5), 4);
}

TEST_F(WindowTreeTest, MaximizeFillsTheWorkAreaAndRestoreBringsTheOldPlaceBack) {
  TestWnd* w = Top("w", CRect(10, 10, 110, 110));
  w->ShowWindow(SW_MAXIMIZE);
  CRect r;
  w->GetWindowRect(&r);
  EXPECT_EQ(r, CRect(0, 0, 1366, 728));
  EXPECT_TRUE(w->IsZoomed());
  w->ShowWindow(SW_RESTORE);
  w->GetWindowRect(&r);
  EXPECT_EQ(r, CRect(10, 10, 110, 110));
}

TEST_F(WindowTreeTest, ScreenMetricsComeFromTheDisplay) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1366);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  CRect work;
  ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work, CRect(0, 0, 1366, 728));
  SetDisplay(std::make_unique<HeadlessDisplay>(CSize(1024, 768), 30));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.bottom, 738);
}

// What a second start raises: the owner, then the pop-up that was active
// over it last, as long as that pop-up can still take the user's input.
TEST_F(WindowTreeTest, LastActivePopupIsTheOwnedWindowActivatedLastWhileItCanTakeInput) {
  TestWnd* owner = Top("owner", CRect(0, 0, 100, 100));
  TestWnd* first = Top("first", CRect(10, 10, 50, 50), WS_POPUP | WS_VISIBLE, 0, owner);
  TestWnd* nested = Top("nested", CRect(20, 20, 40, 40), WS_POPUP | WS_VISIBLE, 0, first);
  TestWnd* other = Top("other", CRect(0, 0, 10, 10));
  EXPECT_EQ(GetLastActivePopup(nullptr), nullptr);
  EXPECT_EQ(GetLastActivePopup(other->m_hWnd), other->m_hWnd);  // owns nothing

  nested->SetActiveWindow();
  other->SetActiveWindow();  // another window's activation changes nothing here
  EXPECT_EQ(GetLastActivePopup(owner->m_hWnd), nested->m_hWnd);  // owned through `first`
  EXPECT_EQ(owner->GetLastActivePopup(), nested);
  first->SetActiveWindow();
  EXPECT_EQ(GetLastActivePopup(owner->m_hWnd), first->m_hWnd);
  owner->SetActiveWindow();
  EXPECT_EQ(GetLastActivePopup(owner->m_hWnd), owner->m_hWnd);  // the owner itself was last

  // Hiding the pop-up hands activation to its owner, which is then the
  // last; a disabled pop-up is passed over only while it is disabled.
  struct Case {
    const char* what;
    std::function<void()> make, undo;
    CWnd* lastAfterUndo;
  };
  const Case cases[] = {
      {"hidden", [&] { first->ShowWindow(SW_HIDE); }, [&] { first->ShowWindow(SW_SHOWNA); }, owner},
      {"disabled", [&] { first->EnableWindow(FALSE); }, [&] { first->EnableWindow(TRUE); }, first},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    first->SetActiveWindow();
    c.make();
    EXPECT_EQ(GetLastActivePopup(owner->m_hWnd), owner->m_hWnd);
    c.undo();
    EXPECT_EQ(GetLastActivePopup(owner->m_hWnd), c.lastAfterUndo->m_hWnd);
  }
  // A destroyed pop-up hands activation to its own owner, the next answer.
  nested->SetActiveWindow();
  nested->DestroyWindow();
  EXPECT_EQ(GetLastActivePopup(owner->m_hWnd), first->m_hWnd);
}

}  // namespace
}  // namespace test
}  // namespace kiv
