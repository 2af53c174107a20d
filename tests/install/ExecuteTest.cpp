// The program launch helper with real processes (testchild), the test
// thread as the window thread.
#include "Execute.h"

#include "ThreadHandover.h"

#include "WindowThread.h"
#include "child_process.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Completion {
    std::atomic<int> Count{0};
    std::atomic<DWORD> Thread{0};
    Clock::time_point At;

    std::function<void()> Proc()
    {
        return [this] {
            At = Clock::now();
            Thread = GetCurrentThreadId();
            ++Count;
        };
    }
};

// Closes the message boxes the shell shows in this process (a file it
// cannot start) for as long as it lives.
class DialogCloser {
public:
    DialogCloser()
        : FThread([this] {
              while (!FDone) {
                  EnumWindows(
                      [](HWND window, LPARAM) -> BOOL {
                          DWORD pid = 0;
                          GetWindowThreadProcessId(window, &pid);
                          wchar_t name[16] = {};
                          GetClassNameW(window, name, 16);
                          if (pid == GetCurrentProcessId() && lstrcmpW(name, L"#32770") == 0)
                              PostMessageW(window, WM_COMMAND, IDOK, 0);
                          return TRUE;
                      },
                      0);
                  Sleep(50);
              }
          })
    {
    }
    ~DialogCloser()
    {
        FDone = true;
        FThread.join();
    }

private:
    std::atomic<bool> FDone{false};
    std::thread FThread;
};

TEST(ExecuteTest, ProcRunsOnTheWindowThreadAfterTheProcessEnds)
{
    Completion done;
    const auto start = Clock::now();
    Execute(ChildProcess::TestChildPath(), L"--exit-after 1500", SW_SHOW, done.Proc(), WindowThreadHandover());
    const auto returned = Clock::now();
    EXPECT_LT(returned - start, milliseconds(1200)) << "Execute waited for the process";
    EXPECT_EQ(done.Count, 0);

    ASSERT_TRUE(PumpUntil([&] { return done.Count > 0; }, 10000));
    EXPECT_EQ(done.Thread, GetCurrentThreadId());
    EXPECT_GE(done.At - start, milliseconds(1450)) << "Proc ran before the process ended";
    PumpFor(200);
    EXPECT_EQ(done.Count, 1);
}

// The command-line form: a quoted program path with spaces, the rest passed
// on as parameters (the child ends by itself only when it gets them).
TEST(ExecuteTest, CommandLineIsSplitIntoProgramAndParameters)
{
    const std::wstring folder = testenv::MakeTempDir(L"execute dir");
    const std::wstring child = ChildProcess::CopyAs(folder, L"un install.exe");
    Completion done;
    const auto start = Clock::now();
    Execute(L"\"" + child + L"\" --exit-after 500", SW_SHOW, done.Proc(), WindowThreadHandover());
    EXPECT_EQ(done.Count, 0);
    ASSERT_TRUE(PumpUntil([&] { return done.Count > 0; }, 10000));
    EXPECT_GE(done.At - start, milliseconds(450));
    EXPECT_EQ(done.Thread, GetCurrentThreadId());
}

TEST(ExecuteTest, NothingStartedRunsProcAtOnce)
{
    DialogCloser closer;
    const std::wstring missing = testenv::MakeTempDir(L"execute-missing") + L"\\missing.exe";
    for (bool commandLineForm : {false, true}) {
        SCOPED_TRACE(commandLineForm ? "command line" : "file and parameters");
        Completion done;
        if (commandLineForm)
            Execute(L"\"" + missing + L"\" /S", SW_SHOW, done.Proc(), WindowThreadHandover());
        else
            Execute(missing, L"/S", SW_SHOW, done.Proc(), WindowThreadHandover());
        EXPECT_EQ(done.Count, 1) << "Proc did not run before Execute returned";
        EXPECT_EQ(done.Thread, GetCurrentThreadId());
        PumpFor(100);
        EXPECT_EQ(done.Count, 1);
    }
}

TEST(ExecuteTest, NoProcStillWaitsQuietly)
{
    const std::wstring folder = testenv::MakeTempDir(L"execute-noproc");
    const std::wstring child = ChildProcess::CopyAs(folder, L"noproc.exe");
    Execute(child, L"--exit-after 200", SW_SHOW);
    Execute(L"\"" + child + L"\" --exit-after 200", SW_SHOW);
    PumpFor(800);
    SUCCEED();
}

// The window thread has gone by the time the process ends: the wait thread
// drops Proc, and nothing runs it anywhere.
TEST(ExecuteTest, WindowGoneDropsProc)
{
    Completion done;
    std::thread window([&] {
        Execute(ChildProcess::TestChildPath(), L"--exit-after 300", SW_SHOW, done.Proc(), WindowThreadHandover());
    });
    window.join();  // its hand-over window goes with the thread
    PumpFor(1500);
    EXPECT_EQ(done.Count, 0);
}

// Several launches wait at the same time, each calling back once.
TEST(ExecuteTest, SeveralLaunchesWaitTogether)
{
    Completion first;
    Completion second;
    Execute(ChildProcess::TestChildPath(), L"--exit-after 900", SW_SHOW, first.Proc(), WindowThreadHandover());
    Execute(ChildProcess::TestChildPath(), L"--exit-after 200", SW_SHOW, second.Proc(), WindowThreadHandover());
    ASSERT_TRUE(PumpUntil([&] { return first.Count > 0 && second.Count > 0; }, 10000));
    EXPECT_LT(second.At, first.At);
    PumpFor(200);
    EXPECT_EQ(first.Count, 1);
    EXPECT_EQ(second.Count, 1);
}

}  // namespace
