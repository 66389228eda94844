// CKiv_Dlg_PhoneBind: the reminder shown when the account has no mobile
// phone number bound. One painted picture: seven lines of text on the
// background skin, two painted buttons and the skin's close cross; no
// controls. The first button (or Enter) answers IDOK and the login dialog
// stays; the second button, the cross (or Esc) answer IDCANCEL and the
// program's start ends. A press anywhere else drags the window.
//
// Ownership: made on the login dialog's stack for one modal run and
// destroyed after it. UI thread only.
#pragma once

#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"

class CKiv_Dlg_PhoneBind : public CDialog {
 public:
  static constexpr int kLineCount = 7;
  // The operator's service number, the seventh line.
  static constexpr const char* kServiceNumber = "021-00000000";
  static constexpr COLORREF kBody = 0xCCCCCC;

  // Where each line goes, in which font and colour.
  struct LineStyle {
    int x;
    int y;
    int font;  // index into the five fonts
    COLORREF colour;
  };
  static const LineStyle kLineStyles[kLineCount];
  // The five fonts: height and weight, all 宋体.
  static constexpr int kFontHeights[5] = {15, 14, 12, 13, 15};
  static constexpr int kFontWeights[5] = {700, 400, 400, 400, 700};

  // The buttons' places, from the client's right (R) and bottom (B) edges:
  // the first at (R - 220, B - 50), the second at (R - 200 + its width, B - 50).
  static constexpr int kFirstButtonLeft = 220;
  static constexpr int kSecondButtonLeft = 200;
  static constexpr int kButtonTop = 50;

  explicit CKiv_Dlg_PhoneBind(CWnd* parent = nullptr);
  ~CKiv_Dlg_PhoneBind() override;

  BOOL OnInitDialog() override;
  const std::string& Line(int index) const { return m_strLines[index]; }

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnLButtonDown(UINT flags, CPoint point) override;

 private:
  std::string m_strLines[kLineCount];  // GBK
  CBitmap secondButton_;  // 304
  CBitmap firstButton_;   // 305
  CBitmap background_;    // 306
  CSize secondButtonSize_;
  CSize firstButtonSize_;
  CSize backgroundSize_;
  CFont fonts_[5];
};
