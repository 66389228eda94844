#include "chart/engine/KivEMASLOPE.h"

#include <algorithm>
#include <cmath>

namespace kiv {

namespace {

// a / b, 0 where b is 0.
double Quotient(double a, double b) { return b == 0.0 ? 0.0 : a / b; }

}  // namespace

void CKivEMASLOPE::Run() {
  if (!input_) return;
  PassSlope();
  PassFast();
  PassSlow();
  PassBoost();
  PassStates();
}

void CKivEMASLOPE::PassSlope() {
  std::vector<EmaSlopeRecord>& r = input_->records;
  const int n = static_cast<int>(r.size());
  if (n < kSlopeWindow + 1) return;
  for (int i = kSlopeWindow - 1; i < n; ++i) {
    double sumC = 0, sumX = 0;
    for (int k = i - kSlopeWindow + 1; k <= i; ++k) {
      sumC += r[k].close;
      sumX += r[k].x;
    }
    const double meanC = sumC / kSlopeWindow, meanX = sumX / kSlopeWindow;
    double cov = 0, var = 0;
    for (int k = i - kSlopeWindow + 1; k <= i; ++k) {
      cov += (r[k].close - meanC) * (r[k].x - meanX);
      var += (r[k].x - meanX) * (r[k].x - meanX);
    }
    r[i].slope = static_cast<float>(Quotient(cov, var));
  }
  input_->slopeDone = n;
}

void CKivEMASLOPE::PassFast() {
  std::vector<EmaSlopeRecord>& r = input_->records;
  const int n = static_cast<int>(r.size());
  if (n < 2) return;
  r[0].fast = r[0].close;
  for (int i = 1; i < n; ++i) {
    r[i].fast = static_cast<float>((2.0 * r[i].close + (fastPeriod_ - 1) * double(r[i - 1].fast)) / (fastPeriod_ + 1));
  }
  input_->fastDone = n;
}

void CKivEMASLOPE::PassSlow() {
  std::vector<EmaSlopeRecord>& r = input_->records;
  const int n = static_cast<int>(r.size());
  if (input_->slopeDone == 0) return;
  r[20].slow = static_cast<float>(double(r[20].close) + 38.0 * r[20].slope);
  for (int i = 21; i < n; ++i) {
    r[i].slow = static_cast<float>((2.0 * (double(r[i].close) + 19.0 * r[i].slope) +
                                    (slowPeriod_ - 1) * double(r[i - 1].slow)) / (slowPeriod_ + 1));
  }
  input_->slowDone = n;
}

void CKivEMASLOPE::PassBoost() {
  std::vector<EmaSlopeRecord>& r = input_->records;
  const int n = static_cast<int>(r.size());
  for (int i = 0; i < std::min(20, n); ++i) r[i].boosted = r[i].close;
  const auto fast = [&](int i) {
    r[i].fast = static_cast<float>((2.0 * r[i].boosted + (fastPeriod_ - 1) * double(r[i - 1].fast)) / (fastPeriod_ + 1));
  };
  if (n > 20) {
    // Sweep A: a strong rise closing near its high while below the slow line
    // doubles its step.
    for (int i = 20; i < n; ++i) {
      double largest = 0.028;
      for (int k = i - 4; k < i; ++k) {
        largest = std::max(largest, Quotient(double(r[k].close) - r[k - 1].close, r[k - 1].close));
      }
      const bool nearHigh = r[i].high != r[i].open &&
                            Quotient(double(r[i].close) - r[i].open, double(r[i].high) - r[i].open) > 0.8;
      const double rise = Quotient(double(r[i].close) - r[i - 1].close, r[i - 1].close);
      if (r[i].slow > r[i].fast && nearHigh && rise > largest) {
        r[i].boosted = static_cast<float>(2.0 * (double(r[i].close) - r[i - 1].close) + r[i - 1].close);
      } else {
        r[i].boosted = r[i].close;
      }
      fast(i);
    }
    // Sweep B: a crossing pushes the boosted price away from the previous one.
    float pf = r[20].fast, pb = r[20].boosted;
    for (int i = 20; i < n; ++i) {
      const float beforeF = r[i].fast, beforeB = r[i].boosted;
      if (r[i].fast > r[i].slow && r[i - 1].slow > pf) {
        r[i].boosted = static_cast<float>(
            std::max(double(pb) * 1.04, std::fabs(double(r[i].boosted) - pb) * 4.0 + pb));
      } else if (r[i].slow > r[i].fast && pf > r[i - 1].slow && r[i].close > r[i - 1].close) {
        r[i].boosted = static_cast<float>(std::fabs(double(r[i].boosted) - pb) * 4.0 + pb);
      }
      fast(i);
      pf = beforeF;
      pb = beforeB;
    }
    // Sweep C: the upward crossing on a rising close, then a cap on the jump.
    float qb = r[20].boosted, pc = r[20].boosted;
    pf = r[20].fast;
    for (int i = 20; i < n; ++i) {
      const float beforeF = r[i].fast, beforeB = r[i].boosted;
      if (r[i].fast > r[i].slow && r[i - 1].slow > pf && r[i].close > r[i - 1].close) {
        r[i].boosted = static_cast<float>(
            std::max(double(qb) * 1.04, std::fabs(double(r[i].boosted) - qb) * 4.0 + qb));
      }
      const float afterRule = r[i].boosted;
      if (double(r[i].boosted) > double(pc) * 2.3) r[i].boosted = static_cast<float>(double(pc) * 1.3);
      fast(i);
      pf = beforeF;
      qb = beforeB;
      pc = afterRule;
    }
  }
  input_->boostDone = n;
}

void CKivEMASLOPE::PassStates() {
  std::vector<EmaSlopeRecord>& r = input_->records;
  const int n = static_cast<int>(r.size());
  if (input_->slowDone < 22) return;  // the slow line must reach record 21
  for (int i = 21; i < n; ++i) {
    const double num = double(r[i - 1].fast) - r[i - 1].slow;
    const double den = double(r[i].slow) - r[i - 1].slow - r[i].fast + r[i - 1].fast;
    double t;
    if (den == 0.0) {
      t = num == 0.0 ? std::nan("") : HUGE_VAL;
    } else {
      t = static_cast<float>(num / den);
    }
    const bool cross = t >= 0.0 && t <= 1.0;  // false for a NaN
    if (r[i - 1].fast >= r[i - 1].slow) {
      r[i].state = cross ? 3 : 4;
    } else {
      r[i].state = cross ? 1 : 2;
    }
  }
  input_->stateDone = n;
}

}  // namespace kiv
