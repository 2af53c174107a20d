// The system's save-file dialog. Window thread only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

struct TSaveDialogOptions {
    std::wstring Title;
    // Pairs of description and pattern separated by "|":
    // "Text files (*.txt)|*.txt|All files (*.*)|*.*".
    std::wstring Filter;
    int FilterIndex = 1;      // 1 for the first pair
    std::wstring DefaultExt;  // without the dot
    std::wstring FileName;    // proposed name
};

// Shows the dialog modal to `owner`; the chosen path, or nothing when the
// user cancelled. The user is asked before an existing file is replaced.
std::optional<std::wstring> ShowSaveDialog(HWND owner, const TSaveDialogOptions& options);
