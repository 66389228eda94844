// The named handlers of CWnd: each standard message reaches its handler with
// its parameters decoded, the handler's answer becomes the message's result,
// and OnMessage sees none of them (one way to handle a message); the
// program's own messages reach OnMessage and no handler.
#include <map>

#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {
namespace {

// Records each handler call as "Name arg ...", naming the objects a test
// registered, and answers with values a case can recognise.
class HandlerProbe : public CWnd {
 public:
  std::vector<std::string> calls;
  std::vector<UINT> toOnMessage;
  std::map<const void*, std::string> names;
  CBrush brush{RGB(1, 2, 3)};
  HCURSOR dragIcon = reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x5A));
  int createAnswer = 0;  // -1 once made, to see the answer come back

 protected:
  std::string Name(const void* p) const {
    if (!p) return "null";
    auto it = names.find(p);
    return it == names.end() ? "unknown" : it->second;
  }
  std::string Dc(CDC* dc) const { return Name(dc ? dc->GetSafeHdc() : nullptr); }
  static std::string Pt(CPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
  static std::string N(long long v) { return std::to_string(v); }
  void Record(const std::string& call) { calls.push_back(call); }

  int OnCreate(LPCREATESTRUCT cs) override {
    Record("OnCreate " + Name(cs));
    return createAnswer;
  }
  void OnDestroy() override { Record("OnDestroy"); }
  void OnNcDestroy() override { Record("OnNcDestroy"); }
  void OnClose() override { Record("OnClose"); }
  void OnPaint() override { Record("OnPaint"); }
  BOOL OnEraseBkgnd(CDC* dc) override {
    Record("OnEraseBkgnd " + Dc(dc));
    return TRUE;
  }
  void OnSize(UINT type, int cx, int cy) override { Record("OnSize " + N(type) + " " + N(cx) + " " + N(cy)); }
  void OnMove(int x, int y) override { Record("OnMove " + N(x) + " " + N(y)); }
  void OnWindowPosChanging(WINDOWPOS* pos) override { Record("OnWindowPosChanging " + Name(pos)); }
  void OnWindowPosChanged(WINDOWPOS* pos) override { Record("OnWindowPosChanged " + Name(pos)); }
  void OnShowWindow(BOOL show, UINT status) override { Record("OnShowWindow " + N(show) + " " + N(status)); }
  void OnActivate(UINT state, CWnd* other, BOOL minimized) override {
    Record("OnActivate " + N(state) + " " + Name(other) + " " + N(minimized));
  }
  int OnMouseActivate(CWnd* top, UINT hitTest, UINT message) override {
    Record("OnMouseActivate " + Name(top) + " " + N(hitTest) + " " + N(message));
    return MA_NOACTIVATE;
  }
  void OnSetFocus(CWnd* old) override { Record("OnSetFocus " + Name(old)); }
  void OnKillFocus(CWnd* next) override { Record("OnKillFocus " + Name(next)); }
  void OnEnable(BOOL enable) override { Record("OnEnable " + N(enable)); }
  void OnTimer(UINT_PTR id) override { Record("OnTimer " + N(static_cast<long long>(id))); }
  void OnMouseMove(UINT flags, CPoint p) override { Record("OnMouseMove " + N(flags) + " " + Pt(p)); }
  void OnLButtonDown(UINT flags, CPoint p) override { Record("OnLButtonDown " + N(flags) + " " + Pt(p)); }
  void OnLButtonUp(UINT flags, CPoint p) override { Record("OnLButtonUp " + N(flags) + " " + Pt(p)); }
  void OnLButtonDblClk(UINT flags, CPoint p) override { Record("OnLButtonDblClk " + N(flags) + " " + Pt(p)); }
  void OnRButtonDown(UINT flags, CPoint p) override { Record("OnRButtonDown " + N(flags) + " " + Pt(p)); }
  void OnRButtonUp(UINT flags, CPoint p) override { Record("OnRButtonUp " + N(flags) + " " + Pt(p)); }
  void OnRButtonDblClk(UINT flags, CPoint p) override { Record("OnRButtonDblClk " + N(flags) + " " + Pt(p)); }
  void OnMButtonDown(UINT flags, CPoint p) override { Record("OnMButtonDown " + N(flags) + " " + Pt(p)); }
  void OnMButtonUp(UINT flags, CPoint p) override { Record("OnMButtonUp " + N(flags) + " " + Pt(p)); }
  BOOL OnMouseWheel(UINT flags, short delta, CPoint p) override {
    Record("OnMouseWheel " + N(flags) + " " + N(delta) + " " + Pt(p));
    return TRUE;
  }
  LRESULT OnNcHitTest(CPoint p) override {
    Record("OnNcHitTest " + Pt(p));
    return HTCAPTION;
  }
  void OnNcLButtonDown(UINT hit, CPoint p) override { Record("OnNcLButtonDown " + N(hit) + " " + Pt(p)); }
  void OnNcLButtonUp(UINT hit, CPoint p) override { Record("OnNcLButtonUp " + N(hit) + " " + Pt(p)); }
  void OnNcLButtonDblClk(UINT hit, CPoint p) override { Record("OnNcLButtonDblClk " + N(hit) + " " + Pt(p)); }
  void OnNcMouseMove(UINT hit, CPoint p) override { Record("OnNcMouseMove " + N(hit) + " " + Pt(p)); }
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override {
    Record("OnSetCursor " + Name(wnd) + " " + N(hitTest) + " " + N(message));
    return TRUE;
  }
  void OnCaptureChanged(CWnd* wnd) override { Record("OnCaptureChanged " + Name(wnd)); }
  void OnKeyDown(UINT ch, UINT repeat, UINT flags) override {
    Record("OnKeyDown " + N(ch) + " " + N(repeat) + " " + N(flags));
  }
  void OnKeyUp(UINT ch, UINT repeat, UINT flags) override {
    Record("OnKeyUp " + N(ch) + " " + N(repeat) + " " + N(flags));
  }
  void OnChar(UINT ch, UINT repeat, UINT flags) override {
    Record("OnChar " + N(ch) + " " + N(repeat) + " " + N(flags));
  }
  void OnSysKeyDown(UINT ch, UINT repeat, UINT flags) override {
    Record("OnSysKeyDown " + N(ch) + " " + N(repeat) + " " + N(flags));
  }
  void OnSysKeyUp(UINT ch, UINT repeat, UINT flags) override {
    Record("OnSysKeyUp " + N(ch) + " " + N(repeat) + " " + N(flags));
  }
  void OnSysChar(UINT ch, UINT repeat, UINT flags) override {
    Record("OnSysChar " + N(ch) + " " + N(repeat) + " " + N(flags));
  }
  void OnSysCommand(UINT id, LPARAM lParam) override { Record("OnSysCommand " + N(id) + " " + N(lParam)); }
  void OnVScroll(UINT sbCode, UINT pos, LPARAM source) override {
    Record("OnVScroll " + N(sbCode) + " " + N(pos) + " " + Name(reinterpret_cast<void*>(source)) + " " +
           Pt(CPoint(GET_X_LPARAM(source), GET_Y_LPARAM(source))));
  }
  void OnHScroll(UINT sbCode, UINT pos, LPARAM source) override {
    Record("OnHScroll " + N(sbCode) + " " + N(pos) + " " + Name(reinterpret_cast<void*>(source)));
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    Record("OnCommand " + N(LOWORD(wParam)) + " " + N(HIWORD(wParam)) + " " + Name(reinterpret_cast<void*>(lParam)));
    return TRUE;
  }
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    Record("OnNotify " + N(static_cast<long long>(wParam)) + " " + Name(reinterpret_cast<void*>(lParam)));
    *result = 42;
    return TRUE;
  }
  void OnDrawItem(int id, LPDRAWITEMSTRUCT dis) override { Record("OnDrawItem " + N(id) + " " + Name(dis)); }
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT kind) override {
    Record("OnCtlColor " + Dc(dc) + " " + Name(wnd) + " " + N(kind));
    return brush;
  }
  HCURSOR OnQueryDragIcon() override {
    Record("OnQueryDragIcon");
    return dragIcon;
  }
  BOOL OnCopyData(CWnd* from, COPYDATASTRUCT* data) override {
    Record("OnCopyData " + Name(from) + " " + Name(data) + " " + N(data ? data->cbData : -1));
    return TRUE;
  }
  void OnGetMinMaxInfo(MINMAXINFO* info) override { Record("OnGetMinMaxInfo " + Name(info)); }
  void OnContextMenu(CWnd* wnd, CPoint p) override { Record("OnContextMenu " + Name(wnd) + " " + Pt(p)); }

  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    toOnMessage.push_back(msg);
    return CWnd::OnMessage(msg, wParam, lParam);
  }
};

