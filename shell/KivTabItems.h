// KivTabItems: the items of a tab strip, shared by the program's strips
// (CKivDesk_Wnd_Tab, CKivDesk_Wnd_Tab2 and the strips derived from them):
// the captions, the hit rectangles the last paint laid out, and the
// selection. An item without a caption (never set, or set empty or null)
// is drawn without text and can never be chosen by the mouse.
//
// Ownership: a member of its strip; it holds copies of the captions.
// Threads: the strip's UI thread only.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/Geometry.h"

class KivTabItems {
 public:
  // Drops every item; then, for count > 0, makes count items without
  // caption or rectangle and selects item 0. For count <= 0 the strip stays
  // empty and the selection keeps its old value.
  void SetCount(int count);
  int Count() const { return static_cast<int>(texts_.size()); }
  bool InRange(int index) const { return index >= 0 && index < Count(); }

  // A copy of text (GBK; null means no caption) for 0 <= index < Count().
  // Returns index, or -1 for an index out of range, which changes nothing.
  int SetText(int index, const char* text);
  // The caption, empty for an item without one or an index out of range.
  const std::string& Text(int index) const;
  bool HasText(int index) const { return !Text(index).empty(); }

  // Stores the selection for 0 <= index < Count(); returns index, or -1.
  int SetCurSel(int index);
  int CurSel() const { return curSel_; }

  // Hit rectangles in client coordinates, written by painting; empty until
  // the first paint lays the item out.
  CRect ItemRect(int index) const;
  void SetItemRect(int index, const RECT& rect);
  // The first item, in index order, whose rectangle holds point; -1 none.
  int ItemAt(POINT point) const;
  // The first item whose rectangle holds point and that has a caption; -1
  // none (what a click may choose).
  int CaptionedItemAt(POINT point) const;

 private:
  std::vector<std::string> texts_;
  std::vector<CRect> rects_;
  int curSel_ = 0;
};
