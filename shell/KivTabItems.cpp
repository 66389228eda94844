#include "shell/KivTabItems.h"

void KivTabItems::SetCount(int count) {
  texts_.clear();
  rects_.clear();
  if (count <= 0) return;
  texts_.resize(static_cast<size_t>(count));
  rects_.resize(static_cast<size_t>(count));
  curSel_ = 0;
}

int KivTabItems::SetText(int index, const char* text) {
  if (!InRange(index)) return -1;
  texts_[static_cast<size_t>(index)] = text ? text : "";
  return index;
}

const std::string& KivTabItems::Text(int index) const {
  static const std::string kNone;
  return InRange(index) ? texts_[static_cast<size_t>(index)] : kNone;
}

int KivTabItems::SetCurSel(int index) {
  if (!InRange(index)) return -1;
  curSel_ = index;
  return index;
}

CRect KivTabItems::ItemRect(int index) const {
  return InRange(index) ? rects_[static_cast<size_t>(index)] : CRect();
}

void KivTabItems::SetItemRect(int index, const RECT& rect) {
  if (InRange(index)) rects_[static_cast<size_t>(index)] = rect;
}

int KivTabItems::ItemAt(POINT point) const {
  for (int i = 0; i < Count(); ++i) {
    if (rects_[static_cast<size_t>(i)].PtInRect(point)) return i;
  }
  return -1;
}

int KivTabItems::CaptionedItemAt(POINT point) const {
  for (int i = 0; i < Count(); ++i) {
    if (HasText(i) && rects_[static_cast<size_t>(i)].PtInRect(point)) return i;
  }
  return -1;
}
