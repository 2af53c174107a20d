// The registry watcher against real keys, with the test thread as the
// window thread that the procedure is handed to.
#include "RegistryMonitor.h"

#include "ThreadHandover.h"

#include "WindowThread.h"
#include "registry_sandbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

// What the watched procedure saw: how often it ran and on which thread.
struct Calls {
    std::atomic<int> Count{0};
    std::atomic<DWORD> Thread{0};
    std::atomic<bool> OtherThread{false};

    std::function<void()> Proc(std::function<void(int)> during = {})
    {
        return [this, during] {
            const int n = ++Count;
            const DWORD thread = GetCurrentThreadId();
            if (Thread.load() && Thread.load() != thread)
                OtherThread = true;
            Thread = thread;
            if (during)
                during(n);
        };
    }
};

// Gives the worker time to open its key and arm the first notification.
void LetWorkerStart()
{
    PumpFor(100);
}

TEST(RegistryMonitorTest, ChangeRunsProcOnTheWindowThread)
{
    RegistrySandbox sandbox;
    Calls calls;
    auto monitor = RegistryMonitor(sandbox.Root(), sandbox.Path(), calls.Proc(), true, WindowThreadHandover());
    LetWorkerStart();
    EXPECT_EQ(calls.Count, 0);

    sandbox.SetString(L"", L"Value", L"1");
    ASSERT_TRUE(PumpUntil([&] { return calls.Count >= 1; }, 5000));
    EXPECT_EQ(calls.Thread, GetCurrentThreadId());

    // Nothing further without a change; a second change, a second call.
    PumpFor(300);
    EXPECT_EQ(calls.Count, 1);
    sandbox.SetDword(L"", L"Other", 2);
    ASSERT_TRUE(PumpUntil([&] { return calls.Count >= 2; }, 5000));
    EXPECT_FALSE(calls.OtherThread);
}

