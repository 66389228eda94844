#include "data/CheckThreadDone.h"

#include "platform/sys/KernelObjects.h"

int CheckThreadDone(CWinThreadPtr& slot) {
  if (!slot || !slot->m_hThread) return 1;
  // Asking the handle rather than the exit code: a procedure that happens to
  // return STILL_ACTIVE (259) must not look as if it ran for ever.
  if (WaitForSingleObject(slot->m_hThread, 0) == WAIT_TIMEOUT) return 0;
  slot.reset();
  return 1;
}
