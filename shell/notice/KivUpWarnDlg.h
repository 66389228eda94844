// CKivUpWarnDlg: the small skinned notice with a countdown that both
// programs show (the terminal's forced-logout notice, the updater's
// prompts). It shows a text, one or two bitmap buttons and the line
// "窗口将在" nn "秒后自动执行确定选项!", counts down once a second and, when
// the count has reached zero, ends as if OK had been pressed: a dialog set
// to 10 seconds shows 10 first and ends about 11 seconds after it opened.
//
// Mode 1 is a notice (one OK button), mode 2 a question (OK and Cancel).
// DoModal returns IDOK for the OK button and the end of the countdown,
// IDCANCEL for Cancel and the close mark in the top-right corner; a press
// anywhere else drags the window.
//
// It is centred on its parent window, or on the work area when it has none
// or when the parent's centre lies outside the work area.
//
// This folder is a library of its own (kiv_shell_notice, on the layer's
// dialogs only), so that the updater links and registers the notice (the
// template of UpWarnTemplate.h, the skins of NoticeIds.h) without the rest
// of the shell.
//
// Ownership: made on the caller's stack, set up with the setters, run with
// DoModal, destroyed by the caller. UI thread only.
#pragma once

#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"

class CKivUpWarnDlg : public CDialogEx {
 public:
  // Client layout, from the client's left (L) and bottom (B) edges.
  static constexpr int kFirstButtonLeft = 220;   // mode 2's OK
  static constexpr int kSecondButtonLeft = 310;  // mode 1's OK, mode 2's Cancel
  static constexpr int kButtonWidth = 70;
  static constexpr int kButtonTop = 50;      // B - 50
  static constexpr int kButtonBottom = 25;   // B - 25
  static constexpr int kLineTop = 80;        // B - 80
  static constexpr int kLineLeft = 62;
  static constexpr int kLineRestLeft = 130;
  static constexpr int kNumberLeft = 110;
  static constexpr int kNumberTop = 82;      // B - 82
  static constexpr int kNumberWidth = 20;    // two digits of the number font, and the room kept for them
  // The close mark, from the client's right (R) and top (T) edges: a press
  // strictly inside R - 24..R - 13 and T + 6..T + 17 closes.
  static constexpr int kCloseLeft = 24;
  static constexpr int kCloseRight = 13;
  static constexpr int kCloseTop = 6;
  static constexpr int kCloseBottom = 17;

  static constexpr COLORREF kBody = 0xCCCCCC;
  static constexpr COLORREF kLineText = 0x858585;
  static constexpr COLORREF kNumberText = 0x9DF7F2;

  explicit CKivUpWarnDlg(CWnd* parent = nullptr);
  ~CKivUpWarnDlg() override;

  void SetSeconds(int n) { m_nSeconds = n; }
  void SetMode(int m) { m_nMode = m; }
  void SetText(const std::string& text) { m_strText = text; }  // GBK
  int GetSeconds() const { return m_nSeconds; }
  const std::string& GetText() const { return m_strText; }

  // The countdown's number as shown: two digits ("09", "10").
  static std::string CountdownText(int seconds);

  BOOL OnInitDialog() override;

 protected:
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  void OnTimer(UINT_PTR id) override;

 private:
  void Place();
  // The number on dc, in client coordinates.
  void DrawCountdown(CDC& dc);
  // Redraws the number at once (its rectangle only).
  void RedrawCountdown();
  CRect NumberRect() const;
  bool InRow(const CPoint& point, int left) const;

  int m_nSeconds = 30;
  int m_nMode = 1;
  std::string m_strText;

  CWnd* owner_;
  CBitmap background_;
  CBitmap firstButton_;
  CBitmap secondButton_;
  CSize backgroundSize_;
  CFont lineFont_;    // 12 px 宋体
  CFont numberFont_;  // 15 px 宋体, bold
  CBrush bodyBrush_;
};
