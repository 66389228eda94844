#include "shell/Kiv_Dlg_PhoneBind.h"

#include "platform/core/WinUser.h"
#include "platform/gdi/BitmapBlit.h"
#include "shell/AccountIds.h"

const CKiv_Dlg_PhoneBind::LineStyle CKiv_Dlg_PhoneBind::kLineStyles[kLineCount] = {
    {95, 62, 0, 0x0000E2},  {95, 92, 1, 0x333333},  {95, 117, 1, 0x333333}, {95, 157, 2, 0x777777},
    {95, 177, 2, 0x777777}, {253, 176, 3, 0xD18500}, {313, 174, 4, 0xD18500},
};

CKiv_Dlg_PhoneBind::CKiv_Dlg_PhoneBind(CWnd* parent) : CDialog(kIddPhoneBind, parent) {}

CKiv_Dlg_PhoneBind::~CKiv_Dlg_PhoneBind() = default;

BOOL CKiv_Dlg_PhoneBind::OnInitDialog() {
  CDialog::OnInitDialog();
  static const char* const kLines[kLineCount] = {
      "您的账户还未与手机绑定！",
      "衡弈正在进行客户系统升级，为提升您的账户安全，提供更",
      "全面的投资服务，需要绑定您的手机号码才能正常使用。",
      "请及时绑定用户本人手机，以避免造成不必要的损失！",
      "如有问题请马上和我们联系，",
      "联系电话：",
      kServiceNumber,
  };
  for (int i = 0; i < kLineCount; ++i) m_strLines[i] = kLines[i];
  if (background_.LoadBitmap(kIdbPhoneBindBackground)) backgroundSize_ = background_.GetSize();
  if (firstButton_.LoadBitmap(kIdbPhoneBindFirstButton)) firstButtonSize_ = firstButton_.GetSize();
  if (secondButton_.LoadBitmap(kIdbPhoneBindSecondButton)) secondButtonSize_ = secondButton_.GetSize();
  for (int i = 0; i < 5; ++i) {
    fonts_[i].CreateFont(kFontHeights[i], 0, 0, 0, kFontWeights[i], 0, 0, 0, 0, 0, 0, 0, 32, "宋体");
  }
  CRect work;
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  const int width = static_cast<int>(backgroundSize_.cx);
  const int height = static_cast<int>(backgroundSize_.cy);
  // One pixel less high than the picture, as the notice always was.
  MoveWindow(work.left + (work.Width() - width) / 2, work.top + (work.Height() - height) / 2, width, height - 1);
  return TRUE;
}

BOOL CKiv_Dlg_PhoneBind::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers every pixel
}

void CKiv_Dlg_PhoneBind::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  kiv::gdi::MemoryCanvas canvas(dc, client.Width(), client.Height());
  CDC& memory = canvas.Dc();
  memory.FillSolidRect(&client, kBody);
  kiv::gdi::DrawBitmap(memory, background_, 0, 0);
  kiv::gdi::DrawBitmap(memory, firstButton_, client.right - kFirstButtonLeft, client.bottom - kButtonTop);
  kiv::gdi::DrawBitmap(memory, secondButton_,
                       client.right - kSecondButtonLeft + static_cast<int>(firstButtonSize_.cx),
                       client.bottom - kButtonTop);
  memory.SetBkMode(OPAQUE);
  memory.SetBkColor(kBody);
  CFont* oldFont = memory.SelectObject(&fonts_[0]);
  for (int i = 0; i < kLineCount; ++i) {
    const LineStyle& style = kLineStyles[i];
    memory.SelectObject(&fonts_[style.font]);
    memory.SetTextColor(style.colour);
    memory.TextOut(style.x, style.y, m_strLines[i]);
  }
  memory.SelectObject(oldFont);
  canvas.CopyTo(dc);
}

void CKiv_Dlg_PhoneBind::OnLButtonDown(UINT flags, CPoint point) {
  CRect client;
  GetClientRect(&client);
  const int buttonTop = client.bottom - kButtonTop;
  const int firstLeft = client.right - kFirstButtonLeft;
  if (point.x > firstLeft && point.x < firstLeft + firstButtonSize_.cx && point.y > buttonTop &&
      point.y < buttonTop + firstButtonSize_.cy) {
    OnOK();
    return;
  }
  const int secondLeft = client.right - kSecondButtonLeft + static_cast<int>(firstButtonSize_.cx);
  if (point.x > secondLeft && point.x < secondLeft + secondButtonSize_.cx && point.y > buttonTop &&
      point.y < buttonTop + secondButtonSize_.cy) {
    OnCancel();
    return;
  }
  // The background's close cross.
  if (point.x > client.right - 23 && point.x < client.right - 14 && point.y > client.top + 7 &&
      point.y < client.top + 16) {
    OnCancel();
    return;
  }
  CDialog::OnLButtonDown(flags, point);
  CPoint screen = point;
  ClientToScreen(&screen);
  PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
}
