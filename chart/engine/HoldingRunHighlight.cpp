#include "chart/engine/HoldingRunHighlight.h"

namespace kiv {

namespace {

constexpr uint32_t kRunNibbleMask = 0xF0u;

uint32_t SignalOf(uint32_t flags) { return flags & 0xFu; }

void SetRunNibble(uint32_t& word, uint32_t colour) { word = (word & ~kRunNibbleMask) | ((colour & 0xFu) << 4); }

void MarkForward(const uint32_t* flags, uint32_t* confirm, int count, int j, uint32_t colour, uint32_t until) {
  for (int k = j + 1; k < count; ++k) {
    SetRunNibble(confirm[k], colour);
    if (SignalOf(flags[k]) == until) break;
  }
}

void MarkBackward(const uint32_t* flags, uint32_t* confirm, int j, uint32_t colour, uint32_t until) {
  for (int k = j - 1; k >= 0; --k) {
    SetRunNibble(confirm[k], colour);
    if (SignalOf(flags[k]) == until) break;
  }
}

}  // namespace

void ClearHoldingRun(uint32_t* confirm, int count) {
  if (!confirm) return;
  for (int k = 0; k < count; ++k) confirm[k] &= ~kRunNibbleMask;
}

void HighlightHoldingRun(const uint32_t* flags, uint32_t* confirm, int count, int j, int state) {
  if (!flags || !confirm || j < 0 || j >= count) return;
  const uint32_t s = SignalOf(flags[j]);
  switch (state) {
    case 1:  // buy
      if (s == 4) MarkBackward(flags, confirm, j, 1, 1);
      else if (s == 2 || s == 3) MarkForward(flags, confirm, count, j, 1, 1);
      break;
    case 2:  // sell
      if (s == 2) MarkBackward(flags, confirm, j, 2, 3);
      else if (s == 1 || s == 4) MarkForward(flags, confirm, count, j, 2, 3);
      break;
    case 3:  // both
      if (s == 1) {
        MarkForward(flags, confirm, count, j, 2, 3);
      } else if (s == 3) {
        MarkForward(flags, confirm, count, j, 1, 1);
      } else if (s == 2) {
        MarkForward(flags, confirm, count, j, 1, 1);
        MarkBackward(flags, confirm, j, 2, 3);
      } else {
        MarkForward(flags, confirm, count, j, 2, 3);
        MarkBackward(flags, confirm, j, 1, 1);
      }
      break;
    default:
      break;
  }
}

}  // namespace kiv
