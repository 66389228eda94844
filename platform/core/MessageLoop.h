// Message loops: the program's main loop, modal loops, and the pumping
// helpers that tests use to drive the window system deterministically.
#pragma once

#include <functional>

#include "platform/core/WinUser.h"

namespace kiv {

// Gives PreTranslateMessage of the message's window and then of each parent
// up to its top-level window a chance to consume the message.
BOOL PreTranslateMessageChain(MSG* msg);

// Retrieves and handles one message, waiting for one if none is ready
// (PreTranslateMessage chain, TranslateMessage, DispatchMessage). False when
// the message was WM_QUIT.
bool PumpMessage();

// The program's main loop: runs until WM_QUIT and returns its exit code.
int RunMessageLoop();

// Runs a modal loop for hwnd: messages of every window keep flowing (posted
// messages, input, paints, timers) until EndDialog(hwnd, result) ends this
// loop, the window is destroyed (result -1), or WM_QUIT arrives (re-posted
// for the enclosing loop, result -1). Loops nest; EndDialog ends the
// innermost loop of its window. An EndDialog made before the loop starts
// ends it at once.
INT_PTR RunModalLoop(HWND hwnd);

// Runs fn on the UI thread and returns its result: directly when called
// there; from another thread the caller waits while the UI thread runs it
// from whatever loop it is in (modal loops included). This is how a worker
// has a message box or dialog shown on its behalf. The caller must hold no
// lock that the UI thread may need.
LRESULT CallOnUiThread(const std::function<LRESULT()>& fn);

// --- For tests -----------------------------------------------------------

// Handles every message that is ready now, including paints and timers that
// are due, without waiting. Returns how many were handled.
int PumpPendingMessages();

// Pumps (waiting for messages) until done() holds or timeoutMs of real time
// passed. Returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// Destroys every window of the calling thread, clears its queue, timers and
// input state, and installs a fresh headless display, so that each test
// starts from an empty screen.
void ResetWindowSystemForTesting();

}  // namespace kiv
