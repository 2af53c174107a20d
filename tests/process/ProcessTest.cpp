// The process snapshot and the operations on processes, against real
// processes of the test prefix.
#include "Process.h"
#include "ProcessWindows.h"

#include "child_process.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::wstring OwnPath()
{
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return std::wstring(buffer, n);
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

const TProcessInfo* Entry(const TProcessList& list, DWORD pid)
{
    auto it = std::find_if(list.begin(), list.end(), [pid](const TProcessInfo& p) { return p.ProcessID == pid; });
    return it == list.end() ? nullptr : &*it;
}

// A hidden top-level window of this process, destroyed with the object.
struct TestWindow {
    HWND Handle = nullptr;
    explicit TestWindow(HWND owner = nullptr, DWORD style = WS_OVERLAPPEDWINDOW)
    {
        Handle = CreateWindowExW(0, L"STATIC", L"process test window", style, 0, 0, 50, 50, owner, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    ~TestWindow() { DestroyWindow(Handle); }
};

}  // namespace

TEST(SnapshotProcesses, ListsTheOwnProcessWithItsPathAndNeverIdZero)
{
    TProcessList list;
    SnapshotProcesses(list);
    ASSERT_GT(list.size(), 1u);
    EXPECT_EQ(Entry(list, 0), nullptr);
    const TProcessInfo* own = Entry(list, GetCurrentProcessId());
    ASSERT_NE(own, nullptr);
    EXPECT_TRUE(SamePath(own->FileName, OwnPath())) << own->FileName;
    for (const auto& p : list) {
        EXPECT_EQ(p.State, TProcessState::Found) << p.FileName;
        EXPECT_FALSE(p.FileName.empty()) << p.ProcessID;
    }
}

TEST(SnapshotProcesses, AppendsToTheListWithoutClearingIt)
{
    TProcessList list;
    SnapshotProcesses(list);
    SnapshotProcesses(list);
    auto own = std::count_if(list.begin(), list.end(),
                             [](const TProcessInfo& p) { return p.ProcessID == GetCurrentProcessId(); });
    EXPECT_EQ(own, 2);
}

TEST(SnapshotProcesses, GivesEachProcessItsFirstTopLevelWindow)
{
    ChildProcess withWindow({L"Snapshot child window"});
    ChildProcess withoutWindow({});
    ASSERT_TRUE(withWindow.Started());
    ASSERT_TRUE(withoutWindow.Started());
    ASSERT_TRUE(testenv::WaitUntil([&] { return FindProcessWindow(withWindow.Pid()) != nullptr; }));

    TProcessList list;
    SnapshotProcesses(list);
    const TProcessInfo* child = Entry(list, withWindow.Pid());
    ASSERT_NE(child, nullptr);
    ASSERT_NE(child->Handle, nullptr);
    EXPECT_EQ(child->Handle, FindProcessWindow(withWindow.Pid()));
    DWORD owner = 0;
    GetWindowThreadProcessId(child->Handle, &owner);
    EXPECT_EQ(owner, withWindow.Pid());
    EXPECT_EQ(GetParent(child->Handle), nullptr);

    const TProcessInfo* plain = Entry(list, withoutWindow.Pid());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->Handle, nullptr);
    EXPECT_TRUE(SamePath(plain->FileName, ChildProcess::TestChildPath())) << plain->FileName;
}

TEST(FindProcessWindow, SkipsOwnedWindowsAndCountsInvisibleOnes)
{
    TestWindow owner;
    TestWindow owned(owner.Handle, WS_POPUP);
    ASSERT_TRUE(owner.Handle && owned.Handle);
    ASSERT_FALSE(IsWindowVisible(owner.Handle));
    HWND found = FindProcessWindow(GetCurrentProcessId());
    ASSERT_NE(found, nullptr);
    EXPECT_NE(found, owned.Handle);
    EXPECT_EQ(GetParent(found), nullptr);
    EXPECT_EQ(FindProcessWindow(0), nullptr);
}

// The one walk for all processes must name the same window as a walk per
// process, for every process there is, windows of several kinds included.
TEST(FindProcessWindow, OneWalkForAllAgreesWithAWalkPerProcess)
{
    ChildProcess first({L"Walk child one"});
    ChildProcess second({L"Walk child two"});
    TestWindow a;
    TestWindow b;
    TestWindow owned(a.Handle, WS_POPUP);
    ASSERT_TRUE(testenv::WaitUntil([&] {
        return FindProcessWindow(first.Pid()) != nullptr && FindProcessWindow(second.Pid()) != nullptr;
    }));

    TProcessList list;
    SnapshotProcesses(list);
    const TProcessWindows all;
    int withWindow = 0;
    for (const auto& p : list) {
        HWND single = FindProcessWindow(p.ProcessID);
        EXPECT_EQ(all.Find(p.ProcessID), single) << p.FileName;
        EXPECT_EQ(p.Handle, single) << p.FileName;
        withWindow += single != nullptr;
    }
    EXPECT_GE(withWindow, 3);
    EXPECT_EQ(all.Find(0x7FFFFFF0), nullptr);
}

TEST(GetProcessImagePath, BothWaysOfReadingGiveTheFullPath)
{
    const std::wstring exe = ChildProcess::CopyAs(testenv::MakeTempDir(L"imagepath"), L"image-path-probe.exe");
    ChildProcess child({}, exe);
    ASSERT_TRUE(child.Started());
    // The module list of a process that has only just been created may not
    // be readable yet.
    testenv::WaitUntil([&] { return !GetProcessImagePath(child.Pid(), 5).empty(); });
    EXPECT_TRUE(SamePath(GetProcessImagePath(child.Pid()), exe)) << GetProcessImagePath(child.Pid());
    EXPECT_TRUE(SamePath(GetProcessImagePath(child.Pid(), 10), exe)) << GetProcessImagePath(child.Pid(), 10);
    EXPECT_TRUE(SamePath(GetProcessImagePath(child.Pid(), 5), exe)) << GetProcessImagePath(child.Pid(), 5);
}

TEST(GetProcessImagePath, IsEmptyForAProcessThatCannotBeOpened)
{
    EXPECT_EQ(GetProcessImagePath(0x7FFFFFF0, 10), L"");
    EXPECT_EQ(GetProcessImagePath(0x7FFFFFF0, 5), L"");
}

TEST(KillProcess, EndsTheProcessAndIsProcessAliveSeesIt)
{
    ChildProcess child({});
    ASSERT_TRUE(child.Started());
    EXPECT_TRUE(IsProcessAlive(child.Pid()));
    KillProcess(child.Pid());
    EXPECT_TRUE(child.WaitForExit(5000));
    EXPECT_TRUE(testenv::WaitUntil([&] { return !IsProcessAlive(child.Pid()); }));
}

TEST(KillProcess, LeavesIdZeroAndTheOwnProcessAlone)
{
    KillProcess(0);
    KillProcess(GetCurrentProcessId());
    EXPECT_TRUE(IsProcessAlive(GetCurrentProcessId()));
    EXPECT_FALSE(IsProcessAlive(0x7FFFFFF0));
}

TEST(GetMemoryStatus, GivesTotalAndAvailableAndMinusOneOtherwise)
{
    const auto total = GetMemoryStatus(TotalMemory);
    const auto available = GetMemoryStatus(AvailableMemory);
    EXPECT_GT(total, 0);
    EXPECT_GT(available, 0);
    EXPECT_LE(available, total);
    EXPECT_EQ(GetTotalMemory(), total);
    EXPECT_EQ(GetMemoryStatus(2), -1);
    EXPECT_EQ(GetMemoryStatus(-1), -1);
}
