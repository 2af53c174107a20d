// The two kinds of window object the tray helper makes: the hidden
// application window (owner of everything, its loop is the program's loop)
// and forms.
#pragma once

#include "Control.h"

#include <string>

TControl* MakeAppWindow(const std::wstring& caption);
TControl* MakeForm(TControl* parent, const std::wstring& caption);

// Creates the control's window if needed, then SendMessageW; 0 without a window.
LRESULT SendToWindow(TControl* control, UINT message, WPARAM wParam, LPARAM lParam);
