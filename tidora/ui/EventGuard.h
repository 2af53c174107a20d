// Every window event runs inside a guard: an error that escapes it is
// handed to the program's error handler (the crash reporter) instead of
// unwinding into the system's window code.
#pragma once

#include <exception>
#include <functional>

using TEventErrorHandler = std::function<void(std::exception_ptr)>;

void SetEventErrorHandler(TEventErrorHandler handler);
// Hands an error to the handler as an escaped event error would be.
void ReportEventError(std::exception_ptr error);
// How many guarded events the calling thread is inside (they nest).
int GuardedEventDepth();

class TGuardedEventScope {
public:
    TGuardedEventScope();
    ~TGuardedEventScope();
    TGuardedEventScope(const TGuardedEventScope&) = delete;
    TGuardedEventScope& operator=(const TGuardedEventScope&) = delete;
};

// Runs `event`; returns false when an error escaped it and was reported.
template <class F>
bool GuardEvent(F&& event)
{
    try {
        TGuardedEventScope scope;
        event();
        return true;
    } catch (...) {
        ReportEventError(std::current_exception());
        return false;
    }
}
