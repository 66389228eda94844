// The run of bars that belongs to a hovered holding change: from the bar of
// the trade mark to the signal that opened or closes its position, marked in
// nibble 1 (bits 4-7) of each bar's confirmation word, 1 in the buy colour
// and 2 in the sell colour. The chart layer then draws those bars as holding
// bodies. Pure functions over the per-bar words; the caller holds the
// series (UI thread).
#pragma once

#include <cstdint>

namespace kiv {

// Nibble 1 of every confirmation word cleared.
void ClearHoldingRun(uint32_t* confirm, int count);

// Marks the run of bar j for a holding record of `state` (1 buy, 2 sell,
// 3 both), by nibble 0 of the signal flag words (1 buy, 4 holding, 3 sell,
// 2 empty). Marking forward (backward) with c until v sets nibble 1 of the
// bars after (before) j to c, up to and including the first whose signal
// is v, stopping at the series' end (start). Nothing for j outside the
// series or another state.
void HighlightHoldingRun(const uint32_t* flags, uint32_t* confirm, int count, int j, int state);

}  // namespace kiv
