// One running process as a snapshot saw it, and the owning list of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// TProcessInfo::State, a number the usage report sends as it is: listed by
// the snapshot; the cleanup run marks processes it ends, then those gone.
constexpr std::int32_t ProcessListed = 1;
constexpr std::int32_t ProcessSelectedToEnd = -2;
constexpr std::int32_t ProcessEnded = -1;

class TProcessInfo {
public:
    DWORD ProcessID = 0;
    HWND Handle = nullptr;               // first top-level window of the process, or none
    std::wstring FileName;               // full image path, or the bare executable name
    std::int32_t State = ProcessListed;  // see the constants above
};

// Owns its elements: erasing one or destroying the list releases it.
using TProcessList = std::vector<TProcessInfo>;