class NamedHandlersTest : public WindowTest {};

TEST_F(NamedHandlersTest, EachStandardMessageReachesOnlyItsHandlerWithDecodedArguments) {
  ScopedWindow<HandlerProbe> probe;
  ASSERT_TRUE(probe.CreateEx(0, "Probe", "", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
  probe.createAnswer = -1;
  TestWnd* other = Top("other", CRect(200, 0, 220, 20));
  probe.names[other] = "other";
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  HDC hdc = dc.GetSafeHdc();
  probe.names[hdc] = "dc";
  CREATESTRUCT cs;
  WINDOWPOS pos;
  DRAWITEMSTRUCT dis;
  COPYDATASTRUCT copy;
  copy.cbData = 17;
  MINMAXINFO minMax;
  char notifyHeader[32] = {};
  probe.names[&cs] = "cs";
  probe.names[&pos] = "pos";
  probe.names[&dis] = "dis";
  probe.names[&copy] = "copy";
  probe.names[&minMax] = "minmax";
  probe.names[notifyHeader] = "nmhdr";
  probe.names[other->m_hWnd] = "other";  // a handle passed as it is

  auto W = [](HWND h) { return reinterpret_cast<WPARAM>(h); };
  auto L = [](const void* p) { return reinterpret_cast<LPARAM>(p); };
  const LRESULT brush = reinterpret_cast<LRESULT>(static_cast<HBRUSH>(probe.brush));
  struct Case {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::string call;
    LRESULT result;
  };
  const HWND o = other->m_hWnd;
  const std::vector<Case> cases = {
      {WM_CREATE, 0, L(&cs), "OnCreate cs", -1},
      {WM_DESTROY, 0, 0, "OnDestroy", 0},
      {WM_NCDESTROY, 0, 0, "OnNcDestroy", 0},
      {WM_CLOSE, 0, 0, "OnClose", 0},
      {WM_PAINT, 0, 0, "OnPaint", 0},
      {WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0, "OnEraseBkgnd dc", TRUE},
      {WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(300, 200), "OnSize 2 300 200", 0},
      {WM_MOVE, 0, MAKELPARAM(-5, 7), "OnMove -5 7", 0},
      {WM_WINDOWPOSCHANGING, 0, L(&pos), "OnWindowPosChanging pos", 0},
      {WM_WINDOWPOSCHANGED, 0, L(&pos), "OnWindowPosChanged pos", 0},
      {WM_SHOWWINDOW, TRUE, 3, "OnShowWindow 1 3", 0},
      {WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 1), L(o), "OnActivate 2 other 1", 0},
      {WM_MOUSEACTIVATE, W(o), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN), "OnMouseActivate other 1 513", MA_NOACTIVATE},
      {WM_SETFOCUS, W(o), 0, "OnSetFocus other", 0},
      {WM_KILLFOCUS, 0, 0, "OnKillFocus null", 0},
      {WM_ENABLE, FALSE, 0, "OnEnable 0", 0},
      {WM_TIMER, 77, 0, "OnTimer 77", 0},
      {WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(-3, 7), "OnMouseMove 4 -3,7", 0},
      {WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(1, 2), "OnLButtonDown 9 1,2", 0},
      {WM_LBUTTONUP, 0, MAKELPARAM(3, 4), "OnLButtonUp 0 3,4", 0},
      {WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 6), "OnLButtonDblClk 1 5,6", 0},
      {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(7, 8), "OnRButtonDown 2 7,8", 0},
      {WM_RBUTTONUP, 0, MAKELPARAM(9, 10), "OnRButtonUp 0 9,10", 0},
      {WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(11, 12), "OnRButtonDblClk 2 11,12", 0},
      {WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(13, 14), "OnMButtonDown 16 13,14", 0},
      {WM_MBUTTONUP, 0, MAKELPARAM(15, 16), "OnMButtonUp 0 15,16", 0},
      {WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA), MAKELPARAM(900, 700), "OnMouseWheel 8 -120 900,700",
       TRUE},
      {WM_NCHITTEST, 0, MAKELPARAM(-1, -2), "OnNcHitTest -1,-2", HTCAPTION},
      {WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(20, 30), "OnNcLButtonDown 2 20,30", 0},
      {WM_NCLBUTTONUP, HTCAPTION, MAKELPARAM(21, 31), "OnNcLButtonUp 2 21,31", 0},
      {WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(22, 32), "OnNcLButtonDblClk 2 22,32", 0},
      {WM_NCMOUSEMOVE, HTCLOSE, MAKELPARAM(23, 33), "OnNcMouseMove 20 23,33", 0},
      {WM_SETCURSOR, W(o), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), "OnSetCursor other 1 512", TRUE},
      {WM_CAPTURECHANGED, 0, L(o), "OnCaptureChanged other", 0},
      {WM_KEYDOWN, VK_F5, 3 | KF_EXTENDED_BIT, "OnKeyDown 116 3 256", 0},
      {WM_KEYUP, VK_F5, 1 | KF_UP_BIT, "OnKeyUp 116 1 32768", 0},
      {WM_CHAR, 0xD6, 1, "OnChar 214 1 0", 0},
      {WM_SYSKEYDOWN, VK_F10, 1 | KF_ALTDOWN_BIT, "OnSysKeyDown 121 1 8192", 0},
      {WM_SYSKEYUP, VK_F10, 1, "OnSysKeyUp 121 1 0", 0},
      {WM_SYSCHAR, 'x', 2, "OnSysChar 120 2 0", 0},
      {WM_SYSCOMMAND, SC_MINIMIZE | 2, MAKELPARAM(10, 20), "OnSysCommand 61474 1310730", 0},
      // The wheel forwarded as a scroll: a screen point in lParam.
      {WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, WHEEL_DELTA), MAKELPARAM(800, 600), "OnVScroll 3 120 unknown 800,600", 0},
      {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 40000), 0, "OnVScroll 5 40000 null 0,0", 0},
      {WM_HSCROLL, MAKEWPARAM(SB_LINEUP, 0), L(o), "OnHScroll 0 0 other", 0},
      {WM_COMMAND, MAKEWPARAM(1001, 5), L(o), "OnCommand 1001 5 other", 0},
      {WM_NOTIFY, 1002, L(notifyHeader), "OnNotify 1002 nmhdr", 42},
      {WM_DRAWITEM, 1003, L(&dis), "OnDrawItem 1003 dis", TRUE},
      {WM_CTLCOLORMSGBOX, reinterpret_cast<WPARAM>(hdc), L(o), "OnCtlColor dc other 0", brush},
      {WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(hdc), L(o), "OnCtlColor dc other 1", brush},
      {WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(hdc), L(o), "OnCtlColor dc other 2", brush},
      {WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(hdc), L(o), "OnCtlColor dc other 3", brush},
      {WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hdc), L(o), "OnCtlColor dc other 4", brush},
      {WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(hdc), L(o), "OnCtlColor dc other 5", brush},
      {WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc), 0, "OnCtlColor dc null 6", brush},
      {WM_QUERYDRAGICON, 0, 0, "OnQueryDragIcon", reinterpret_cast<LRESULT>(probe.dragIcon)},
      {WM_COPYDATA, 0, L(&copy), "OnCopyData null copy 17", TRUE},
      {WM_GETMINMAXINFO, 0, L(&minMax), "OnGetMinMaxInfo minmax", 0},
      {WM_CONTEXTMENU, W(o), MAKELPARAM(-1, -1), "OnContextMenu other -1,-1", 0},
  };
  probe.calls.clear();
  probe.toOnMessage.clear();  // WM_NCCREATE, which has no handler
  for (const Case& c : cases) {
    probe.calls.clear();
    LRESULT result = probe.SendMessage(c.msg, c.wParam, c.lParam);
    EXPECT_EQ(probe.calls, std::vector<std::string>{c.call}) << "message 0x" << std::hex << c.msg;
    EXPECT_EQ(result, c.result) << c.call;
  }
  EXPECT_TRUE(probe.toOnMessage.empty()) << "first: 0x" << std::hex
                                         << (probe.toOnMessage.empty() ? 0u : probe.toOnMessage.front());

  // The program's own messages, and messages without a handler, reach
  // OnMessage and no handler.
  probe.calls.clear();
  for (UINT msg : {WM_USER + 1, WM_APP + 2, WM_SETTEXT}) probe.SendMessage(msg, 0, L(""));
  EXPECT_EQ(probe.toOnMessage, (std::vector<UINT>{WM_USER + 1, WM_APP + 2, WM_SETTEXT}));
  EXPECT_TRUE(probe.calls.empty());
}

