// CNDProgressCtrl: a busy indicator. While something is in progress
// (StartBusy to StopBusy) a block runs from left to right across the bar
// every timer tick, slows over the last step, slides out at the right edge
// and starts again at the left; it is hidden while idle. The login dialog
// shows it while a login runs, the watch list while it loads.
//
// Ownership: the owning window creates it (CProgressCtrl::Create) and
// destroys its window before deleting it. Only the UI thread may call it.
#pragma once

#include "platform/ui/ProgressCtrl.h"

class CNDProgressCtrl : public CProgressCtrl {
 public:
  CNDProgressCtrl() = default;

  // The range 0..maximum. The block moves in steps of maximum / 50, so a
  // maximum below 50 (or none) leaves it still and undrawn.
  void SetRangeMax(short maximum);
  // Shows the bar and moves its block every kBusyBarMs.
  void StartBusy();
  // Hides the bar and stops the block.
  void StopBusy();

  int GetBusyPos() const { return position_; }
  int GetRangeMax() const { return maximum_; }

 protected:
  // One step of the block (any timer id), then the control's own handling.
  void OnTimer(UINT_PTR id) override;
  // The paint covers the whole bar: nothing to erase.
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;

 private:
  // maximum / 50: 0 when the block cannot move.
  int Step() const { return maximum_ > 0 ? maximum_ / 50 : 0; }

  COLORREF barColor_ = 0xFF901E;
  COLORREF backColor_ = 0x444444;
  int maximum_ = 0;
  int position_ = 0;
};
