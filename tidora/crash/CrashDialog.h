// The dialog that shows an error which escaped a window event: what went
// wrong, the call stack and where the dump file went. The user goes on
// with the program or closes it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

enum class TCrashChoice { Continue, CloseProgram };

// Tells an open dialog that the dump is written. lParam: a new std::wstring
// with the dump's path, empty when writing failed; the dialog deletes it.
constexpr UINT CrashDumpWrittenMessage = WM_APP + 1;

// Control ids of the dialog's own windows. Tests find the controls by them.
enum class TCrashDialogItem : int {
    Details = 101,   // the error text and call stack
    DumpPath = 102,  // where the dump file went
    Continue = 110,  // only when the program can go on
    Close = 111,
};

// The dialog's control `item`, or null.
inline HWND CrashDialogItem(HWND dialog, TCrashDialogItem item)
{
    return GetDlgItem(dialog, static_cast<int>(item));
}

struct TCrashDialogText {
    std::wstring Details;      // error text and call stack
    std::wstring DumpPath;     // where the dump goes; empty when there is none
    bool DumpPending = false;  // still being written: CrashDumpWrittenMessage follows
    bool CanContinue = true;
    // Called with the dialog's window once it is shown and with nullptr
    // before it goes.
    std::function<void(HWND)> DialogWindow;
};

// Modal to `owner` (may be null); runs its own message loop.
TCrashChoice ShowCrashDialog(HWND owner, const TCrashDialogText& text);
