#include "MessageLoop.h"

#include "AppState.h"
#include "Control.h"

#include <windows.h>

namespace {

// Takes every pending message; WM_QUIT ends the loop.
void DispatchPending()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            AppState().terminated = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

// The application window object is held while the loop runs: closing its
// window inside the loop must not free the object under the loop's feet.
void RunMessageLoop(TControl* appWindow)
{
    TAppState& state = AppState();
    if (appWindow)
        appWindow->Hold();
    state.loopRunning = true;
    state.appWindow = appWindow;
    if (appWindow)
        appWindow->GetHandle();

    while (!state.terminated) {
        WaitMessage();
        DispatchPending();
    }

    const bool wasTerminated = state.terminated;
    state.terminated = true;
    state.loopRunning = false;
    state.appWindow = nullptr;
    if (!appWindow)
        return;
    if (!wasTerminated) {
        DispatchPending();
        if (appWindow->Handle())
            SendMessageW(appWindow->Handle(), WM_CLOSE, 0, 0);
    }
    if (appWindow->Handle())
        DestroyWindow(appWindow->Handle());
    appWindow->Release();
}
