#include "panes/f10/KivDesk_Wnd_TabF10.h"

#include <algorithm>

namespace {

// Wider than any screen; keeps the layout's sums far from overflowing.
constexpr int kMaxF10ItemWidth = 1 << 16;

// A row of the strip: where its items' rectangles start and end.
struct F10Row {
  int top;
  int bottom;
};

}  // namespace

CKivDesk_Wnd_TabF10::CKivDesk_Wnd_TabF10(UINT normalId, UINT selectedId, UINT separatorId,
                                         COLORREF selectedTextColour, BOOL textSized, BOOL passThrough)
    : CKivDesk_Wnd_Tab(normalId, selectedId, separatorId, selectedTextColour, textSized, passThrough) {}

CKivDesk_Wnd_TabF10::~CKivDesk_Wnd_TabF10() = default;

void CKivDesk_Wnd_TabF10::DrawItems(CDC& dc, const CRect& client) {
  if (!LoadSkins()) return;  // blank until every skin is there; retried on the next paint
  const int faceHeight = NormalFace().GetSize().cy;
  CDC skin;
  skin.CreateCompatibleDC(&dc);
  CBitmap* oldSkin = skin.SelectObject(&NormalFace());
  if (Items().Count() == 0) {
    DrawFace(dc, skin, NormalFace(), client.left, client.right - 1, client.top, faceHeight);
    skin.SelectObject(oldSkin);
    return;
  }
  // Layout measures captions in the caption font, so it is selected first.
  CFont* oldFont = dc.SelectObject(&CaptionFont());
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  const COLORREF oldColour = dc.GetTextColor();
  if (IsTextSized()) {
    DrawTextSizedRows(dc, skin, client, faceHeight);
  } else {
    DrawEqualWidthRows(dc, skin, client, faceHeight);
  }
  // Captions go over every face and fill, so none is cut by what is drawn
  // after its item.
  for (int i = 0; i < Items().Count(); ++i) DrawCaption(dc, i, Items().ItemRect(i));
  dc.SetTextColor(oldColour);
  dc.SetBkMode(oldMode);
  dc.SelectObject(oldFont);
  skin.SelectObject(oldSkin);
}

void CKivDesk_Wnd_TabF10::DrawTextSizedRows(CDC& dc, CDC& skin, const CRect& client, int faceHeight) {
  KivTabItems& items = Items();
  const int count = items.Count();
  const int separatorWidth = Separator().GetSize().cx;
  const int inset = std::clamp(GetTextInset(), 0, kMaxF10ItemWidth);
  F10Row row{client.top, client.top + faceHeight};
  int x = client.left;
  CBitmap* lastFace = &NormalFace();
  for (int i = 0; i < count; ++i) {
    if (i == kSecondRowFrom) {
      x = client.left;
      row = F10Row{client.top + faceHeight + 1, client.bottom};
      lastFace = &NormalFace();
    }
    if (items.HasText(i)) {
      const int right = x + inset + dc.GetTextExtent(items.Text(i)).cx;
      items.SetItemRect(i, CRect(x, row.top, right, row.bottom));
      lastFace = i == items.CurSel() ? &SelectedFace() : &NormalFace();
      DrawFace(dc, skin, *lastFace, x, right, row.top, faceHeight);
      x = right + 1;
      if (i != count - 1) {
        skin.SelectObject(&Separator());
        dc.BitBlt(x, row.top, separatorWidth, faceHeight, &skin, 0, 0, SRCCOPY);
        x += separatorWidth;
      }
      x = std::min(x, static_cast<int>(client.right) + kMaxF10ItemWidth);
    } else {
      // Takes no room, and no stale rectangle of an earlier caption keeps
      // catching presses or hit-tests.
      items.SetItemRect(i, CRect());
      lastFace = &NormalFace();
    }
    if (i == kSecondRowFrom - 1) {
      // The first row ends here: its rest is the normal face whatever
      // item 7 looked like.
      DrawFace(dc, skin, NormalFace(), x, client.right - 1, row.top, faceHeight);
      lastFace = &NormalFace();
    }
  }
  DrawFace(dc, skin, *lastFace, x, client.right - 1, row.top, faceHeight);
}

void CKivDesk_Wnd_TabF10::DrawEqualWidthRows(CDC& dc, CDC& skin, const CRect& client, int faceHeight) {
  KivTabItems& items = Items();
  const int count = items.Count();
  // The fullest row shares the width: a strip of more than eight items
  // gives each the width of an eighth, as the first row holds eight.
  const int perRow = std::min(count, kSecondRowFrom);
  const int width =
      std::clamp(GetItemWidth() < 0 ? static_cast<int>(client.Width()) / perRow : GetItemWidth(), 0, kMaxF10ItemWidth);
  F10Row row{client.top, client.top + faceHeight};
  int right = client.left;
  CBitmap* face = &NormalFace();
  for (int i = 0; i < count; ++i) {
    if (i == kSecondRowFrom) row = F10Row{client.top + faceHeight + 1, client.bottom};
    const int column = i < kSecondRowFrom ? i : i - kSecondRowFrom;
    // Items stop drawing where the client ends; their rectangles stay
    // meaningful (empty) beyond it.
    const int left = static_cast<int>(std::min<long long>(client.left + static_cast<long long>(column) * width,
                                                          client.right + kMaxF10ItemWidth));
    right = left + width - 2;
    items.SetItemRect(i, CRect(left, row.top, right, row.bottom));
    face = i == items.CurSel() ? &SelectedFace() : &NormalFace();
    DrawFace(dc, skin, *face, left, right, row.top, faceHeight);
    if (i != count - 1) {
      skin.SelectObject(&Separator());
      dc.BitBlt(right, row.top, kEqualSeparatorWidth, faceHeight, &skin, 0, 0, SRCCOPY);
    }
    if (i == kSecondRowFrom - 1 && i != count - 1) {
      DrawFace(dc, skin, NormalFace(), right + kEqualSeparatorWidth, client.right - 1, row.top, faceHeight);
    }
  }
  // What a width not divisible by the items leaves takes the last face.
  DrawFace(dc, skin, *face, right + 1, client.right - 1, row.top, faceHeight);
}
