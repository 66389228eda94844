#include "shell/KivDesk_Wnd_Tab.h"

#include <algorithm>

#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"

namespace {

// Wider than any screen; keeps the layout's sums far from overflowing.
constexpr int kMaxTabItemWidth = 1 << 16;

}  // namespace

CKivDesk_Wnd_Tab::CKivDesk_Wnd_Tab(UINT normalId, UINT selectedId, UINT separatorId,
                                   COLORREF selectedTextColour, BOOL textSized, BOOL passThrough)
    : normalId_(normalId),
      selectedId_(selectedId),
      separatorId_(separatorId),
      selectedTextColour_(selectedTextColour),
      textSized_(textSized != FALSE),
      passThrough_(passThrough != FALSE) {}

// --- Items -------------------------------------------------------------------

void CKivDesk_Wnd_Tab::SetItemCount(int count) { items_.SetCount(count); }

int CKivDesk_Wnd_Tab::SetItemText(int index, const char* text) { return items_.SetText(index, text); }

int CKivDesk_Wnd_Tab::SetCurSel(int index) { return items_.SetCurSel(index); }

BOOL CKivDesk_Wnd_Tab::GetItemRect(int index, RECT* rect) const {
  if (rect == nullptr || !items_.InRange(index)) return FALSE;
  *rect = items_.ItemRect(index);
  return TRUE;
}

void CKivDesk_Wnd_Tab::NotifySelected(int index) {
  if (CWnd* parent = GetParent()) parent->PostMessage(WM_KIV_SELECT, static_cast<WPARAM>(GetDlgCtrlID()), index);
}

// --- Input -------------------------------------------------------------------

void CKivDesk_Wnd_Tab::OnLButtonDown(UINT flags, CPoint point) {
  // Only another item with a caption changes anything: a press on the
  // selected item, on an item without caption or between items posts
  // nothing and leaves the picture as it is.
  const int hit = items_.CaptionedItemAt(point);
  if (hit >= 0 && hit != items_.CurSel()) {
    items_.SetCurSel(hit);
    Invalidate();
    NotifySelected(hit);
  }
  CWnd::OnLButtonDown(flags, point);
}

LRESULT CKivDesk_Wnd_Tab::OnNcHitTest(CPoint screenPoint) {
  if (passThrough_) {
    CPoint point = screenPoint;
    ScreenToClient(&point);
    CRect client;
    GetClientRect(&client);
    if (client.PtInRect(point) && items_.ItemAt(point) < 0) return HTTRANSPARENT;
  }
  return CWnd::OnNcHitTest(screenPoint);
}

// --- Painting ----------------------------------------------------------------

void CKivDesk_Wnd_Tab::OnSize(UINT type, int cx, int cy) {
  CWnd::OnSize(type, cx, cy);
  canvas_.Rebuild(cx, cy);
}

BOOL CKivDesk_Wnd_Tab::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers every pixel
}

void CKivDesk_Wnd_Tab::OnPaint() {
  canvas_.PaintWindow(this, [this](CDC& dc, const CRect& client) { DrawItems(dc, client); });
}

bool CKivDesk_Wnd_Tab::LoadSkins() {
  if (!normalFace_.GetSafeHandle()) normalFace_.LoadBitmap(normalId_);
  if (!selectedFace_.GetSafeHandle()) selectedFace_.LoadBitmap(selectedId_);
  if (!separator_.GetSafeHandle()) separator_.LoadBitmap(separatorId_);
  return normalFace_.GetSafeHandle() && selectedFace_.GetSafeHandle() && separator_.GetSafeHandle();
}

CFont& CKivDesk_Wnd_Tab::CaptionFont() {
  if (!font_.GetSafeHandle()) font_.CreateFontIndirect(&UiTheme().lfSmall);
  return font_;
}

void CKivDesk_Wnd_Tab::DrawFaceColumns(CDC& dc, int left, int right, int top, int height, CDC& skin) {
  if (right < left || height <= 0) return;
  // One stretch of the first column instead of a copy per column. Stretched
  // to the nearest pixel, a 1-pixel column gives exactly the pixels of the
  // column copies; the surface's own mode (HALFTONE) would filter.
  const int mode = dc.SetStretchBltMode(COLORONCOLOR);
  dc.StretchBlt(left, top, right - left + 1, height, &skin, 0, 0, 1, height, SRCCOPY);
  dc.SetStretchBltMode(mode);
}

void CKivDesk_Wnd_Tab::DrawFace(CDC& dc, CDC& skin, CBitmap& face, int left, int right, int top,
                                int faceHeight) {
  skin.SelectObject(&face);
  DrawFaceColumns(dc, left, right, top, faceHeight, skin);
}

