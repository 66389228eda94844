#include "shell/ModifyPwdDlg.h"

#include <cstdlib>
#include <utility>

#include "data/HttpClient.h"
#include "data/ServerConfig.h"
#include "data/UrlEncodeUtf8.h"
#include "data/UrlEscape.h"
#include "platform/gdi/BitmapBlit.h"
#include "platform/gdi/Resources.h"
#include "platform/post/Posting.h"
#include "platform/sys/Thread.h"
#include "platform/ui/MessageBox.h"
#include "shell/AccountIds.h"
#include "shell/login/AnsiToUtf8.h"
#include "shell/KivDesk_Button.h"
#include "shell/KivUiTheme.h"
#include "shell/login/LoginGlobals.h"
#include "shell/ShellIds.h"

namespace {

// What the change's worker needs, copied on the UI thread.
struct PasswordChangeJob {
  HWND hwnd = nullptr;
  std::string url;
  std::string newPassword;
};

UINT PasswordChangeThread(void* param) {
  std::unique_ptr<PasswordChangeJob> job(static_cast<PasswordChangeJob*>(param));
  auto reply = std::make_unique<PasswordChangeReply>();
  DWORD error = 0;
  reply->fetched = HttpGetText(job->url, nullptr, reply->text, error) != 0;
  reply->newPassword = job->newPassword;
  // Freed here when the dialog has gone.
  kiv::PostOwned(job->hwnd, WM_KIV_PASSWORD_REPLY, std::move(reply));
  return 0;
}

CSize PwdSkinSize(CBitmap& bitmap) { return bitmap.GetSafeHandle() ? bitmap.GetSize() : CSize(0, 0); }

}  // namespace

CModifyPwdDlg::CModifyPwdDlg(CWnd* parent) : CDialogEx(kIddModifyPassword, parent) {}

CModifyPwdDlg::~CModifyPwdDlg() = default;

std::string CModifyPwdDlg::ChangeUrl(const std::string& authority, const std::string& userName,
                                     const std::string& oldPassword, const std::string& newPassword) {
  const std::string utf8 = AnsiToUtf8(userName);
  std::string name;
  UrlEncodeUtf8(name, utf8.data(), static_cast<int>(utf8.size()));
  return "http://" + authority + kPasswordChangePath + name + "&password=" + UrlEscapeText(oldPassword) +
         "&newpassword=" + UrlEscapeText(newPassword);
}

void CModifyPwdDlg::DoDataExchange(CDataExchange* dx) {
  CDialogEx::DoDataExchange(dx);
  DDX_Text(dx, kIdcOldPassword, m_strOldPassword);
  DDX_Text(dx, kIdcNewPassword, m_strNewPassword);
  DDX_Text(dx, kIdcRepeatPassword, m_strNewPassword2);
}

bool CModifyPwdDlg::MakeButton(std::unique_ptr<CKivDesk_Button>& button, UINT normal, UINT active, int id,
                               const CRect& rect) {
  button = std::make_unique<CKivDesk_Button>(normal, active);
  if (!button->Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect, this, static_cast<UINT>(id))) {
    button.reset();
    return false;
  }
  button->EnableHover(TRUE);
  return true;
}

BOOL CModifyPwdDlg::OnInitDialog() {
  CDialogEx::OnInitDialog();
  titleBand_.LoadBitmap(kIdbTitleBand);
  if (editBack_.LoadBitmap(kIdbLoginEditBack)) editBrush_.CreatePatternBrush(&editBack_);
  logo_.LoadBitmap(kIdbTitleLogo);
  body_.LoadBitmap(kIdbDialogBody);
  font_.CreateFontIndirect(&UiTheme().lfNormal);
  backBrush_.CreateSolidBrush(kBack);

  CRect client;
  GetClientRect(&client);
  const CSize close = kiv::gdi::ResourceBitmapSize(kIdbTitleCloseNormal);
  const CSize ok = kiv::gdi::ResourceBitmapSize(kIdbOkButton);
  const CSize cancel = kiv::gdi::ResourceBitmapSize(kIdbCancelButton);
  // The close button at the title band's right end; the two others centred
  // in a row 20 pixels above the bottom.
  const int rowTop = client.bottom - 20 - static_cast<int>(ok.cy);
  const int okLeft = client.Width() / 2 - static_cast<int>(ok.cx) - 10;
  const int cancelLeft = client.Width() / 2 + 10;
  if (close.cx == 0 || ok.cx == 0 || cancel.cx == 0 ||
      !MakeButton(close_, kIdbTitleCloseNormal, kIdbTitleCloseActive, kIdcDialogClose,
                  CRect(client.right - 5 - close.cx, 1, client.right - 5, close.cy + 1)) ||
      !MakeButton(confirm_, kIdbOkButton, kIdbOkButton, kIdcDialogAccept,
                  CRect(okLeft, rowTop, okLeft + ok.cx, rowTop + ok.cy)) ||
      !MakeButton(cancel_, kIdbCancelButton, kIdbCancelButton, kIdcDialogDecline,
                  CRect(cancelLeft, rowTop, cancelLeft + cancel.cx, rowTop + cancel.cy))) {
    ::MessageBox(m_hWnd, "程序资源错误!", UiTheme().strMsgCaption.c_str(), MB_OK);
    OnCancel();
    return FALSE;
  }
  return TRUE;
}

void CModifyPwdDlg::SetStatus(const char* text) { SetDlgItemText(kIdcPasswordStatus, text); }

