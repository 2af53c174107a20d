// Framework tests share one process: each test starts from a clean
// process-wide state and an empty message queue.
#pragma once

#include "AppState.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset()
    {
        Pump();
        TAppState& state = AppState();
        state.appWindow = nullptr;
        state.loopRunning = false;
        state.terminated = false;
        state.creating = nullptr;
    }

    // Dispatches what is pending; a WM_QUIT is dropped.
    static void Pump()
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    static bool QuitPosted()
    {
        MSG message;
        return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
    }
};
