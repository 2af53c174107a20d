// The shape of a worker-to-window hand-over as code below the window toolkit
// sees it: a callable that runs `work` on the thread it was made for, waits
// until it has run, and returns false when the call was dropped because that
// thread's window is gone or the program is ending. The window toolkit makes
// them (WindowThreadHandover in ui/ThreadHandover.h); workers only call them.
#pragma once

#include <functional>

using THandover = std::function<bool(const std::function<void()>& work)>;
