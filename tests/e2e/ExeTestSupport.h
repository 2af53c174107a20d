// Small helpers for the tests that drive the real Tidora.exe from outside:
// text conversion, keys and double clicks posted to a window of the
// program, and a copy of the program that a run may start without ending
// the processes the tests rely on. Use from the test's thread.
#pragma once

#include "RemoteListView.h"

#include <windows.h>

#include <string>

namespace exetest {

std::string Utf8(const std::wstring& text);

// Posts a key press (down and up): it reaches the window through the
// program's message loop, as a typed key does.
void PostKey(HWND window, WORD key);

// Posts the mouse messages of a double click on the row (scrolled into view
// first) to the list.
bool PostDoubleClick(const TRemoteListView& list, int row);

// Copies Tidora.exe into `folder` beside an exclusion file naming every
// process alive now, so that a run of the copy ends none of them. Gives the
// copy's path, or an empty text when the copy failed.
std::wstring ProtectedProgramCopy(const std::wstring& folder);

}  // namespace exetest
