#include "shell/MZSMDlg.h"

#include <algorithm>
#include <string_view>

#include "platform/gdi/BitmapBlit.h"
#include "platform/gdi/Resources.h"
#include "platform/sys/GbkText.h"
#include "platform/ui/Button.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/RichTextView.h"
#include "shell/AccountIds.h"
#include "shell/KivDesk_Button.h"
#include "shell/KivUiTheme.h"
#include "shell/RiskDisclosureText.h"
#include "shell/ShellIds.h"

namespace {

// The first occurrence of pattern that starts on a character of the GBK text.
size_t FindInGbk(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size()) return std::string_view::npos;
  for (size_t i = 0; i + pattern.size() <= text.size(); ++i) {
    if (text.compare(i, pattern.size(), pattern) == 0) return i;
    if (kiv::IsGbkLeadByte(static_cast<unsigned char>(text[i]))) ++i;
  }
  return std::string_view::npos;
}

}  // namespace

CMZSMDlg::CMZSMDlg(int mode, CWnd* parent)
    : CDialogEx(kIddRiskDisclosure, parent), mode_(mode), text_(kRiskDisclosureText) {}

CMZSMDlg::~CMZSMDlg() = default;

CRichTextView* CMZSMDlg::View() const { return dynamic_cast<CRichTextView*>(GetDlgItem(kIdcRiskText)); }

void CMZSMDlg::ResourceError() {
  ::MessageBox(m_hWnd, "程序资源错误!", UiTheme().strMsgCaption.c_str(), MB_OK);
  OnCancel();
}

bool CMZSMDlg::MakeButton(std::unique_ptr<CKivDesk_Button>& button, UINT normal, UINT active, int id,
                          const CRect& rect, bool hover) {
  button = std::make_unique<CKivDesk_Button>(normal, active);
  if (!button->Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect, this, static_cast<UINT>(id))) {
    button.reset();
    return false;
  }
  button->EnableHover(hover ? TRUE : FALSE);
  return true;
}

BOOL CMZSMDlg::OnInitDialog() {
  CDialogEx::OnInitDialog();
  titleBand_.LoadBitmap(kIdbTitleBand);
  logo_.LoadBitmap(kIdbTitleLogo);
  font_.CreateFontIndirect(&UiTheme().lfNormal);
  blackBrush_.CreateSolidBrush(kBody);
  CRect client;
  GetClientRect(&client);

  if (mode_ == 1) {
    const CSize close = kiv::gdi::ResourceBitmapSize(kIdbTitleCloseNormal);
    const CRect rect(client.right - 5 - close.cx, 1, client.right - 5, close.cy + 1);
    if (close.cx == 0 || !MakeButton(close_, kIdbTitleCloseNormal, kIdbTitleCloseActive, kIdcDialogClose, rect, true)) {
      ResourceError();
      return FALSE;
    }
  }
  // The bottom row, 20 pixels above the bottom edge.
  const int width = client.Width();
  const CSize acceptSize = kiv::gdi::ResourceBitmapSize(mode_ == 1 ? kIdbAcceptButton : kIdbOkButton);
  const CSize declineSize = kiv::gdi::ResourceBitmapSize(kIdbDeclineButton);
  const int rowTop = client.bottom - 20 - static_cast<int>(kiv::gdi::ResourceBitmapSize(kIdbAcceptButton).cy);
  bool made;
  if (mode_ == 1) {
    const int acceptLeft = static_cast<int>((width - 2.5 * acceptSize.cx) / 2);
    const int declineLeft = acceptLeft + static_cast<int>(acceptSize.cx) + static_cast<int>(declineSize.cx) / 2;
    made = acceptSize.cx > 0 && declineSize.cx > 0 &&
           MakeButton(accept_, kIdbAcceptButton, kIdbAcceptButton, kIdcDialogAccept,
                      CRect(acceptLeft, rowTop, acceptLeft + acceptSize.cx, client.bottom - 20), true) &&
           MakeButton(decline_, kIdbDeclineButton, kIdbDeclineButton, kIdcDialogDecline,
                      CRect(declineLeft, rowTop, declineLeft + declineSize.cx, client.bottom - 20), true);
  } else {
    const int right = width / 2 + static_cast<int>(acceptSize.cx) / 2;
    made = acceptSize.cx > 0 && MakeButton(accept_, kIdbOkButton, kIdbOkButton, kIdcDialogAccept,
                                           CRect(right - acceptSize.cx, rowTop, right, client.bottom - 20), true);
  }
  if (!made) {
    ResourceError();
    return FALSE;
  }

  if (CWnd* consent = GetDlgItem(kIdcRiskConsent)) consent->ShowWindow(SW_HIDE);
  CWnd* hint = GetDlgItem(kIdcRiskHint);
  if (mode_ == 1) {
    if (hint) {
      hint->SetWindowText(kHint);
      hint->ShowWindow(SW_SHOW);
    }
    accept_->ShowWindow(SW_HIDE);
    decline_->ShowWindow(SW_HIDE);
  } else if (hint) {
    hint->ShowWindow(SW_HIDE);
  }

  if (CRichTextView* view = View()) {
    view->SetWindowText(text_.c_str());
    view->PostMessage(WM_VSCROLL, SB_TOP, 0);
    view->PostMessage(WM_KILLFOCUS, 0, 0);
    SetRangeFormat(kRangeFirstLine, nullptr, TRUE, 220);
    SetRangeFormat(kRangeMiddleLines, nullptr, FALSE, 180);
    SetRangeFormat(kRangeText, kRiskDeclaration, TRUE, 180);
    SetRangeFormat(kRangeText, kRiskDisclaimerHeading, TRUE, 220);
  }
  // A text that needs no scrolling never reports a scroll: the gate looks
  // once the dialog is up.
  if (mode_ == 1) PostMessage(WM_KIV_RISK_GATE, 0, 0);
  return TRUE;
}

