// The busy bar: its timer step and its block.
#include "shell/NDProgressCtrl.h"

#include <algorithm>

#include "platform/gdi/BitmapBlit.h"
#include "shell/ShellIds.h"

void CNDProgressCtrl::SetRangeMax(short maximum) {
  maximum_ = maximum;
  SetRange(0, maximum);
}

void CNDProgressCtrl::StartBusy() {
  if (!::IsWindow(m_hWnd)) return;
  ShowWindow(SW_SHOW);
  SetTimer(kBusyBarTimer, kBusyBarMs);
}

void CNDProgressCtrl::StopBusy() {
  if (!::IsWindow(m_hWnd)) return;
  ShowWindow(SW_HIDE);
  KillTimer(kBusyBarTimer);
}

void CNDProgressCtrl::OnTimer(UINT_PTR id) {
  int step = Step();
  if (step > 0) {
    // Over the last step the block slows to a tenth of its speed; at least
    // one unit a tick, or a maximum below 500 would stop it there for good.
    if (position_ >= maximum_ - step) {
      position_ += std::max(step / 10, 1);
    } else {
      position_ += step;
    }
    if (position_ > maximum_) position_ = 0;
    SetPos(position_);
  }
  CProgressCtrl::OnTimer(id);
}

BOOL CNDProgressCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

void CNDProgressCtrl::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (client.IsRectEmpty()) return;
  kiv::gdi::MemoryCanvas canvas(dc, client.Width(), client.Height());
  CDC& memory = canvas.Dc();
  memory.FillSolidRect(&client, backColor_);
  int step = Step();
  // Without a step the block has no place (its slide-out divides by the
  // step): only the background shows.
  if (step > 0) {
    long long width = client.Width();
    long long block = (width / 50) * 6;
    long long filled = static_cast<long long>(static_cast<double>(position_) / maximum_ * width);
    long long x = client.left + filled - block;
    if (position_ >= maximum_ - step) {
      x = client.left + filled - (static_cast<long long>(maximum_ - position_) * block) / step;
    }
    // The block's columns, clipped to the bar: one pixel wide each, top to
    // bottom.
    long long from = std::max<long long>(x, client.left);
    long long to = std::min<long long>(x + block, client.right);
    if (from < to) {
      memory.FillSolidRect(static_cast<int>(from), client.top, static_cast<int>(to - from), client.Height(),
                           barColor_);
    }
  }
  canvas.CopyTo(dc);
}
