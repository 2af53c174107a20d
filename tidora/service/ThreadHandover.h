// Running code on a window thread from a worker, synchronously: the worker's
// call returns once the code has run on that thread.
#pragma once

#include <windows.h>

#include <functional>

// A hidden message-only window of the calling thread, made on first use and
// kept until the thread ends. Call it on the thread that is to run the code.
HWND ThreadHandoverWindow();

// From any other thread: runs `work` on the thread that owns `target` (a
// window from ThreadHandoverWindow) and returns when it has finished. False
// when the window no longer exists. The owning thread must keep serving
// messages; it must never wait for the caller without doing so.
bool RunOnWindowThread(HWND target, const std::function<void()>& work);
