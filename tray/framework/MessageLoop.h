// The program's message loop, run by the application window.
#pragma once

class TControl;

// Returns once the loop is terminated (WM_QUIT, or WM_CLOSE to the
// application window or its main form); the application window's window is
// destroyed on the way out, releasing what it owns.
void RunMessageLoop(TControl* appWindow);
