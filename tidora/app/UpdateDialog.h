// The update notice: a warning dialog with Yes and No in the user's
// language, to which the start-up answer may add a "hold" check box or a
// link, and which it may keep above all other windows. Window thread only.
#pragma once

#include <string>

// Control ids of the notice's parts.
enum : int {
    IDC_NOTICE_ICON = 1001,
    IDC_NOTICE_MESSAGE = 1002,
    IDC_NOTICE_LINE = 1003,
    IDC_NOTICE_HOLD = 1004,
    IDC_NOTICE_LINK = 1005,
};

// Shows the notice for a start-up answer, modal to the thread's active
// window; true when the user chose Yes. A ticked "hold" box sends the hold
// request whichever button closed the notice.
bool UpdateDialog(const std::wstring& answer);

// The application title that the notice's caption shows (translated); the
// main window sets it to its caption.
void SetApplicationTitle(const std::wstring& title);
std::wstring ApplicationTitle();
