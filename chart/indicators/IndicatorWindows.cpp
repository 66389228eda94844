#include "chart/indicators/IndicatorWindows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kiv {

namespace {

// Four floats, added, subtracted and multiplied lane by lane with the same
// IEEE rounding as single floats (the compiler's vector extension; one SSE
// register).
constexpr int kLanes = 4;
typedef float Lanes __attribute__((vector_size(kLanes * sizeof(float))));
// Windows summed side by side: 8 vectors of 4, enough independent additions
// to keep the adder busy.
constexpr int kVectors = 8;
constexpr int kBlock = kLanes * kVectors;

inline Lanes LoadLanes(const float* p) {
  Lanes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline Lanes AbsLanes(Lanes v) {
  // Clearing the sign bit is what fabs does.
  typedef int32_t Bits __attribute__((vector_size(kLanes * sizeof(int32_t))));
  Bits bits;
  std::memcpy(&bits, &v, sizeof bits);
  bits &= 0x7FFFFFFF;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// Bar i + l of a block sums its window in lane l: `lanes(p, c)` gives the
// four values a window member adds, with p the member's first value for the
// four bars and c their centres; `one(i, j)` the value member j (0 the
// oldest) of a single window adds. Every window adds its own values in the
// same order, from 0, however it is computed.
template <class LaneTerm, class OneTerm>
void SumBlocks(const float* x, const float* centre, int shift, int direction, int n, int first, int count,
               float* out, LaneTerm lanes, OneTerm one) {
  int i = first;
  for (; i + kBlock <= count; i += kBlock) {
    Lanes sums[kVectors] = {};
    Lanes centres[kVectors] = {};
    if (centre) {
#pragma GCC unroll 8
      for (int v = 0; v < kVectors; ++v) centres[v] = LoadLanes(centre + i + v * kLanes);
    }
    for (int j = 0; j < n; ++j) {
      const float* p = x + i + shift + direction * j;
      // Unrolled, so the sums stay in registers.
#pragma GCC unroll 8
      for (int v = 0; v < kVectors; ++v) sums[v] += lanes(LoadLanes(p + v * kLanes), centres[v]);
    }
    std::memcpy(out + i, sums, sizeof sums);
  }
  for (; i < count; ++i) {
    float sum = 0.0f;
    for (int j = 0; j < n; ++j) sum += one(i, j);
    out[i] = sum;
  }
}

}  // namespace

void SumWindowsForward(const float* x, int n, int first, int count, float* out) {
  SumBlocks(
      x, nullptr, 1 - n, 1, n, first, count, out, [](Lanes v, Lanes) { return v; },
      [x, n](int i, int j) { return x[i - n + 1 + j]; });
}

void SumWindowsBackward(const float* x, int n, int first, int count, float* out) {
  SumBlocks(
      x, nullptr, 0, -1, n, first, count, out, [](Lanes v, Lanes) { return v; },
      [x](int i, int j) { return x[i - j]; });
}

void SumAbsoluteDeviations(const float* x, const float* centre, int n, int first, int count, float* out) {
  SumBlocks(
      x, centre, 1 - n, 1, n, first, count, out, [](Lanes v, Lanes c) { return AbsLanes(v - c); },
      [x, centre, n](int i, int j) { return std::fabs(x[i - n + 1 + j] - centre[i]); });
}

void SumSquaredDeviations(const float* x, const float* centre, int n, int first, int count, float* out) {
  SumBlocks(
      x, centre, 1 - n, 1, n, first, count, out,
      [](Lanes v, Lanes c) {
        const Lanes deviation = v - c;
        return deviation * deviation;
      },
      [x, centre, n](int i, int j) {
        const float deviation = x[i - n + 1 + j] - centre[i];
        return deviation * deviation;
      });
}

void WindowExtremes(const float* x, int n, int first, int count, float* highest, float* lowest) {
  if (first >= count || n < 1) return;
  // Blocks of n bars from bar 0 on: a window of n bars spans the end of one
  // block and the start of the next, so its extreme is the extreme of the
  // first block's suffix and the next block's prefix. The blocks are the
  // same wherever the pass starts, so a resumed pass compares the same
  // values as a full one.
  const int begin = std::max(first - n + 1, 0) / n * n;
  const size_t size = static_cast<size_t>(count - begin);
  std::vector<float> prefix(size), suffix(size);
  auto pass = [&](float* out, auto better) {
    if (!out) return;
    float* pre = prefix.data() - begin;
    float* suf = suffix.data() - begin;
    for (int block = begin; block < count; block += n) {
      const int end = std::min(block + n, count);
      pre[block] = x[block];
      for (int i = block + 1; i < end; ++i) pre[i] = better(pre[i - 1], x[i]);
      suf[end - 1] = x[end - 1];
      for (int i = end - 2; i >= block; --i) suf[i] = better(suf[i + 1], x[i]);
    }
    for (int i = first; i < count; ++i) {
      const int oldest = i - n + 1;
      // A window shortened at the start lies in block 0.
      out[i] = oldest <= 0 ? pre[i] : better(suf[oldest], pre[i]);
    }
  };
  pass(highest, [](float a, float b) { return b > a ? b : a; });
  pass(lowest, [](float a, float b) { return b < a ? b : a; });
}

}  // namespace kiv