TEST_F(NamedHandlersTest, AHandlerLeftToTheDefaultGivesTheWindowSystemTheMessageUnchanged) {
  TestWnd* parent = Top("parent", CRect(0, 0, 200, 200));
  TestWnd* child = Child(parent, "child", CRect(10, 10, 50, 50));
  log_.clear();
  // Unhandled, wheel turns and context menus go up to the parent as they came.
  child->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, -WHEEL_DELTA), MAKELPARAM(-20, 30));
  child->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(child->m_hWnd), MAKELPARAM(-1, -1));
  child->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, WHEEL_DELTA), MAKELPARAM(15, 25));
  ASSERT_EQ(Of("parent", WM_MOUSEWHEEL).size(), 1u);
  EXPECT_EQ(Of("parent", WM_MOUSEWHEEL)[0].wParam, MAKEWPARAM(MK_SHIFT, -WHEEL_DELTA));
  EXPECT_EQ(Of("parent", WM_MOUSEWHEEL)[0].lParam, MAKELPARAM(-20, 30));
  ASSERT_EQ(Of("parent", WM_CONTEXTMENU).size(), 1u);
  EXPECT_EQ(Of("parent", WM_CONTEXTMENU)[0].lParam, MAKELPARAM(-1, -1));
  EXPECT_TRUE(Of("parent", WM_VSCROLL).empty()) << "a scroll request stays with its window";

  // Alt+F4 asks for a close through WM_SYSCOMMAND, whose default closes.
  HWND top = parent->m_hWnd;
  child->SendMessage(WM_SYSKEYDOWN, VK_F4, 1 | KF_ALTDOWN_BIT);
  Pump();
  EXPECT_EQ(Of("parent", WM_SYSCOMMAND).size(), 1u);
  EXPECT_FALSE(::IsWindow(top));
}

}  // namespace
}  // namespace test
}  // namespace kiv
