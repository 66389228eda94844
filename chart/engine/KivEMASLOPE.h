// CKivEMASLOPE: the EMA slope signal calculator. It turns a run of price
// records into a buy/sell state per record: a fast exponential average of a
// boosted price is compared with a slow exponential average of the close
// projected along its 20-record regression slope, and the crossings of the
// two lines give the states (1 the fast line rises through the slow one,
// 2 it stays below, 3 it falls through, 4 it stays above; 0 for records 0-20
// and whenever there are too few records).
//
// The calculator works in place on one flat array of fixed-size records;
// every pass is one forward sweep. Every quotient is computed in double
// precision and stored as a 32-bit float. Divisions by a value that can be
// zero are guarded: a flat bar (high = open) boosts nothing, and a crossing
// quotient that is not a number (both lines flat) is no crossing.
//
// Not thread-safe; one calculator per computation.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace kiv {

// One record, fifteen 32-bit words.
struct EmaSlopeRecord {
  uint32_t timeLow = 0;   // word 0: source time, low half (1 for warm-up records)
  uint32_t timeHigh = 0;  // word 1: high half (0 for warm-up records)
  float open = 0;         // word 2
  float close = 0;        // word 3
  float high = 0;         // word 4
  float slope = 0;        // word 5: regression slope of the close, pass 1
  float fast = 0;         // word 6: fast line, passes 2 and 4
  float slow = 0;         // word 7: slow line, pass 3
  float x = 0;            // word 8: record number, 1-based
  float volume = 0;       // word 9
  float boosted = 0;      // word 10: boosted price, pass 4
  float unused[3] = {};   // words 11-13
  int32_t state = 0;      // word 14: 1..4, pass 5
};
static_assert(sizeof(EmaSlopeRecord) == 60, "a record is fifteen words");

// The block the calculator owns: progress of each pass and the records.
struct EmaSlopeInput {
  int32_t slopeDone = 0;
  int32_t fastDone = 0;
  int32_t slowDone = 0;
  int32_t boostDone = 0;
  int32_t stateDone = 0;
  std::vector<EmaSlopeRecord> records;  // the caller fills them; all counters 0
};

class CKivEMASLOPE {
 public:
  static constexpr int kSlowPeriod = 50;  // M
  static constexpr int kFastPeriod = 5;   // N
  static constexpr int kSlopeWindow = 20;

  CKivEMASLOPE() = default;
  CKivEMASLOPE(const CKivEMASLOPE&) = delete;
  CKivEMASLOPE& operator=(const CKivEMASLOPE&) = delete;
  virtual ~CKivEMASLOPE() = default;

  // Takes the block (the records filled, counters 0).
  void SetInput(std::unique_ptr<EmaSlopeInput> input) { input_ = std::move(input); }
  EmaSlopeInput* Input() { return input_.get(); }

  // The driver: passes 1 to 5 over the whole block.
  void Run();

 private:
  void PassSlope();
  void PassFast();
  void PassSlow();
  void PassBoost();
  void PassStates();

  std::unique_ptr<EmaSlopeInput> input_;
  int slowPeriod_ = kSlowPeriod;
  int fastPeriod_ = kFastPeriod;
};

}  // namespace kiv
