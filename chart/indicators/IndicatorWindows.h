// The window passes of the indicators: sums of a per-bar column over a
// window of the last n bars, and the highest and lowest value of such a
// window.
//
// A running sum (add the new bar, take away the old) would drift from the
// values the formulas define: every window here is summed afresh, in single
// precision, in the order its formula gives, so each sum is bit for bit the
// one a plain loop over the window gives. Eight windows are summed side by
// side, which lets the processor overlap their additions (and the compiler
// use vector instructions) without changing any single sum. Highs and lows
// are exact: they come from block-wise prefix and suffix extremes, three
// comparisons a bar whatever the window.
//
// Each pass fills entries first .. count - 1 of its output and reads the
// column from first - n + 1 (first - n + 1 >= 0). Any thread; no state.
#pragma once

namespace kiv {

// out[i] = x[i - n + 1] + ... + x[i], added from the oldest.
void SumWindowsForward(const float* x, int n, int first, int count, float* out);
// out[i] = x[i] + x[i - 1] + ... + x[i - n + 1], added from the newest.
void SumWindowsBackward(const float* x, int n, int first, int count, float* out);
// out[i] = |x[i - n + 1] - centre[i]| + ... + |x[i] - centre[i]|, from the oldest.
void SumAbsoluteDeviations(const float* x, const float* centre, int n, int first, int count, float* out);
// out[i] = (x[i - n + 1] - centre[i])^2 + ... + (x[i] - centre[i])^2, from the oldest.
void SumSquaredDeviations(const float* x, const float* centre, int n, int first, int count, float* out);

// highest[i] and lowest[i]: the largest and smallest of x[max(i - n + 1, 0)]
// .. x[i] (windows shortened at the start), for first <= i < count; either
// output may be null. Reads x from max(first - n + 1, 0).
void WindowExtremes(const float* x, int n, int first, int count, float* highest, float* lowest);

}  // namespace kiv