void CModifyPwdDlg::Confirm() {
  if (changing_) return;  // its answer is on the way
  UpdateData(TRUE);
  if (m_strOldPassword != g_LoginPassword) {
    SetStatus(kWrongOldPassword);
    return;
  }
  if (m_strNewPassword != m_strNewPassword2) {
    SetStatus(kPasswordsDiffer);
    return;
  }
  auto job = std::make_unique<PasswordChangeJob>();
  job->hwnd = m_hWnd;
  job->url = ChangeUrl(GetServerConfig().HttpAuthority(GetServerConfig().accountApiHost), g_LoginUserName,
                       m_strOldPassword, m_strNewPassword);
  job->newPassword = m_strNewPassword;
  if (AfxBeginThread(PasswordChangeThread, job.get())) {
    job.release();  // the thread's now
    changing_ = true;
  }
}

void CModifyPwdDlg::OnReply(std::unique_ptr<PasswordChangeReply> reply) {
  changing_ = false;
  if (!reply || !reply->fetched) return;  // no answer: the dialog stays as it is
  if (reply->text == "{\"result\":true}") {
    g_LoginPassword = reply->newPassword;
    OnOK();
  } else if (reply->text == "{\"wrong_password\":true}") {
    SetStatus(kWrongOldPassword);
  } else {
    SetStatus(kBadNewPassword);
  }
}

LRESULT CModifyPwdDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_PASSWORD_REPLY) {
    OnReply(kiv::AdoptPosted<PasswordChangeReply>(wParam));
    return 0;
  }
  if (msg == WM_KIV_SELECT) {
    switch (static_cast<int>(wParam)) {
      case kIdcDialogClose:
      case kIdcDialogDecline:
        OnCancel();
        break;
      case kIdcDialogAccept:
        Confirm();
        break;
      default:
        break;
    }
    return 0;
  }
  return CDialogEx::OnMessage(msg, wParam, lParam);
}

BOOL CModifyPwdDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (HIWORD(wParam) == EN_CHANGE && (id == kIdcOldPassword || id == kIdcNewPassword || id == kIdcRepeatPassword)) {
    SetStatus("");
    return TRUE;
  }
  return CDialogEx::OnCommand(wParam, lParam);
}

void CModifyPwdDlg::OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) {
  CKivDesk_Button* button = idCtl == kIdcDialogClose     ? close_.get()
                            : idCtl == kIdcDialogAccept  ? confirm_.get()
                            : idCtl == kIdcDialogDecline ? cancel_.get()
                                                         : nullptr;
  if (button != nullptr && drawItem != nullptr) {
    button->DrawButton(CDC::FromHandle(drawItem->hDC));
    return;
  }
  CDialogEx::OnDrawItem(idCtl, drawItem);
}

HBRUSH CModifyPwdDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  HBRUSH brush = CDialogEx::OnCtlColor(dc, wnd, ctlColor);
  if (ctlColor == CTLCOLOR_EDIT) {
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(kEditText);
    return static_cast<HBRUSH>(editBrush_.GetSafeHandle());
  }
  if (ctlColor == CTLCOLOR_STATIC) {
    const bool status = wnd != nullptr && wnd->GetDlgCtrlID() == kIdcPasswordStatus;
    dc->SetTextColor(status ? kStatusText : kLabelText);
    dc->SetBkColor(kBack);
    return static_cast<HBRUSH>(backBrush_.GetSafeHandle());
  }
  return brush;
}

LRESULT CModifyPwdDlg::OnNcHitTest(CPoint screenPoint) {
  CRect band;
  GetClientRect(&band);
  band.bottom = band.top + static_cast<int>(PwdSkinSize(titleBand_).cy);
  ClientToScreen(&band);
  if (band.PtInRect(screenPoint)) return HTCAPTION;
  return CDialogEx::OnNcHitTest(screenPoint);
}

BOOL CModifyPwdDlg::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers every pixel
}

void CModifyPwdDlg::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  kiv::gdi::MemoryCanvas canvas(dc, client.Width(), client.Height());
  CDC& memory = canvas.Dc();
  memory.FillSolidRect(&client, kBack);

  const CSize band = PwdSkinSize(titleBand_);
  // Skins stretched from their first column: the band across the top, the
  // body piece across the bottom row.
  kiv::gdi::StretchBitmap(memory, titleBand_, CRect(0, 0, client.Width(), static_cast<int>(band.cy)), 1);
  const CSize body = PwdSkinSize(body_);
  kiv::gdi::StretchBitmap(memory, body_,
                          CRect(0, client.bottom - static_cast<int>(body.cy) - 10, client.Width(), client.bottom),
                          1);
  kiv::gdi::DrawBitmap(memory, logo_, 0, 0);

  CFont* oldFont = memory.SelectObject(&font_);
  memory.SetBkMode(TRANSPARENT);
  memory.SetTextColor(kLabelText);
  // Centred in the band between the logo and the close button.
  CRect title(static_cast<int>(PwdSkinSize(logo_).cx), 0, client.Width(), static_cast<int>(band.cy));
  if (close_) {
    CRect closeRect;
    close_->GetWindowRect(&closeRect);
    title.right -= closeRect.Width() + 5;
  }
  memory.DrawText(kTitle, -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  CWnd* status = GetDlgItem(kIdcPasswordStatus);
  CRect note(0, 0, client.Width(), 0);
  if (status != nullptr) {
    status->GetWindowRect(&note);
    ScreenToClient(&note);
    note.OffsetRect(0, note.Height() + 4);
  }
  memory.SetTextColor(0x999999);
  memory.DrawText(kNote, -1, &note, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  memory.SelectObject(oldFont);

  canvas.CopyTo(dc);
}

void CModifyPwdDlg::OnDestroy() {
  CDialogEx::OnDestroy();
  for (auto* button : {&close_, &confirm_, &cancel_}) {
    if (*button && ::IsWindow((*button)->m_hWnd)) (*button)->DestroyWindow();
  }
}
