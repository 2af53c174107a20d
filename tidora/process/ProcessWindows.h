// Finding the first top-level window of a process.
#pragma once

#include <windows.h>

#include <unordered_map>

// First top-level window (no parent, visible or not, in Z order) of the
// process, or none.
HWND FindProcessWindow(DWORD processId);

// The same answer for every process at once: one walk over the top-level
// windows, keeping each process's first.
class TProcessWindows {
public:
    TProcessWindows();
    HWND Find(DWORD processId) const;

private:
    std::unordered_map<DWORD, HWND> FFirst;
};
