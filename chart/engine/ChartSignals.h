// The signal flags the chart computes itself after each series arrival.
// Signals live as 4-bit states ("nibbles") in each bar's signal flag word:
// nibble 0 the short-term state (1 buy crossing, 4 holding, 3 sell
// crossing, 2 empty), nibble 2 the mid-term state of intraday bars.
//
//   ComputeIntradaySignals  nibble 2 of 1-minute, 5-minute and hour bars:
//                           a state machine on the 18- and 90-bar averages
//                           of the closes, cycling 2 -> 1 -> 4 -> 3 -> 2
//   ComputeEmaSlopeSignals  the whole flag word of 5-minute bars: the EMA
//                           slope calculator's state, after 55 warm-up
//                           records
//
// Both work on a series the caller holds (UI thread, under its lock).
#pragma once

#include "data/KLineSeries.h"

namespace kiv {

constexpr int kEmaSlopeWarmupRecords = 55;
// Percent changes of the warm-up prices, in order.
extern const float EmaSlopeWarmupTable[kEmaSlopeWarmupRecords];

// The bars the mid-term state machine needs before it starts (bar 89 is its
// seed, bar 90 the first it decides).
constexpr int kIntradaySignalMinBars = 91;

// For series of the 1-minute, 5-minute and hour periods with at least 91
// bars: nibble 2 of bars 5 and later is recomputed (0 up to bar 88).
// Returns false, changing nothing, for any other series.
bool ComputeIntradaySignals(CKLineSeries* series);

// For a 5-minute `raw` series of at least 21 bars: runs the calculator on
// `source` (the adjusted copy of raw when there is one, else raw itself,
// with the same bar count) and sets each raw bar's whole flag word to the
// state of its record. Returns false, changing nothing, otherwise.
bool ComputeEmaSlopeSignals(CKLineSeries* raw, const CKLineSeries* source);

}  // namespace kiv
