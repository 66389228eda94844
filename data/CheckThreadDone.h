// Whether the worker thread parked in a slot may be replaced by a new one.
#pragma once

#include "platform/sys/Thread.h"

// 1 when the slot is empty, its thread has no handle, or the thread has
// ended; an ended thread is dropped from the slot. 0 while it still runs.
// The slot keeps the thread object, and so its handle, alive until then.
int CheckThreadDone(CWinThreadPtr& slot);
