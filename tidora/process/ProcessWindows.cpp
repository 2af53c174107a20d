#include "ProcessWindows.h"

namespace {

// The owning process of a top-level window, or 0 when the window has a
// parent or its owner cannot be read.
DWORD TopLevelOwner(HWND window)
{
    if (GetParent(window))
        return 0;
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(window, &processId))
        return 0;
    return processId;
}

}  // namespace

// Z order from the first top-level window on; invisible windows count.
HWND FindProcessWindow(DWORD processId)
{
    for (HWND window = FindWindowW(nullptr, nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (DWORD owner = TopLevelOwner(window); owner != 0 && owner == processId)
            return window;
    }
    return nullptr;
}

// One walk in the same order as FindProcessWindow; the first window seen for
// a process is the one a walk for that process alone would stop at.
TProcessWindows::TProcessWindows()
{
    for (HWND window = FindWindowW(nullptr, nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (DWORD owner = TopLevelOwner(window))
            FFirst.try_emplace(owner, window);
    }
}

HWND TProcessWindows::Find(DWORD processId) const
{
    auto it = FFirst.find(processId);
    return it == FFirst.end() ? nullptr : it->second;
}
