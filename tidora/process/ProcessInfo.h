// One running process as a snapshot saw it, and the owning list of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TProcessInfo {
public:
    DWORD ProcessID = 0;
    HWND Handle = nullptr;   // first top-level window of the process, or none
    std::wstring FileName;   // full image path, or the bare executable name
    std::int32_t State = 1;  // 1 when created; the cleanup run sets -2 and -1
};

// Owns its elements: erasing one or destroying the list releases it.
using TProcessList = std::vector<TProcessInfo>;