// What counts as a change of the watched key, with and without its subtree.
TEST(RegistryMonitorTest, WhatIsWatched)
{
    struct Case {
        const char* What;
        bool Subtree;
        std::function<void(const RegistrySandbox&)> Change;
        bool Reported;
    };
    const Case cases[] = {
        {"value below, subtree", true, [](const RegistrySandbox& s) { s.SetString(L"Sub", L"V", L"x"); }, true},
        {"value below, key only", false, [](const RegistrySandbox& s) { s.SetString(L"Sub", L"V", L"x"); }, false},
        {"new subkey, key only", false, [](const RegistrySandbox& s) { s.SetString(L"New", L"V", L"x"); }, true},
        {"deleted value, key only", false,
         [](const RegistrySandbox& s) {
             HKEY key = nullptr;
             RegOpenKeyExW(s.Root(), s.Path().c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key);
             RegDeleteValueW(key, L"Old");
             RegCloseKey(key);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        RegistrySandbox sandbox;
        sandbox.SetString(L"Sub", L"V", L"before");
        sandbox.SetString(L"", L"Old", L"before");
        Calls calls;
        auto monitor = RegistryMonitor(sandbox.Root(), sandbox.Path(), calls.Proc(), c.Subtree, WindowThreadHandover());
        LetWorkerStart();
        c.Change(sandbox);
        PumpUntil([&] { return calls.Count >= 1; }, c.Reported ? 5000 : 500);
        EXPECT_EQ(calls.Count >= 1, c.Reported);
    }
}

// The next notification is armed before the procedure runs: a change made
// while it runs is reported by one more call.
TEST(RegistryMonitorTest, ChangeDuringProcIsReported)
{
    RegistrySandbox sandbox;
    Calls calls;
    auto monitor = RegistryMonitor(sandbox.Root(), sandbox.Path(), calls.Proc([&](int n) {
        if (n == 1)
            sandbox.SetString(L"", L"WrittenDuringProc", L"1");
    }),
                                   true, WindowThreadHandover());
    LetWorkerStart();
    sandbox.SetString(L"", L"First", L"1");
    ASSERT_TRUE(PumpUntil([&] { return calls.Count >= 2; }, 5000)) << "calls: " << calls.Count;
    PumpFor(300);
    EXPECT_EQ(calls.Count, 2);
}

// Many changes while the window thread is busy give one call for the pass
// that was running and at most one more, not one per change.
TEST(RegistryMonitorTest, BurstGivesOneCallPerPass)
{
    RegistrySandbox sandbox;
    Calls calls;
    auto monitor = RegistryMonitor(sandbox.Root(), sandbox.Path(), calls.Proc(), true, WindowThreadHandover());
    LetWorkerStart();
    for (int i = 0; i < 30; ++i) {
        sandbox.SetDword(L"", L"Burst" + std::to_wstring(i), i);
        Sleep(5);
    }
    PumpFor(500);
    EXPECT_GE(calls.Count, 1);
    EXPECT_LE(calls.Count, 2);
}

TEST(RegistryMonitorTest, StopIsPromptAndNoProcRunsAfterIt)
{
    RegistrySandbox sandbox;
    Calls calls;
    auto monitor = RegistryMonitor(sandbox.Root(), sandbox.Path(), calls.Proc(), true, WindowThreadHandover());
    LetWorkerStart();
    PumpFor(400);  // idle: the worker waits, it does not poll

    const auto start = std::chrono::steady_clock::now();
    monitor->Stop();
    EXPECT_TRUE(monitor->Join(5000));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(200));
    EXPECT_TRUE(monitor->Ended());

    sandbox.SetString(L"", L"AfterStop", L"1");
    PumpFor(300);
    EXPECT_EQ(calls.Count, 0);
}

// The worker is inside its hand-over to the test thread, which serves no
// messages; the test thread then stops and joins it. The join serves the
// hand-over (no dead-lock) and the procedure does not run.
TEST(RegistryMonitorTest, StopWhileHandingOver)
{
    RegistrySandbox sandbox;
    Calls calls;
    auto monitor = RegistryMonitor(sandbox.Root(), sandbox.Path(), calls.Proc(), true, WindowThreadHandover());
    LetWorkerStart();
    sandbox.SetString(L"", L"Value", L"1");
    Sleep(300);  // no messages served: the worker waits in its hand-over

    monitor->Stop();
    EXPECT_TRUE(monitor->Join(2000));
    EXPECT_EQ(calls.Count, 0);
    PumpFor(200);
    EXPECT_EQ(calls.Count, 0);
}

TEST(RegistryMonitorTest, DestructorStopsAndJoins)
{
    RegistrySandbox sandbox;
    Calls calls;
    auto monitor = RegistryMonitor(sandbox.Root(), sandbox.Path(), calls.Proc(), true, WindowThreadHandover());
    LetWorkerStart();
    const auto start = std::chrono::steady_clock::now();
    monitor.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    sandbox.SetString(L"", L"AfterEnd", L"1");
    PumpFor(300);
    EXPECT_EQ(calls.Count, 0);
}

TEST(RegistryMonitorTest, MissingKeyEndsAtOnce)
{
    Calls calls;
    const std::wstring missing = L"Software\\TidoraTest\\NoSuchKey-" + std::to_wstring(GetCurrentProcessId());
    for (const std::wstring& key : {missing, L"\\" + missing}) {
        auto monitor = RegistryMonitor(HKEY_CURRENT_USER, key, calls.Proc(), true, WindowThreadHandover());
        EXPECT_TRUE(monitor->Join(500));
        EXPECT_TRUE(monitor->Ended());
    }
    PumpFor(100);
    EXPECT_EQ(calls.Count, 0);
}

// A key with a leading backslash names the same key.
TEST(RegistryMonitorTest, LeadingBackslash)
{
    RegistrySandbox sandbox;
    Calls calls;
    auto monitor = RegistryMonitor(sandbox.Root(), L"\\" + sandbox.Path(), calls.Proc(), true, WindowThreadHandover());
    LetWorkerStart();
    EXPECT_FALSE(monitor->Ended());
    sandbox.SetString(L"", L"Value", L"1");
    EXPECT_TRUE(PumpUntil([&] { return calls.Count >= 1; }, 5000));
}

// Several watches at once, each on its own key.
TEST(RegistryMonitorTest, SeveralWatchesAreIndependent)
{
    RegistrySandbox first;
    RegistrySandbox second;
    Calls firstCalls;
    Calls secondCalls;
    auto a = RegistryMonitor(first.Root(), first.Path(), firstCalls.Proc(), true, WindowThreadHandover());
    auto b = RegistryMonitor(second.Root(), second.Path(), secondCalls.Proc(), true, WindowThreadHandover());
    LetWorkerStart();
    second.SetString(L"", L"Value", L"1");
    ASSERT_TRUE(PumpUntil([&] { return secondCalls.Count >= 1; }, 5000));
    PumpFor(200);
    EXPECT_EQ(firstCalls.Count, 0);
    EXPECT_EQ(secondCalls.Count, 1);
}

// A watch whose window has gone (the hand-over drops the work) keeps
// running quietly and still stops at once.
TEST(RegistryMonitorTest, WindowGoneDropsProc)
{
    RegistrySandbox sandbox;
    Calls calls;
    THandover handover;
    std::thread window([&] { handover = WindowThreadHandover(); });
    window.join();  // the thread's hand-over window went with it

    auto monitor = RegistryMonitor(sandbox.Root(), sandbox.Path(), calls.Proc(), true, handover);
    LetWorkerStart();
    sandbox.SetString(L"", L"Value", L"1");
    PumpFor(300);
    EXPECT_EQ(calls.Count, 0);
    const auto start = std::chrono::steady_clock::now();
    monitor.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}

}  // namespace
