#include "shell/KivDesk_Button.h"

#include <algorithm>
#include <cstring>

#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"

CKivDesk_Button::CKivDesk_Button(UINT normalBitmapId, UINT activeBitmapId, const char* caption)
    : normalId_(normalBitmapId), activeId_(activeBitmapId) {
  if (caption != nullptr) caption_.assign(caption, strnlen(caption, kMaxCaption));
}

CKivDesk_Button::~CKivDesk_Button() {
  if (oldCanvas_ != nullptr) memory_.SelectObject(oldCanvas_);
}

bool CKivDesk_Button::LoadSkins() {
  if (!normalSkin_.GetSafeHandle() && !normalSkin_.LoadBitmap(normalId_)) return false;
  if (!activeSkin_.GetSafeHandle() && !activeSkin_.LoadBitmap(activeId_)) return false;
  return true;
}

void CKivDesk_Button::DrawButton(CDC* target) {
  if (target == nullptr) return;
  CRect client;
  GetClientRect(&client);
  if (!LoadSkins()) return;
  CSize skin = normalSkin_.GetSize();
  // The surface holds the client and the skin, whichever is larger: the
  // copy to the screen is the skin's size.
  CSize wanted(std::max<LONG>(client.Width(), skin.cx), std::max<LONG>(client.Height(), skin.cy));
  if (!memoryMade_) {
    memory_.CreateCompatibleDC(nullptr);
    memory_.SetStretchBltMode(HALFTONE);
    memoryMade_ = true;
  }
  if (wanted != canvasSize_) {
    if (oldCanvas_ != nullptr) memory_.SelectObject(oldCanvas_);
    canvas_.DeleteObject();
    canvas_.CreateCompatibleBitmap(target, wanted.cx, wanted.cy);
    oldCanvas_ = memory_.SelectObject(&canvas_);
    canvasSize_ = wanted;
  }
  CDC skinDc;
  skinDc.CreateCompatibleDC(&memory_);
  CBitmap* oldSkin = skinDc.SelectObject(active_ ? &activeSkin_ : &normalSkin_);
  memory_.BitBlt(0, 0, skin.cx, skin.cy, &skinDc, 0, 0, SRCCOPY);
  skinDc.SelectObject(oldSkin);
  if (!caption_.empty()) DrawCaption(CRect(0, 0, client.Width(), client.Height()));
  target->BitBlt(client.left, client.top, skin.cx, skin.cy, &memory_, 0, 0, SRCCOPY);
}

void CKivDesk_Button::DrawCaption(const CRect& client) {
  CFont font;
  font.CreateFontIndirect(&UiTheme().lfSmall);
  CFont* oldFont = memory_.SelectObject(&font);
  CSize text = memory_.GetTextExtent(caption_.c_str(), static_cast<int>(caption_.size()));
  int oldMode = memory_.SetBkMode(TRANSPARENT);
  COLORREF oldColor = memory_.SetTextColor(active_ ? kActiveCaption : kNormalCaption);
  memory_.TextOut(client.left + (client.Width() - text.cx) / 2, client.top + (client.Height() - text.cy) / 2,
                  caption_.c_str(), static_cast<int>(caption_.size()));
  memory_.SetTextColor(oldColor);
  memory_.SetBkMode(oldMode);
  memory_.SelectObject(oldFont);
}

void CKivDesk_Button::DrawItem(LPDRAWITEMSTRUCT drawItem) {
  if (drawItem != nullptr) DrawButton(CDC::FromHandle(drawItem->hDC));
}

void CKivDesk_Button::SetActive(BOOL active) {
  active = active ? TRUE : FALSE;
  if (active == active_) return;
  active_ = active;
  Invalidate(TRUE);
}

void CKivDesk_Button::PostToParent(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND parent = ::GetParent(m_hWnd);
  if (parent != nullptr) ::PostMessage(parent, msg, wParam, lParam);
}

void CKivDesk_Button::OnLButtonDown(UINT flags, CPoint point) {
  pressed_ = TRUE;
  PostToParent(WM_KIV_BUTTON_DOWN, static_cast<WPARAM>(GetDlgCtrlID()), 0);
  CBitmapButton::OnLButtonDown(flags, point);
}

void CKivDesk_Button::OnLButtonUp(UINT flags, CPoint point) {
  if (pressed_) {
    // Once reported, the press is spent: a later release without a new
    // press must not report the click again.
    pressed_ = FALSE;
    PostToParent(WM_KIV_SELECT, static_cast<WPARAM>(GetDlgCtrlID()), 0);
  }
  CBitmapButton::OnLButtonUp(flags, point);
}

void CKivDesk_Button::OnMouseMove(UINT flags, CPoint point) {
  if (hover_) {
    SetActive(TRUE);
    SetTimer(kButtonHoverTimer, kButtonHoverMs, nullptr);
  }
  CBitmapButton::OnMouseMove(flags, point);
}

void CKivDesk_Button::OnTimer(UINT_PTR id) {
  if (id != kButtonHoverTimer) {
    CBitmapButton::OnTimer(id);
    return;
  }
  CPoint cursor;
  ::GetCursorPos(&cursor);
  CRect window;
  GetWindowRect(&window);
  if (!window.PtInRect(cursor)) {
    KillTimer(kButtonHoverTimer);
    SetActive(FALSE);
  }
}

BOOL CKivDesk_Button::OnEraseBkgnd(CDC*) { return TRUE; }

LRESULT CKivDesk_Button::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_BUTTON_DOWN) {
    if (static_cast<int>(wParam) != GetDlgCtrlID()) pressed_ = FALSE;
    return 0;
  }
  return CBitmapButton::OnMessage(msg, wParam, lParam);
}
