#include "shell/KivDesk_Title.h"

#include <cstring>

#include "shell/ChromeIds.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"

namespace {

constexpr UINT kTitleButtonIds[CKivDesk_Title::kSlotCount] = {
    kIdcTitleExit,     kIdcTitleMaximize, kIdcTitleRestore, kIdcTitleToTray,
    kIdcTitlePassword, kIdcTitleRisk,     kIdcTitleManual1, kIdcTitleManual2};
constexpr UINT kTitleButtonMessages[CKivDesk_Title::kSlotCount] = {
    WM_KIV_TITLE_EXIT,     WM_KIV_TITLE_MAXIMIZE, WM_KIV_TITLE_RESTORE, WM_KIV_TITLE_TO_TRAY,
    WM_KIV_TITLE_PASSWORD, WM_KIV_TITLE_RISK,     WM_KIV_TITLE_MANUAL1, WM_KIV_TITLE_MANUAL2};

}  // namespace

CKivDesk_Title::CKivDesk_Title(UINT backgroundId, UINT logoId, UINT measureId, UINT exitNormal, UINT exitActive,
                               UINT maximizeNormal, UINT maximizeActive, UINT restoreNormal, UINT restoreActive,
                               UINT toTrayNormal, UINT toTrayActive)
    : backgroundId_(backgroundId),
      logoId_(logoId),
      measureId_(measureId),
      normalIds_{exitNormal,        maximizeNormal,   restoreNormal,   toTrayNormal,
                 kIdbTitlePassword, kIdbTitleRisk,    kIdbTitleManual1, kIdbTitleManual2},
      activeIds_{exitActive,              maximizeActive,       restoreActive,          toTrayActive,
                 kIdbTitlePasswordActive, kIdbTitleRiskActive,  kIdbTitleManual1Active, kIdbTitleManual2Active} {}

CKivDesk_Title::~CKivDesk_Title() {
  // The buttons are child windows: gone with the bar's window, which its
  // owner destroys first; one left alive (a bar never destroyed) goes here,
  // before its object.
  for (auto& button : buttons_) {
    if (button && ::IsWindow(button->m_hWnd)) button->DestroyWindow();
  }
}

UINT CKivDesk_Title::ButtonId(Slot slot) { return kTitleButtonIds[slot]; }
UINT CKivDesk_Title::ButtonMessage(Slot slot) { return kTitleButtonMessages[slot]; }

CSize CKivDesk_Title::SkinSize(UINT id) {
  CBitmap skin;
  return skin.LoadBitmap(id) ? skin.GetSize() : CSize(0, 0);
}

int CKivDesk_Title::OnCreate(LPCREATESTRUCT cs) { return CWnd::OnCreate(cs) == -1 ? -1 : 0; }

void CKivDesk_Title::SetMaximized(BOOL maximized) {
  maximized_ = maximized ? TRUE : FALSE;
  ShowStateButtons();
}

bool CKivDesk_Title::StateShows(Slot slot) const {
  switch (slot) {
    case kExit:
    case kToTray: return true;
    case kMaximize: return !maximized_;
    default: return maximized_ != FALSE;
  }
}

void CKivDesk_Title::ShowStateButtons() {
  for (int s = 0; s < kSlotCount; ++s) {
    CKivDesk_Button* button = buttons_[s].get();
    if (button && ::IsWindow(button->m_hWnd)) button->ShowWindow(StateShows(static_cast<Slot>(s)) ? SW_SHOW : SW_HIDE);
  }
}

void CKivDesk_Title::OnSize(UINT type, int cx, int cy) {
  CWnd::OnSize(type, cx, cy);
  wide_ = cx >= kWideWidth ? TRUE : FALSE;
  canvas_.Rebuild(cx, cy);
  LayOut(cx, cy);
  Invalidate(FALSE);
}

void CKivDesk_Title::LayOut(int cx, int cy) {
  // From the right edge leftwards: exit, to tray, then after gaps
  // maximise/restore (one place), password, manual 1, manual 2, risk.
  struct Place {
    Slot slot;
    int gapBefore;
    UINT widthOf;
    bool sharesPrevious;  // restore sits where maximise does
  };
  const Place places[] = {
      {kExit, kExitRightMargin, normalIds_[kExit], false},
      {kToTray, 0, normalIds_[kExit], false},
      {kMaximize, kButtonGap, normalIds_[kMaximize], false},
      {kRestore, 0, normalIds_[kMaximize], true},
      {kPassword, kButtonGap, kIdbTitlePasswordActive, false},
      {kManual1, kButtonGap, kIdbTitleManual1Active, false},
      {kManual2, kButtonGap, kIdbTitleManual2Active, false},
      {kRisk, kButtonGap, kIdbTitleRiskActive, false},
  };
  int right = cx;
  int previousLeft = cx;
  for (const Place& place : places) {
    const int width = SkinSize(place.widthOf).cx;
    CRect rect;
    if (place.sharesPrevious) {
      rect = CRect(previousLeft, 0, previousLeft + width, cy - 1);
    } else {
      right -= place.gapBefore;
      rect = CRect(right - width, 0, right, cy - 1);
      right = rect.left;
      previousLeft = rect.left;
    }
    std::unique_ptr<CKivDesk_Button>& button = buttons_[place.slot];
    if (!button) {
      auto made = std::make_unique<CKivDesk_Button>(normalIds_[place.slot], activeIds_[place.slot]);
      if (!made->Create("", WS_CHILD | BS_OWNERDRAW, rect, this, ButtonId(place.slot))) return;
      made->EnableHover(TRUE);
      button = std::move(made);
    }
    button->MoveWindow(&rect, TRUE);
    // Only the state's buttons show: a resize never brings back a button
    // that the state hides (restore over maximise, the text buttons over
    // the logo of the compact window).
    button->ShowWindow(StateShows(place.slot) ? SW_SHOW : SW_HIDE);
  }
}

