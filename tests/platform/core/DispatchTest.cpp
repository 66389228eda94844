// CWnd's dispatch: standard messages reach their virtual handlers with
// decoded arguments, owner-draw requests reach the control named by its
// handle, and the layer's defaults stand behind Default().
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {
namespace {

class DispatchTest : public WindowTest {};

class HandlerWnd : public CWnd {
 public:
  std::vector<std::string> calls;
  CPoint lastPoint;
  UINT lastCtlColor = 99;
  CBrush brush{RGB(0x1A, 0x1A, 0x1A)};

 protected:
  void OnLButtonDown(UINT flags, CPoint point) override {
    calls.push_back("OnLButtonDown");
    lastPoint = point;
  }
  void OnSize(UINT, int cx, int cy) override { calls.push_back("OnSize " + std::to_string(cx) + "x" + std::to_string(cy)); }
  void OnTimer(UINT_PTR id) override { calls.push_back("OnTimer " + std::to_string(id)); }
  void OnKeyDown(UINT ch, UINT, UINT) override { calls.push_back("OnKeyDown " + std::to_string(ch)); }
  void OnVScroll(UINT sbCode, UINT, LPARAM) override { calls.push_back("OnVScroll " + std::to_string(sbCode)); }
  HBRUSH OnCtlColor(CDC* dc, CWnd*, UINT ctlColor) override {
    lastCtlColor = ctlColor;
    if (ctlColor == CTLCOLOR_DLG) {
      dc->SetBkColor(RGB(0x20, 0x20, 0x20));
      return brush;
    }
    return CWnd::OnCtlColor(dc, nullptr, ctlColor);
  }
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_VSCROLL) calls.push_back("WM_VSCROLL via OnMessage");
    return CWnd::OnMessage(msg, wParam, lParam);
  }
};

TEST_F(DispatchTest, StandardMessagesReachTheirHandlersWithDecodedArguments) {
  ScopedWindow<HandlerWnd> w;
  ASSERT_TRUE(w.CreateEx(0, "H", "H", WS_POPUP | WS_VISIBLE, CRect(0, 0, 120, 80), nullptr, 0));
  w.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 7));
  w.SetTimer(4, 10);
  clock_.Advance(10);
  w.SendMessage(WM_KEYDOWN, VK_F5, 1);
  w.SendMessage(WM_VSCROLL, 2, 0);
  Pump();
  EXPECT_EQ(w.lastPoint, CPoint(-3, 7));
  EXPECT_EQ(w.calls, (std::vector<std::string>{"OnSize 120x80", "OnLButtonDown", "OnKeyDown 116", "OnVScroll 2",
                                                "OnTimer 4"}));
}

TEST_F(DispatchTest, CtlColorPassesTheKindAndReturnsTheBrush) {
  ScopedWindow<HandlerWnd> w;
  ASSERT_TRUE(w.CreateEx(0, "H", "H", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  LRESULT r = w.SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc.GetSafeHdc()),
                            reinterpret_cast<LPARAM>(w.m_hWnd));
  EXPECT_EQ(w.lastCtlColor, CTLCOLOR_DLG);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(r), static_cast<HBRUSH>(w.brush));
  EXPECT_EQ(dc.GetBkColor(), RGB(0x20, 0x20, 0x20));
  w.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  EXPECT_EQ(w.lastCtlColor, CTLCOLOR_STATIC);
}

class OwnerDrawn : public CWnd {
 public:
  int draws = 0;
  void DrawItem(LPDRAWITEMSTRUCT dis) override {
    ++draws;
    EXPECT_EQ(dis->hwndItem, m_hWnd);
  }
};

TEST_F(DispatchTest, DrawItemIsRoutedByTheControlsHandleNotItsId) {
  TestWnd* parent = Top("parent", CRect(0, 0, 100, 100));
  ScopedWindow<OwnerDrawn> a, b;
  // The same id twice, as the program's windows do.
  ASSERT_TRUE(a.Create("B", "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), parent, 1001));
  ASSERT_TRUE(b.Create("B", "", WS_CHILD | WS_VISIBLE, CRect(20, 0, 30, 10), parent, 1001));
  DRAWITEMSTRUCT dis;
  dis.CtlID = 1001;
  dis.hwndItem = b.m_hWnd;
  EXPECT_TRUE(parent->SendMessage(WM_DRAWITEM, 1001, reinterpret_cast<LPARAM>(&dis)));
  EXPECT_EQ(a.draws, 0);
  EXPECT_EQ(b.draws, 1);
}

TEST_F(DispatchTest, DefaultCloseDestroysAndDefaultHitTestIsClient) {
  TestWnd* w = Top("w", CRect(10, 10, 50, 50));
  EXPECT_EQ(w->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(20, 20)), HTCLIENT);
  EXPECT_EQ(w->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(60, 20)), HTNOWHERE);
  HWND h = w->m_hWnd;
  w->SendMessage(WM_CLOSE);
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(DispatchTest, TransparentStripOverACaptionDraggedDialogDragsTheDialog) {
  // A dialog that drags from anywhere, with a strip whose empty area passes
  // the press through: a press on the strip's empty area moves the dialog.
  TestWnd* dialog = Top("dialog", CRect(100, 100, 400, 300));
  dialog->hitTest = HTCAPTION;
  TestWnd* strip = Child(dialog, "strip", CRect(0, 0, 300, 30));
  strip->hook = [](UINT msg, WPARAM, LPARAM lp, LRESULT* r) {
    if (msg != WM_NCHITTEST) return false;
    *r = GET_X_LPARAM(lp) < 200 ? HTCLIENT : HTTRANSPARENT;  // items on the left
    return true;
  };
  Pump();
  Screen().Click(Pt(150, 110));  // on an item
  Screen().Drag(Pt(350, 110), Pt(360, 130), 2);  // on the empty area
  Pump();
  EXPECT_EQ(Of("strip", WM_LBUTTONDOWN).size(), 1u);
  CRect r;
  dialog->GetWindowRect(&r);
  EXPECT_EQ(r, CRect(110, 120, 410, 320));
}

TEST_F(DispatchTest, SubclassingHandsAWindowToAnotherObject) {
  TestWnd* parent = Top("parent", CRect(0, 0, 100, 100));
  TestWnd* made = Child(parent, "made", CRect(0, 0, 10, 10), 7);
  HWND control = made->m_hWnd;
  TestWnd program("program", &log_);
  ASSERT_TRUE(program.SubclassWindow(control));
  EXPECT_EQ(made->m_hWnd, nullptr);  // the first object let go
  EXPECT_EQ(CWnd::FromHandle(control), &program);
  EXPECT_TRUE(parent->IsChild(&program));
  log_.clear();
  program.SendMessage(WM_USER);
  EXPECT_EQ(Who(WM_USER), std::vector<std::string>{"program"});
  EXPECT_EQ(program.Detach(), control);
  EXPECT_TRUE(IsWindow(control));  // detaching does not destroy
  EXPECT_EQ(CWnd::FromHandle(control), nullptr);
  EXPECT_EQ(SendMessage(control, WM_GETTEXTLENGTH, 0, 0), 4);  // "made", by default handling
}

}  // namespace
}  // namespace test
}  // namespace kiv