void CKivDesk_Wnd_Tab::DrawItems(CDC& dc, const CRect& client) {
  if (!LoadSkins()) return;  // blank until every skin is there
  const int faceHeight = normalFace_.GetSize().cy;
  CDC skin;
  skin.CreateCompatibleDC(&dc);
  CBitmap* oldSkin = skin.SelectObject(&normalFace_);
  if (items_.Count() == 0) {
    DrawFace(dc, skin, normalFace_, client.left, client.right - 1, client.top, faceHeight);
  } else {
    if (textSized_) {
      DrawTextSized(dc, skin, client, faceHeight);
    } else {
      DrawEqualWidths(dc, skin, client, faceHeight);
    }
    // Captions go last, over every face, so that none is cut by the face
    // or the rest drawn after it.
    CFont* oldFont = dc.SelectObject(&CaptionFont());
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const COLORREF oldColour = dc.GetTextColor();
    for (int i = 0; i < items_.Count(); ++i) DrawCaption(dc, i, items_.ItemRect(i));
    dc.SetTextColor(oldColour);
    dc.SetBkMode(oldMode);
    dc.SelectObject(oldFont);
  }
  skin.SelectObject(oldSkin);
}

void CKivDesk_Wnd_Tab::DrawEqualWidths(CDC& dc, CDC& skin, const CRect& client, int faceHeight) {
  const int count = items_.Count();
  const int width = std::min(itemWidth_ < 0 ? client.Width() / count : itemWidth_, kMaxTabItemWidth);
  int right = client.left;
  CBitmap* face = &normalFace_;
  for (int i = 0; i < count; ++i) {
    // Items stop drawing where the client ends; their rectangles stay
    // meaningful (empty) beyond it.
    const int left = static_cast<int>(std::min<long long>(client.left + static_cast<long long>(i) * width,
                                                          client.right + kMaxTabItemWidth));
    right = left + width - 2;
    items_.SetItemRect(i, CRect(left, client.top, right, client.bottom));
    face = i == items_.CurSel() ? &selectedFace_ : &normalFace_;
    DrawFace(dc, skin, *face, left, right, client.top, faceHeight);
    if (i != count - 1) {
      skin.SelectObject(&separator_);
      dc.BitBlt(right, client.top, kEqualSeparatorWidth, faceHeight, &skin, 0, 0, SRCCOPY);
    }
  }
  // What a width not divisible by the count leaves takes the last item's face.
  DrawFace(dc, skin, *face, right + 1, client.right - 1, client.top, faceHeight);
}

void CKivDesk_Wnd_Tab::DrawTextSized(CDC& dc, CDC& skin, const CRect& client, int faceHeight) {
  const int count = items_.Count();
  const int separatorWidth = separator_.GetSize().cx;
  // Measured in the caption font, which DrawItems selects only afterwards.
  CFont* oldFont = dc.SelectObject(&CaptionFont());
  const int inset = std::clamp(textInset_, 0, kMaxTabItemWidth);
  int x = client.left;
  CBitmap* lastFace = &normalFace_;
  for (int i = 0; i < count; ++i) {
    if (!items_.HasText(i)) {
      // Takes no room, and no stale rectangle of an earlier caption keeps
      // catching presses.
      items_.SetItemRect(i, CRect());
      lastFace = &normalFace_;
      continue;
    }
    const int textWidth = dc.GetTextExtent(items_.Text(i)).cx;
    const int right = x + inset + textWidth;
    items_.SetItemRect(i, CRect(x, client.top, right, client.bottom));
    lastFace = i == items_.CurSel() ? &selectedFace_ : &normalFace_;
    DrawFace(dc, skin, *lastFace, x, right, client.top, faceHeight);
    x = right + 1;
    if (i != count - 1) {
      skin.SelectObject(&separator_);
      dc.BitBlt(x, client.top, separatorWidth, faceHeight, &skin, 0, 0, SRCCOPY);
      x += separatorWidth;
    }
    if (x > client.right + kMaxTabItemWidth) x = client.right + kMaxTabItemWidth;
  }
  dc.SelectObject(oldFont);
  // The rest continues the last item when it took room; after a separator
  // (the last item had no caption) it is the normal face.
  DrawFace(dc, skin, *lastFace, x, client.right - 1, client.top, faceHeight);
}

void CKivDesk_Wnd_Tab::DrawCaption(CDC& dc, int index, const CRect& rect) {
  if (!items_.HasText(index)) return;
  const std::string& text = items_.Text(index);
  const CSize extent = dc.GetTextExtent(text);
  dc.SetTextColor(index == items_.CurSel() ? selectedTextColour_ : UiTheme().clrText);
  dc.TextOut((rect.left + rect.right) / 2 - extent.cx / 2, (rect.top + rect.bottom) / 2 - extent.cy / 2 - 2, text);
}
