// CMZSMDlg: the risk disclosure and disclaimer ("风险揭示与免责条款") in a
// read-only rich text view, in one of two modes fixed at construction.
//
// Mode 1, acceptance (after a login whose account has not accepted it):
// the hint asks the user to read to the bottom; once the view has been
// scrolled past three quarters of its range (or to its end) the consent
// check box replaces the hint, and ticking it shows the accept and decline
// buttons. Accept answers IDOK; decline, the close button and Esc answer
// IDCANCEL. Enter accepts only while the accept button is shown. The gate
// is looked at when the pointer moves after the view has scrolled, and
// once right after the dialog is shown, so that a text that needs no
// scrolling opens it too.
//
// Mode 2, reading (from the title bar's button): the text and one button,
// which answers IDOK; Esc answers IDCANCEL.
//
// The dialog paints its title band and a scroll bar for the view (the view
// has none of its own): a press on the bar's track pages, its thumb drags.
//
// Ownership: made on its caller's stack and run with DoModal; its buttons
// are children it owns. UI thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"

class CKivDesk_Button;
class CRichTextView;

class CMZSMDlg : public CDialogEx {
 public:
  static constexpr const char* kHint = "请拖动滚动条，仔细阅读至底部，然后进行勾选。";
  static constexpr const char* kCaption = "风险揭示与免责条款";
  static constexpr COLORREF kBody = 0x000000;
  static constexpr COLORREF kScrollTrack = 0x303030;
  static constexpr COLORREF kScrollThumb = 0x909090;
  static constexpr int kScrollGap = 3;     // between the view and its bar
  static constexpr int kScrollWidth = 8;

  // SetRangeFormat's ranges.
  static constexpr int kRangeFirstLine = 1;
  static constexpr int kRangeText = 2;
  static constexpr int kRangeMiddleLines = 3;

  explicit CMZSMDlg(int mode, CWnd* parent = nullptr);
  ~CMZSMDlg() override;

  // The text shown instead of the disclosure (GBK), before DoModal.
  void SetText(std::string text) { text_ = std::move(text); }

  // Formats a range of the view's text: the first line (range 1), the first
  // occurrence of text (2; nothing when it does not occur), or the lines
  // from the second to the start of the last (3). Lines are the text's
  // lines, as its line feeds end them. The height is in twips (a twentieth
  // of a point) and always set; bold sets the weight.
  void SetRangeFormat(int range, const char* text, BOOL bold, int heightTwips);

  CRichTextView* View() const;

  BOOL OnInitDialog() override;
  // Enter: in mode 1 only while the accept button is shown.
  void OnOK() override;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
  void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  LRESULT OnNcHitTest(CPoint screenPoint) override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnCaptureChanged(CWnd* wnd) override;
  // WM_KIV_SELECT from the buttons and the dialog's own gate message.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool MakeButton(std::unique_ptr<CKivDesk_Button>& button, UINT normal, UINT active, int id, const CRect& rect,
                  bool hover);
  void ResourceError();
  // Shows the check box or the hint by how far the view has been scrolled.
  void EvaluateGate();
  void ShowChoice(bool show);
  CRect ScrollTrack() const;
  CRect ScrollThumb() const;
  void ScrollToThumbAt(int y);

  const int mode_;
  std::string text_;
  std::unique_ptr<CKivDesk_Button> close_;    // 520, mode 1 only
  std::unique_ptr<CKivDesk_Button> accept_;   // 1016
  std::unique_ptr<CKivDesk_Button> decline_;  // 1015, mode 1 only
  CBitmap titleBand_;  // 151
  CBitmap logo_;       // 330
  CFont font_;
  CBrush blackBrush_;
  int viewChanged_ = 0;   // the view reported a scroll since the gate last looked
  bool dragging_ = false;  // the scroll bar's thumb follows the pointer
  int dragOffset_ = 0;     // from the thumb's top to the press
};