bool CKivDesk_Title::LoadCaptionSkins() {
  if (!background_.GetSafeHandle()) background_.LoadBitmap(backgroundId_);
  if (!logo_.GetSafeHandle()) logo_.LoadBitmap(logoId_);
  if (!measure_.GetSafeHandle()) measure_.LoadBitmap(measureId_);
  return background_.GetSafeHandle() && logo_.GetSafeHandle() && measure_.GetSafeHandle();
}

BOOL CKivDesk_Title::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers the bar
}

void CKivDesk_Title::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (!canvas_.Fit(client.Width(), client.Height())) return;
  if (!DrawBar(canvas_.Dc(), client)) return;
  dc.BitBlt(0, 0, client.Width(), client.Height(), &canvas_.Dc(), 0, 0, SRCCOPY);
}

bool CKivDesk_Title::DrawBar(CDC& memory, const CRect& client) {
  if (!LoadCaptionSkins()) return false;
  const CSize logo = logo_.GetSize();
  CDC skin;
  skin.CreateCompatibleDC(&memory);
  // The background's first column across the bar, one row below the logo
  // included; nearest-pixel stretching keeps the column's exact colours.
  CBitmap* oldSkin = skin.SelectObject(&background_);
  const int oldMode = memory.SetStretchBltMode(COLORONCOLOR);
  memory.StretchBlt(0, 0, client.Width(), logo.cy + 1, &skin, 0, 0, 1, logo.cy + 1, SRCCOPY);
  memory.SetStretchBltMode(oldMode);
  skin.SelectObject(&logo_);
  memory.BitBlt(0, 0, logo.cx, logo.cy, &skin, 0, 0, SRCCOPY);
  skin.SelectObject(oldSkin);
  if (wide_) DrawSlogans(memory, client);
  return true;
}

int CKivDesk_Title::SloganLeft() {
  if (!measure_.GetSafeHandle()) measure_.LoadBitmap(measureId_);
  return measure_.GetSize().cx + kSloganLeftOfMeasure;
}

void CKivDesk_Title::DrawSlogans(CDC& dc, const CRect& client) {
  if (!sloganFont_.GetSafeHandle()) sloganFont_.CreateFontIndirect(&UiTheme().lfSmall);
  CFont* oldFont = dc.SelectObject(&sloganFont_);
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  const COLORREF oldColour = dc.SetTextColor(kSloganColour);
  const CSize first = dc.GetTextExtent(kTitleSlogan1, static_cast<int>(std::strlen(kTitleSlogan1)));
  const int x = SloganLeft();
  const int y = (client.bottom - first.cy) / 2;
  dc.TextOut(x, y, kTitleSlogan1, static_cast<int>(std::strlen(kTitleSlogan1)));
  dc.TextOut(x + first.cx + kSloganGap, y, kTitleSlogan2, static_cast<int>(std::strlen(kTitleSlogan2)));
  dc.SetTextColor(oldColour);
  dc.SetBkMode(oldMode);
  dc.SelectObject(oldFont);
}

LRESULT CKivDesk_Title::OnNcHitTest(CPoint screenPoint) {
  CRect client;
  GetClientRect(&client);
  ClientToScreen(&client);
  // The main window beneath answers HTCAPTION: it is dragged by its title.
  if (client.PtInRect(screenPoint)) return HTTRANSPARENT;
  return CWnd::OnNcHitTest(screenPoint);
}

void CKivDesk_Title::OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) {
  if (drawItem != nullptr) {
    for (auto& button : buttons_) {
      if (button && button->m_hWnd == drawItem->hwndItem) {
        button->DrawButton(CDC::FromHandle(drawItem->hDC));
        return;
      }
    }
  }
  CWnd::OnDrawItem(idCtl, drawItem);
}

LRESULT CKivDesk_Title::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_SELECT) {
    const UINT id = static_cast<UINT>(wParam);
    if (id < kIdcTitleExit || id > kIdcTitleManual2) return 0;
    for (int s = 0; s < kSlotCount; ++s) {
      if (ButtonId(static_cast<Slot>(s)) == id && buttons_[s]) {
        HWND parent = ::GetParent(m_hWnd);
        if (parent != nullptr) ::PostMessage(parent, ButtonMessage(static_cast<Slot>(s)), 0, 0);
        break;
      }
    }
    return 0;
  }
  if (msg == WM_KIV_BUTTON_DOWN) {
    // A press forgets every other button's press, so that only the button
    // released on after its own press reports a click.
    for (auto& button : buttons_) {
      if (button && ::IsWindow(button->m_hWnd)) ::PostMessage(button->m_hWnd, WM_KIV_BUTTON_DOWN, wParam, lParam);
    }
    return 0;
  }
  return CWnd::OnMessage(msg, wParam, lParam);
}