void CMZSMDlg::SetRangeFormat(int range, const char* text, BOOL bold, int heightTwips) {
  CRichTextView* view = View();
  if (view == nullptr) return;
  const std::string plain = view->GetPlainText();
  size_t start = 0, end = 0;
  switch (range) {
    case kRangeFirstLine: {
      const size_t feed = kiv::FindCharGbk(plain, '\n');
      end = feed == std::string::npos ? plain.size() : feed + 1;
      break;
    }
    case kRangeText: {
      if (text == nullptr) return;
      start = FindInGbk(plain, text);
      if (start == std::string::npos) return;
      end = start + std::string_view(text).size();
      break;
    }
    case kRangeMiddleLines: {
      const size_t feed = kiv::FindCharGbk(plain, '\n');
      const size_t last = plain.rfind('\n');  // a line feed is never a GBK trail byte
      if (feed == std::string::npos || last == feed) return;
      start = feed + 1;
      end = last + 1;
      break;
    }
    default:
      return;
  }
  view->FormatRange(start, end, bold != FALSE, heightTwips / 20);
}

void CMZSMDlg::ShowChoice(bool show) {
  if (accept_) accept_->ShowWindow(show ? SW_SHOW : SW_HIDE);
  if (decline_) decline_->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CMZSMDlg::EvaluateGate() {
  CRichTextView* view = View();
  if (view == nullptr || mode_ != 1 || IsDlgButtonChecked(kIdcRiskConsent) == BST_CHECKED) return;
  int lowest = 0, highest = 0;
  view->GetScrollRange(&lowest, &highest);
  const int position = view->GetScrollPos();
  const int threshold = highest - highest / 4;
  // Past three quarters of the range opens it, and so does the end of a
  // range too short for a quarter of it to be a whole pixel.
  const bool open = position > threshold || position >= highest;
  if (CWnd* consent = GetDlgItem(kIdcRiskConsent)) consent->ShowWindow(open ? SW_SHOW : SW_HIDE);
  if (CWnd* hint = GetDlgItem(kIdcRiskHint)) hint->ShowWindow(open ? SW_HIDE : SW_SHOW);
}

void CMZSMDlg::OnOK() {
  if (mode_ == 1 && !(accept_ && accept_->IsWindowVisible())) return;  // not accepted yet
  CDialogEx::OnOK();
}

BOOL CMZSMDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (id == kIdcRiskText && code == EN_UPDATE) {
    viewChanged_ = 1;
    CRect bar = ScrollTrack();
    InvalidateRect(&bar, FALSE);
    return TRUE;
  }
  if (id == kIdcRiskConsent && code == BN_CLICKED) {
    ShowChoice(IsDlgButtonChecked(kIdcRiskConsent) == BST_CHECKED);
    return TRUE;
  }
  return CDialogEx::OnCommand(wParam, lParam);
}

BOOL CMZSMDlg::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  if (viewChanged_ && mode_ == 1 && IsDlgButtonChecked(kIdcRiskConsent) != BST_CHECKED) {
    EvaluateGate();
    viewChanged_ = 0;
  }
  return CDialogEx::OnSetCursor(wnd, hitTest, message);
}

LRESULT CMZSMDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_SELECT) {
    switch (static_cast<int>(wParam)) {
      case kIdcDialogClose:
      case kIdcDialogDecline:
        OnCancel();
        break;
      case kIdcDialogAccept:
        CDialogEx::OnOK();
        break;
      default:
        break;
    }
    return 0;
  }
  if (msg == WM_KIV_RISK_GATE) {
    EvaluateGate();
    return 0;
  }
  return CDialogEx::OnMessage(msg, wParam, lParam);
}

void CMZSMDlg::OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) {
  CKivDesk_Button* button = idCtl == kIdcDialogClose     ? close_.get()
                            : idCtl == kIdcDialogAccept  ? accept_.get()
                            : idCtl == kIdcDialogDecline ? decline_.get()
                                                         : nullptr;
  if (button != nullptr && drawItem != nullptr) {
    button->DrawButton(CDC::FromHandle(drawItem->hDC));
    return;
  }
  CDialogEx::OnDrawItem(idCtl, drawItem);
}

