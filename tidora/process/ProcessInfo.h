// One running process as a snapshot saw it, and the owning list of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// What the cleanup run made of a process. The numbers are the ones the
// report sends to the service.
enum class TProcessState : std::int32_t {
    Found = 1,      // as the snapshot found it; the run leaves it alone
    Ended = -1,     // was selected, and a later check no longer found it
    Selected = -2,  // not protected: the run ends it; not yet seen gone
};

class TProcessInfo {
public:
    DWORD ProcessID = 0;
    HWND Handle = nullptr;   // first top-level window of the process, or none
    std::wstring FileName;   // full image path, or the bare executable name
    TProcessState State = TProcessState::Found;
};

// Owns its elements: erasing one or destroying the list releases it.
using TProcessList = std::vector<TProcessInfo>;
