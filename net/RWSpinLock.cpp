#include "net/RWSpinLock.h"

namespace {

constexpr int kMaxPauses = 16;

// One step of waiting: a growing run of pause instructions while the wait
// is young, then the processor is handed to another thread each time.
void BackOff(int& pauses) {
  if (pauses <= kMaxPauses) {
    for (int i = 0; i < pauses; ++i) YieldProcessor();
    pauses *= 2;
  } else {
    SwitchToThread();
  }
}

}  // namespace

void CRWSpinLock::LockRead() {
  int pauses = 1;
  for (;;) {
    if ((Value() & (kWriterBit | kWaitingBit)) == 0) {
      // A writer may come in between the look and the add: the add tells.
      LONG before = InterlockedExchangeAdd(&value_, kReaderStep);
      if ((before & kWriterBit) == 0) return;
      InterlockedExchangeAdd(&value_, -kReaderStep);
    }
    BackOff(pauses);
  }
}

void CRWSpinLock::UnlockRead() { InterlockedExchangeAdd(&value_, -kReaderStep); }

void CRWSpinLock::LockWrite() {
  int pauses = 1;
  for (;;) {
    LONG seen = Value();
    if (seen == 0 || seen == kWaitingBit) {
      // Taking the lock also clears the waiting mark; other waiting writers
      // set it again on their next attempt.
      if (InterlockedCompareExchange(&value_, kWriterBit, seen) == seen) return;
      pauses = 1;
    } else if ((seen & kWaitingBit) == 0) {
      InterlockedOr(&value_, kWaitingBit);
    }
    BackOff(pauses);
  }
}

void CRWSpinLock::UnlockWrite() { InterlockedAnd(&value_, ~(kWriterBit | kWaitingBit)); }