HBRUSH CMZSMDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  HBRUSH brush = CDialogEx::OnCtlColor(dc, wnd, ctlColor);
  const int id = wnd != nullptr ? wnd->GetDlgCtrlID() : 0;
  if (id == kIdcRiskHint || id == kIdcRiskConsent) {
    dc->SetTextColor(0xFFFFFF);
    dc->SetBkColor(kBody);
    return static_cast<HBRUSH>(blackBrush_.GetSafeHandle());
  }
  return brush;
}

LRESULT CMZSMDlg::OnNcHitTest(CPoint screenPoint) {
  CRect band;
  GetClientRect(&band);
  band.bottom = band.top + (titleBand_.GetSafeHandle() ? static_cast<int>(titleBand_.GetSize().cy) : 0);
  ClientToScreen(&band);
  if (band.PtInRect(screenPoint)) return HTCAPTION;
  return CDialogEx::OnNcHitTest(screenPoint);
}

BOOL CMZSMDlg::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers every pixel
}

CRect CMZSMDlg::ScrollTrack() const {
  CWnd* view = GetDlgItem(kIdcRiskText);
  if (view == nullptr) return CRect();
  CRect r;
  view->GetWindowRect(&r);
  ScreenToClient(&r);
  return CRect(r.right + kScrollGap, r.top, r.right + kScrollGap + kScrollWidth, r.bottom);
}

CRect CMZSMDlg::ScrollThumb() const {
  const CRect track = ScrollTrack();
  CRichTextView* view = View();
  if (view == nullptr || track.IsRectEmpty()) return CRect();
  const int content = std::max(1, view->GetContentHeight());
  CRect page;
  view->GetClientRect(&page);
  const int height = track.Height();
  const int thumb = std::clamp(height * page.Height() / content, 12, height);
  int lowest = 0, highest = 0;
  view->GetScrollRange(&lowest, &highest);
  const int top = highest > 0 ? (height - thumb) * view->GetScrollPos() / highest : 0;
  return CRect(track.left, track.top + top, track.right, track.top + top + thumb);
}

void CMZSMDlg::ScrollToThumbAt(int y) {
  CRichTextView* view = View();
  const CRect track = ScrollTrack();
  const CRect thumb = ScrollThumb();
  const int room = track.Height() - thumb.Height();
  if (view == nullptr || room <= 0) return;
  int lowest = 0, highest = 0;
  view->GetScrollRange(&lowest, &highest);
  const int top = std::clamp(y - dragOffset_ - static_cast<int>(track.top), 0, room);
  view->SetScrollPos(highest * top / room);
}

void CMZSMDlg::OnLButtonDown(UINT flags, CPoint point) {
  const CRect thumb = ScrollThumb();
  if (thumb.PtInRect(point)) {
    dragging_ = true;
    dragOffset_ = point.y - thumb.top;
    SetCapture();
    return;
  }
  CRichTextView* view = View();
  if (ScrollTrack().PtInRect(point) && view != nullptr) {
    view->SendMessage(WM_VSCROLL, point.y < thumb.top ? SB_PAGEUP : SB_PAGEDOWN, 0);
    return;
  }
  CDialogEx::OnLButtonDown(flags, point);
}

void CMZSMDlg::OnMouseMove(UINT flags, CPoint point) {
  if (dragging_) {
    ScrollToThumbAt(point.y);
    return;
  }
  CDialogEx::OnMouseMove(flags, point);
}

void CMZSMDlg::OnLButtonUp(UINT flags, CPoint point) {
  if (dragging_) {
    dragging_ = false;
    ::ReleaseCapture();
    return;
  }
  CDialogEx::OnLButtonUp(flags, point);
}

void CMZSMDlg::OnCaptureChanged(CWnd* wnd) {
  dragging_ = false;
  CDialogEx::OnCaptureChanged(wnd);
}

void CMZSMDlg::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  kiv::gdi::MemoryCanvas canvas(dc, client.Width(), client.Height());
  CDC& memory = canvas.Dc();
  memory.FillSolidRect(&client, kBody);

  int bandHeight = 0;
  if (titleBand_.GetSafeHandle()) {
    // The band's first column, stretched across.
    bandHeight = static_cast<int>(titleBand_.GetSize().cy);
    kiv::gdi::StretchBitmap(memory, titleBand_, CRect(0, 0, client.Width(), bandHeight), 1);
  }
  kiv::gdi::DrawBitmap(memory, logo_, 0, 0);
  CFont* oldFont = memory.SelectObject(&font_);
  memory.SetBkMode(TRANSPARENT);
  memory.SetTextColor(0xFFFFFF);
  CRect caption(0, 0, client.Width(), bandHeight);
  memory.DrawText(kCaption, -1, &caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  memory.SelectObject(oldFont);

  const CRect track = ScrollTrack();
  if (!track.IsRectEmpty()) {
    memory.FillSolidRect(&track, kScrollTrack);
    const CRect thumb = ScrollThumb();
    memory.FillSolidRect(&thumb, kScrollThumb);
  }

  canvas.CopyTo(dc);
}
