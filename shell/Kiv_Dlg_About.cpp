#include "shell/Kiv_Dlg_About.h"

#include <cstdio>
#include <cstring>

#include "platform/ui/MessageBox.h"
#include "shell/ChromeIds.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"

CKiv_Dlg_About::CKiv_Dlg_About(CWnd* parent) : CDialog(kIddAbout, parent) {}

CKiv_Dlg_About::~CKiv_Dlg_About() {
  if (close_ && ::IsWindow(close_->m_hWnd)) close_->DestroyWindow();
  if (oldCanvas_ != nullptr) memory_.SelectObject(oldCanvas_);
}

std::string CKiv_Dlg_About::FormatVersionText(const kiv::FileVersion& v) {
  char text[48];
  if (v.build == 0 && v.revision == 0) {
    if (v.major == 0 && v.minor == 0) return std::string();
    std::snprintf(text, sizeof text, "v%d.%d", v.major, v.minor);
  } else {
    std::snprintf(text, sizeof text, "v%d.%d.%d.%d", v.major, v.minor, v.build, v.revision);
  }
  return text;
}

std::string CKiv_Dlg_About::VersionTextOf(const std::string& nativePath) {
  kiv::FileVersion version;
  if (nativePath.empty() || !kiv::ReadProgramFileVersion(nativePath, &version)) return std::string();
  return FormatVersionText(version);
}

BOOL CKiv_Dlg_About::OnInitDialog() {
  CDialog::OnInitDialog();
  if (!strip_.LoadBitmap(kIdbDialogStrip) || !logo_.LoadBitmap(kIdbDialogLogo)) {
    AfxMessageBox(kResourceErrorText, MB_OK);
    EndDialog(IDCANCEL);
    return FALSE;
  }
  stripHeight_ = strip_.GetSize().cy;
  titleFont_.CreateFontIndirect(&UiTheme().lfSmall);
  textFont_.CreateFontIndirect(&UiTheme().lfSmall);
  // The running program's own file, wherever the terminal was started from.
  version_ = VersionTextOf(kiv::ProgramPath());
  return TRUE;
}

bool CKiv_Dlg_About::MakeSurface(CDC* dc, const CRect& client) {
  memory_.CreateCompatibleDC(dc);
  memory_.SetStretchBltMode(HALFTONE);
  canvas_.CreateCompatibleBitmap(dc, client.Width(), client.Height());
  oldCanvas_ = memory_.SelectObject(&canvas_);
  surfaceMade_ = true;
  CBitmap closeSkin;
  const CSize button = closeSkin.LoadBitmap(kIdbDialogClose) ? closeSkin.GetSize() : CSize(0, 0);
  auto close = std::make_unique<CKivDesk_Button>(kIdbDialogClose, kIdbDialogCloseActive);
  const CRect rect(client.right - button.cx / 2 - button.cx, 0, client.right - button.cx / 2, button.cy);
  if (button.cx == 0 || !close->Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect, this, kIdcAboutClose)) {
    return false;
  }
  close->EnableHover(TRUE);
  close_ = std::move(close);
  needsPaint_ = TRUE;
  return true;
}

BOOL CKiv_Dlg_About::OnEraseBkgnd(CDC* dc) {
  if (dc == nullptr || !strip_.GetSafeHandle()) return TRUE;
  CRect client;
  GetClientRect(&client);
  if (!surfaceMade_ && !MakeSurface(dc, client)) {
    AfxMessageBox(kResourceErrorTextFullWidth, MB_OK);
    EndDialog(IDCANCEL);
    return FALSE;
  }
  if (needsPaint_) PaintSurface(client);
  dc->BitBlt(0, 0, client.Width(), client.Height(), &memory_, 0, 0, SRCCOPY);
  return TRUE;
}

void CKiv_Dlg_About::PaintSurface(const CRect& client) {
  CDC& dc = memory_;
  dc.FillSolidRect(&client, kBackground);
  CDC skin;
  skin.CreateCompatibleDC(&dc);
  CBitmap* oldSkin = skin.SelectObject(&strip_);
  const int oldMode = dc.SetStretchBltMode(COLORONCOLOR);
  dc.StretchBlt(0, 0, client.Width(), stripHeight_, &skin, 0, 0, 1, stripHeight_, SRCCOPY);
  dc.SetStretchBltMode(oldMode);
  const CSize logo = logo_.GetSize();
  skin.SelectObject(&logo_);
  dc.BitBlt(client.left + kLogoLeft, 0, logo.cx, logo.cy, &skin, 0, 0, SRCCOPY);

  CFont* oldFont = dc.SelectObject(&titleFont_);
  const int oldBk = dc.SetBkMode(TRANSPARENT);
  const COLORREF oldColour = dc.SetTextColor(UiTheme().clrText);
  const CSize title = dc.GetTextExtent(kAboutTitle, static_cast<int>(std::strlen(kAboutTitle)));
  dc.TextOut(logo.cx + kTitleGap, (logo.cy - title.cy) / 2, kAboutTitle, static_cast<int>(std::strlen(kAboutTitle)));

  if (!picture_.GetSafeHandle()) picture_.LoadBitmap(kIdbProductPicture);
  if (!rule_.GetSafeHandle()) rule_.LoadBitmap(kIdbProductRule);
  if (picture_.GetSafeHandle() && rule_.GetSafeHandle()) {
    const CSize picture = picture_.GetSize();
    const int top = stripHeight_ + kPictureBelowStrip;
    skin.SelectObject(&picture_);
    dc.BitBlt(kPictureLeft, top, picture.cx, picture.cy, &skin, 0, 0, SRCCOPY);
    CPen frame(PS_SOLID, 1, kFrame);
    CPen* oldPen = dc.SelectObject(&frame);
    dc.MoveTo(client.left, stripHeight_);
    dc.LineTo(client.left, client.bottom - 1);
    dc.LineTo(client.right - 1, client.bottom - 1);
    dc.LineTo(client.right - 1, stripHeight_ - 1);
    dc.SelectObject(oldPen);
    // The version under the picture.
    dc.SelectObject(&textFont_);
    const CSize text = dc.GetTextExtent(version_);
    versionRect_ = CRect(CPoint(kPictureLeft, top + picture.cy + kVersionBelowPicture), text);
    dc.TextOut(versionRect_.left, versionRect_.top, version_);
    needsPaint_ = FALSE;
  }
  skin.SelectObject(oldSkin);
  dc.SetTextColor(oldColour);
  dc.SetBkMode(oldBk);
  dc.SelectObject(oldFont);
}

LRESULT CKiv_Dlg_About::OnNcHitTest(CPoint screenPoint) {
  CRect strip;
  GetClientRect(&strip);
  ClientToScreen(&strip);
  strip.bottom = strip.top + stripHeight_;
  if (strip.PtInRect(screenPoint)) return HTCAPTION;
  return CDialog::OnNcHitTest(screenPoint);
}

void CKiv_Dlg_About::OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) {
  if (drawItem != nullptr && close_ && drawItem->hwndItem == close_->m_hWnd) {
    close_->DrawButton(CDC::FromHandle(drawItem->hDC));
    return;
  }
  CDialog::OnDrawItem(idCtl, drawItem);
}

LRESULT CKiv_Dlg_About::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_SELECT) {
    if (wParam == kIdcAboutClose) EndDialog(IDCANCEL);
    return 0;
  }
  return CDialog::OnMessage(msg, wParam, lParam);
}
