// The one way a worker thread hands work to a window thread, synchronously:
// the worker's call returns once the work has run on that thread.
//
// The rule: the work runs on the window thread and the worker waits for it;
// when the window thread's hand-over window is gone (destroyed, or the
// thread has ended because the program is ending) the work is dropped and the
// worker's call returns false. An error escaping the work goes to the event
// error handler, like that of any window event, and the call returns false.
#pragma once

#include "Handover.h"

#include <windows.h>

#include <functional>

// A hidden message-only window of the calling thread, made on first use and
// kept until the thread ends (or the window is destroyed). Call it on the
// thread that is to run the work.
HWND ThreadHandoverWindow();

// From any thread: runs `work` on the thread that owns `target` (a window
// from ThreadHandoverWindow) and returns when it has finished; on that thread
// itself the work runs at once. The owning thread must keep serving messages;
// it must never wait for the caller without doing so.
bool RunOnWindowThread(HWND target, const std::function<void()>& work);

// Call on the window thread: a hand-over to this thread for a worker to call.
THandover WindowThreadHandover();
