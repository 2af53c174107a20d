// A real process for a test: by default the testchild program, optionally
// under another file name; terminated when the object goes out of scope.
#pragma once

#include <windows.h>

#include <string>

class ChildProcess {
public:
    struct Options {
        std::wstring window;      // caption of a top-level window to show; none when empty
        DWORD exitAfterMs = 0;    // ends by itself after this long; 0 = runs until ended
    };

    // Starts the program at `exe` (testchild.exe beside the test when empty).
    explicit ChildProcess(const Options& options, const std::wstring& exe = L"");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return FProcess != nullptr; }
    DWORD Pid() const { return FPid; }
    bool IsRunning() const;
    bool WaitForExit(DWORD ms) const;
    void Terminate();

    // Copies testchild.exe into `folder` under `fileName` and returns the new path.
    static std::wstring CopyAs(const std::wstring& folder, const std::wstring& fileName);
    static std::wstring TestChildPath();

private:
    HANDLE FProcess = nullptr;
    DWORD FPid = 0;
};
