// Process-wide state of the window framework. Used only from the thread that
// runs the message loop.
#pragma once

#include <windows.h>

class TControl;
class TPtrList;

// Menu command identifiers start here and are never reused.
constexpr UINT FirstMenuCommandId = 4096;

struct TAppState {
    TControl* appWindow = nullptr;   // the control whose loop runs
    bool loopRunning = false;
    bool terminated = false;         // the loop is to end; never cleared by the framework
    TControl* creating = nullptr;    // object whose window is being created
    TPtrList* icons = nullptr;       // every TTrayIcon
    UINT nextCommandId = FirstMenuCommandId;
};

TAppState& AppState();
