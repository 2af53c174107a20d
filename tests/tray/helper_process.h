// Runs the real TidoraService.exe for end-to-end tests: copied into a folder
// of its own, with or without a main program beside it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum class MainProgram {
    None,            // no Tidora.exe
    StandIn,         // fakemain.exe: file version 3.7.3.0, window "TFrmTidora", main.log
    NoVersionBlock,  // an executable without version information
    Folder,          // a folder named Tidora.exe
};

// A new folder holding TidoraService.exe and the chosen main program;
// returned with a trailing backslash.
std::wstring MakeInstallFolder(const std::wstring& hint, MainProgram main);

class HelperProcess {
public:
    // Starts folder + "TidoraService.exe" with `arguments` after the program
    // name; `environment` entries ("NAME=value") are added to this process's.
    HelperProcess(const std::wstring& folder, const std::wstring& arguments = L"",
                  const std::vector<std::wstring>& environment = {});
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    bool Started() const { return FProcess != nullptr; }
    DWORD Pid() const { return FPid; }
    bool IsRunning() const;
    bool WaitForExit(DWORD ms) const;
    // The exit code once ended; STILL_ACTIVE while running.
    DWORD ExitCode() const;
    void Terminate();

    // A top-level window of this process with that class (hidden ones too).
    HWND FindWindowOfClass(const wchar_t* className) const;
    HWND WaitForWindowOfClass(const wchar_t* className, DWORD timeoutMs = 10000) const;

private:
    HANDLE FProcess = nullptr;
    DWORD FPid = 0;
};

// Texts of a message box of another process.
std::wstring WindowText(HWND window);
std::wstring DialogItemText(HWND dialog, int id);
// Clicks a message box button by its control identifier (IDOK, IDYES, IDNO ...).
void PressDialogButton(HWND dialog, int id);

// Lines the stand-in main program wrote to main.log in `folder`.
std::vector<std::string> MainLog(const std::wstring& folder);
// Asks every running stand-in main program to close and waits for them.
void CloseStandInMainPrograms();
