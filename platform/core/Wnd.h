// CWnd: a window of the program. A class derives from it and overrides the
// handlers of the messages it handles, and nothing else.
//
// One way to handle each message, never two:
// - A standard message that has a handler below (OnPaint, OnLButtonDown,
//   OnKeyDown, OnVScroll, OnCtlColor, ...) reaches that handler, with its
//   parameters decoded, and only that handler: WindowProc never passes it to
//   OnMessage as well. Override the handler.
// - Every other message reaches OnMessage: the program's own messages
//   (WM_USER and above: the WM_KIV_* messages), the colour message a control
//   gets reflected (WM_REFLECT_CTLCOLOR), and the few messages the layer
//   names no handler for (a control's own, such as EM_SETSEL, which the
//   control's class handles in its DefWindowProc).
//
// The default handling of a message is the base class's handler. An
// override that wants it calls that handler: CWnd::OnTimer(id) in a window,
// CEdit::OnChar(ch, repeat, flags) in a class derived from a control. CWnd's
// handlers call Default(), the window system's handling of the message being
// handled; a control's handlers implement the control (see CUiControl), so in
// a class derived from a control Default() skips the control's behaviour.
//
// Ownership: the CWnd object belongs to the code that created it; the window
// (m_hWnd) lives from Create until DestroyWindow. PostNcDestroy runs last,
// after the handle is gone (a class may delete itself there).
//
// The rule: destroy the window before deleting its object. DestroyWindow
// first revokes the window's liveness token (kiv::WindowRef::Of), so
// callbacks bound to the window stop while every member of the object is
// still there. A destructor that finds its window alive is too late for
// that (the derived class's members are gone); it records the broken rule
// (kiv::RecordDeletedWithLiveWindow: a trace line and a count, and a failed
// assertion where assertions are on) and destroys the window.
#pragma once

#include <memory>
#include <string>

#include "platform/core/WinUser.h"
#include "platform/gdi/DC.h"

struct COPYDATASTRUCT {
  uintptr_t dwData = 0;
  DWORD cbData = 0;
  void* lpData = nullptr;
};
typedef COPYDATASTRUCT* PCOPYDATASTRUCT;

