// The real Tidora.exe, started for a test and driven through its windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Text of any window, also of another process's controls (WM_GETTEXT).
std::wstring WindowText(HWND window);
std::wstring WindowClass(HWND window);
// Top-level windows of a process with the given class.
std::vector<HWND> ProcessWindows(DWORD pid, const wchar_t* className);
std::vector<HWND> WindowsOfClass(const wchar_t* className);
// Descendants of `root` with the class (any when null) and text (any when null).
std::vector<HWND> FindChildren(HWND root, const wchar_t* className, const wchar_t* text);
HWND FindChild(HWND root, const wchar_t* className, const wchar_t* text);
RECT ClientRectOf(HWND window);
// Presses a button of another process as a click would.
void ClickButton(HWND button);

class TTidoraProcess {
public:
    TTidoraProcess() = default;
    ~TTidoraProcess();
    TTidoraProcess(const TTidoraProcess&) = delete;
    TTidoraProcess& operator=(const TTidoraProcess&) = delete;

    // Starts Tidora.exe from the test's folder (or the copy at `exe`); with
    // `waitForWindow`, until its main window exists. False when it did not start.
    bool Start(bool waitForWindow = true, const std::wstring& exe = L"");
    // Closes the main window and waits for the end; terminates it if need be.
    void Close();
    bool WaitForExit(DWORD ms);
    bool Running() const;
    DWORD ExitCode() const;
    DWORD Pid() const { return FPid; }
    HWND Window() const { return FWindow; }

    // The card panel's page now shown: 0 home, 1 autorun, 2 install; -1 none.
    int ShownCard() const;
    HWND Control(const wchar_t* className, const wchar_t* text) const { return FindChild(FWindow, className, text); }

private:
    HANDLE FProcess = nullptr;
    DWORD FPid = 0;
    HWND FWindow = nullptr;
};
