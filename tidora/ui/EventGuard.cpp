#include "EventGuard.h"

#include <windows.h>

namespace {

TEventErrorHandler& Handler()
{
    static TEventErrorHandler handler;
    return handler;
}

thread_local int guardDepth = 0;

}  // namespace

TGuardedEventScope::TGuardedEventScope()
{
    ++guardDepth;
}

TGuardedEventScope::~TGuardedEventScope()
{
    --guardDepth;
}

void SetEventErrorHandler(TEventErrorHandler handler)
{
    Handler() = std::move(handler);
}

int GuardedEventDepth()
{
    return guardDepth;
}

// Without a handler (test programs) the error is only traced: nothing may
// unwind into the window manager.
void ReportEventError(std::exception_ptr error)
{
    if (Handler()) {
        try {
            Handler()(error);
        } catch (...) {
            OutputDebugStringW(L"Tidora: the error handler failed\n");
        }
        return;
    }
    OutputDebugStringW(L"Tidora: unhandled error in a window event\n");
}