class CWnd {
 public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return GetSafeHwnd(); }  // NOLINT: implicit like the familiar class
  // The CWnd of a window, or null (a window made without one, or a dead
  // handle).
  static CWnd* FromHandle(HWND hwnd);
  static CWnd* FromHandlePermanent(HWND hwnd) { return FromHandle(hwnd); }

  // --- Creation ----------------------------------------------------------
  // A child (WS_CHILD) is placed in its parent's client coordinates; any
  // other window is top-level, in screen coordinates, owned by parent's
  // top-level window. className is kept for GetClassName and nothing else.
  virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect,
                      CWnd* parent, UINT id, void* createParam = nullptr);
  virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                        const RECT& rect, CWnd* parent, UINT id, void* createParam = nullptr);
  BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                int width, int height, HWND parent, UINT id, void* createParam = nullptr);
  virtual BOOL DestroyWindow();
  virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
  // Makes this object the handler of an existing window (a control that a
  // dialog template created, for example). The object that handled it
  // before lets go of the handle and no longer gets its messages. FALSE when
  // this object already has a window or hwnd is not a window of this thread.
  BOOL SubclassWindow(HWND hwnd);
  BOOL Attach(HWND hwnd) { return SubclassWindow(hwnd); }
  // Lets go of the window without destroying it; it then gets the default
  // handling only. Returns the handle.
  HWND UnsubclassWindow();
  HWND Detach() { return UnsubclassWindow(); }
  virtual void PostNcDestroy();

  // --- State and geometry --------------------------------------------------
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
  BOOL ShowWindow(int cmd);
  BOOL IsWindowVisible() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL IsIconic() const;
  BOOL IsZoomed() const;
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  void GetWindowRect(LPRECT rect) const;
  void GetClientRect(LPRECT rect) const;
  void ScreenToClient(LPPOINT point) const;
  void ScreenToClient(LPRECT rect) const;
  void ClientToScreen(LPPOINT point) const;
  void ClientToScreen(LPRECT rect) const;
  void CenterWindow(CWnd* alternateOwner = nullptr);
  void BringWindowToTop();
  BOOL SetForegroundWindow();
  CWnd* SetActiveWindow();
  static CWnd* GetActiveWindow();
  static CWnd* GetForegroundWindow();
  CWnd* GetLastActivePopup() const;

  CWnd* GetParent() const;
  CWnd* GetOwner() const;
  CWnd* SetParent(CWnd* newParent);
  CWnd* GetTopLevelParent() const;
  BOOL IsChild(const CWnd* wnd) const;
  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const;
  int SetDlgCtrlID(int id);
  CWnd* GetWindow(UINT cmd) const;
  CWnd* ChildWindowFromPoint(POINT clientPoint) const;
  static CWnd* WindowFromPoint(POINT screenPoint);

  void SetWindowText(LPCSTR text);
  int GetWindowText(LPSTR buffer, int size) const;
  void GetWindowText(std::string& text) const;
  int GetWindowTextLength() const;
  std::string GetClassName() const;

  // --- Messages ------------------------------------------------------------
  LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr);
  BOOL KillTimer(UINT_PTR id);

  // --- Painting ------------------------------------------------------------
  void Invalidate(BOOL erase = TRUE);
  void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
  void InvalidateRgn(CRgn* rgn, BOOL erase = TRUE);
  void ValidateRect(LPCRECT rect);
  void UpdateWindow();
  BOOL RedrawWindow(LPCRECT rect = nullptr, CRgn* rgn = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_ERASE);
  void SetRedraw(BOOL redraw = TRUE);
  BOOL GetUpdateRect(LPRECT rect, BOOL erase = FALSE);
  // A DC on the client area (outside WM_PAINT); give it back with ReleaseDC.
  CDC* GetDC();
  CDC* GetWindowDC();
  int ReleaseDC(CDC* dc);

  // --- Input -----------------------------------------------------------------
  CWnd* SetFocus();
  static CWnd* GetFocus();
  CWnd* SetCapture();
  static CWnd* GetCapture();

  // --- Properties, region, opacity, icons ----------------------------------
  BOOL SetProp(LPCSTR name, HANDLE data);
  HANDLE GetProp(LPCSTR name) const;
  HANDLE RemoveProp(LPCSTR name);
  int SetWindowRgn(HRGN region, BOOL redraw);
  int GetWindowRgn(HRGN region) const;
  BOOL SetLayeredWindowAttributes(COLORREF key, BYTE alpha, DWORD flags);
  // WM_SETICON / WM_GETICON: the big (bigIcon TRUE) or the small icon;
  // SetIcon returns the previous icon of that kind.
  HICON SetIcon(HICON icon, BOOL bigIcon);
  HICON GetIcon(BOOL bigIcon) const;

  // --- Modal loops -----------------------------------------------------------
  // See kiv::RunModalLoop; the flags are accepted and ignored.
  virtual int RunModalLoop(DWORD flags = 0);
  virtual void EndModalLoop(int result);

  // --- Message handling ----------------------------------------------------
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The window system's default handling of the message being handled now
  // (this class's DefWindowProc).
  LRESULT Default();
  // TRUE consumes the message before it is dispatched. Called for the target
  // window, then for each parent up to the top-level window.
  virtual BOOL PreTranslateMessage(MSG* msg);
  // Every message without a handler of its own below: the program's
  // messages, and the messages the layer names no handler for. Never a
  // message that has a handler. The default is DefWindowProc.
  virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // WM_DRAWITEM reaches the control named by hwndItem through this, when
  // the parent's OnDrawItem leaves it to the default.
  virtual void DrawItem(LPDRAWITEMSTRUCT drawItem);

 protected:
  virtual int OnCreate(LPCREATESTRUCT cs);
  virtual void OnDestroy();
  virtual void OnNcDestroy();
  virtual void OnClose();
  virtual void OnPaint();
  virtual BOOL OnEraseBkgnd(CDC* dc);
  virtual void OnSize(UINT type, int cx, int cy);
  virtual void OnMove(int x, int y);
  virtual void OnWindowPosChanging(WINDOWPOS* pos);
  virtual void OnWindowPosChanged(WINDOWPOS* pos);
  virtual void OnShowWindow(BOOL show, UINT status);
  virtual void OnActivate(UINT state, CWnd* other, BOOL minimized);
  virtual int OnMouseActivate(CWnd* topParent, UINT hitTest, UINT message);
  virtual void OnSetFocus(CWnd* oldWnd);
  virtual void OnKillFocus(CWnd* newWnd);
  virtual void OnEnable(BOOL enable);
  virtual void OnTimer(UINT_PTR id);
  virtual void OnMouseMove(UINT flags, CPoint point);
  virtual void OnLButtonDown(UINT flags, CPoint point);
  virtual void OnLButtonUp(UINT flags, CPoint point);
  virtual void OnLButtonDblClk(UINT flags, CPoint point);
  virtual void OnRButtonDown(UINT flags, CPoint point);
  virtual void OnRButtonUp(UINT flags, CPoint point);
  virtual void OnRButtonDblClk(UINT flags, CPoint point);
  virtual void OnMButtonDown(UINT flags, CPoint point);
  virtual void OnMButtonUp(UINT flags, CPoint point);
  // point in screen coordinates, as on Windows.
  virtual BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
  virtual LRESULT OnNcHitTest(CPoint screenPoint);
  virtual void OnNcLButtonDown(UINT hitTest, CPoint screenPoint);
  virtual void OnNcLButtonUp(UINT hitTest, CPoint screenPoint);
  virtual void OnNcLButtonDblClk(UINT hitTest, CPoint screenPoint);
  virtual void OnNcMouseMove(UINT hitTest, CPoint screenPoint);
  virtual BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
  virtual void OnCaptureChanged(CWnd* wnd);
  virtual void OnKeyDown(UINT ch, UINT repeat, UINT flags);
  virtual void OnKeyUp(UINT ch, UINT repeat, UINT flags);
  virtual void OnChar(UINT ch, UINT repeat, UINT flags);
  virtual void OnSysKeyDown(UINT ch, UINT repeat, UINT flags);
  virtual void OnSysKeyUp(UINT ch, UINT repeat, UINT flags);
  virtual void OnSysChar(UINT ch, UINT repeat, UINT flags);
  virtual void OnSysCommand(UINT id, LPARAM lParam);
  // WM_VSCROLL and WM_HSCROLL: the SB_ request, the 16-bit position that
  // goes with it (the thumb's for SB_THUMBPOSITION and SB_THUMBTRACK), and
  // lParam as sent: the scroll bar's handle, or, as the program forwards a
  // mouse-wheel turn to the list under the cursor, that screen point (x in
  // the low word, y in the high word; GET_X_LPARAM and GET_Y_LPARAM).
  virtual void OnVScroll(UINT sbCode, UINT pos, LPARAM scrollBarOrPoint);
  virtual void OnHScroll(UINT sbCode, UINT pos, LPARAM scrollBarOrPoint);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem);
  virtual HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
  virtual HCURSOR OnQueryDragIcon();
  virtual BOOL OnCopyData(CWnd* wnd, COPYDATASTRUCT* data);
  virtual void OnGetMinMaxInfo(MINMAXINFO* info);
  virtual void OnContextMenu(CWnd* wnd, CPoint screenPoint);

 private:
  friend struct CWndAccess;
  std::unique_ptr<CDC> dcCache_;  // for GetDC / ReleaseDC
};

// A DC for the WM_PAINT being handled: BeginPaint in the constructor,
// EndPaint in the destructor. Draws on the window's part of its top-level
// backing store, clipped to the area being painted.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps;

 private:
  HWND hwnd_;
};

// A DC on the whole visible client area, outside WM_PAINT.
class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;

 private:
  HWND hwnd_;
};

class CWindowDC : public CClientDC {
 public:
  explicit CWindowDC(CWnd* wnd) : CClientDC(wnd) {}
};

namespace kiv {
// How many CWnd objects were deleted while their window still existed,
// since the program started (tests compare it before and after).
int DeletedWithLiveWindowCount();
// Records that the object of window hwnd is being deleted while the window
// lives: a trace line and the count above in every build, and, in a build
// with assertions (no NDEBUG: the sanitizer trees), a failed assertion, so
// that no test breaks the rule unnoticed. ~CWnd calls it, and so does a
// class whose destructor destroys its window before its members go
// (CDialog, whose controls are members).
void RecordDeletedWithLiveWindow(HWND hwnd);
// For a test of the rule itself, which breaks it on purpose: while
// tolerated, the assertion is skipped; the trace and the count stay.
void TolerateDeletedWithLiveWindowForTesting(bool tolerate);
}  // namespace kiv
