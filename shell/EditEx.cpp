// The edit with its own colours, font, filter and context menu.
#include "shell/EditEx.h"

#include <cstring>

#include "platform/sys/GbkText.h"
#include "platform/ui/Menu.h"
#include "platform/ui/UiTypes.h"

namespace {

constexpr BYTE kGb2312Charset = 134;
constexpr LONG kEditExFontWeight = 400;

// Copies a face name into a LOGFONT's 32 bytes, cut so that the
// terminating zero fits and no GBK character is split.
void CopyEditExFaceName(LOGFONT& font, LPCSTR face) {
  if (!face) return;
  size_t room = sizeof(font.lfFaceName) - 1;
  size_t length = 0;
  while (face[length] != '\0') {
    size_t width = (kiv::IsGbkLeadByte(static_cast<unsigned char>(face[length])) && face[length + 1] != '\0') ? 2 : 1;
    if (length + width > room) break;
    length += width;
  }
  std::memcpy(font.lfFaceName, face, length);
  font.lfFaceName[length] = '\0';
}

}  // namespace

CEditEx::CEditEx() : backColor_(GetSysColor(COLOR_WINDOW)), textColor_(GetSysColor(COLOR_WINDOWTEXT)) {
  CreateBackgroundBrush();
}

CEditEx::~CEditEx() = default;

void CEditEx::CreateBackgroundBrush() { backBrush_.CreateSolidBrush(backColor_); }

void CEditEx::SetFontEx(int height, int, BYTE pitchAndFamily, LPCSTR faceName) {
  LOGFONT logFont{};
  logFont.lfHeight = height;
  logFont.lfWeight = kEditExFontWeight;
  logFont.lfCharSet = kGb2312Charset;
  logFont.lfPitchAndFamily = pitchAndFamily;
  CopyEditExFaceName(logFont, faceName);
  auto font = std::make_unique<CFont>();
  if (!font->CreateFontIndirect(&logFont)) return;
  // The control takes the new font before the old one goes, so it never
  // holds a deleted font.
  if (::IsWindow(m_hWnd)) SetFont(font.get(), TRUE);
  ownFont_ = std::move(font);
}

COLORREF CEditEx::SetBkColor(COLORREF color) {
  COLORREF previous = backColor_;
  backColor_ = color;
  backBrush_.DeleteObject();
  CreateBackgroundBrush();
  if (::IsWindow(m_hWnd)) Invalidate();
  return previous;
}

COLORREF CEditEx::SetTextColor(COLORREF color) {
  COLORREF previous = textColor_;
  textColor_ = color;
  if (::IsWindow(m_hWnd)) Invalidate();
  return previous;
}

int CEditEx::OnCreate(LPCREATESTRUCT cs) {
  int result = CEdit::OnCreate(cs);
  if (result != -1 && ownFont_) SetFont(ownFont_.get(), FALSE);
  return result;
}

void CEditEx::OnChar(UINT ch, UINT repeat, UINT flags) {
  if (filter_ && !filter_->Accepts(ch)) {
    ::MessageBeep(0);
    return;
  }
  CEdit::OnChar(ch, repeat, flags);
}

void CEditEx::OnContextMenu(CWnd* wnd, CPoint screenPoint) {
  CMenu menu;
  CMenu* popup = nullptr;
  if (contextMenuId_ != 0 && menu.LoadMenu(LOWORD(contextMenuId_))) popup = menu.GetSubMenu(0);
  // Without a menu of its own (or when the resource has no sub-menu to
  // show) the edit shows the standard edit menu.
  if (!popup) {
    CEdit::OnContextMenu(wnd, screenPoint);
    return;
  }
  if (screenPoint.x == -1 && screenPoint.y == -1) {  // from the keyboard: at the field
    CRect r;
    GetWindowRect(&r);
    screenPoint = CPoint(r.left + 4, r.bottom);
  }
  popup->TrackPopupMenu(TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, this);
}

LRESULT CEditEx::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_REFLECT_CTLCOLOR) {
    CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam));
    dc->SetTextColor(textColor_);
    dc->SetBkColor(backColor_);
    return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(backBrush_));
  }
  return CEdit::OnMessage(msg, wParam, lParam);
}
