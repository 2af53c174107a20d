#include "WindowThread.h"

#include <algorithm>

namespace {

void PumpOnce(DWORD waitMs)
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end)
            return condition();
        PumpOnce(static_cast<DWORD>(std::min<ULONGLONG>(end - now, 20)));
    }
    return true;
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}
