// The older-Windows way of switching, for real: the test prefix is set to
// report Windows 7 (winecfg /v win7), a separate process switches a Run
// value off and on as the program would, and the prefix is set back to
// Windows 10 at the end, also when a check fails. Runs alone (RUN_SERIAL):
// other programs started meanwhile would see the other version.
#include "AutorunTestSupport.h"
#include "Text.h"
#include "test_env.h"

#include <gtest/gtest.h>

using namespace autoruntest;

namespace {

bool RunAndWait(std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info))
        return false;
    bool done = WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return done && code == 0;
}

void SetPrefixVersion(const wchar_t* version)
{
    RunAndWait(std::wstring(L"winecfg.exe /v ") + version);
}

// The probe's answer, or "failed".
std::wstring Probe(const std::wstring& arguments)
{
    const std::wstring out = testenv::MakeTempDir(L"probe") + L"\\answer.txt";
    if (!RunAndWait(L"\"" + testenv::BinDir() + L"\\autorun_probe.exe\" \"" + out + L"\" " + arguments))
        return L"failed";
    return Utf8ToWide(testenv::ReadFileBytes(out));
}

class TVersionScope {
public:
    TVersionScope() { SetPrefixVersion(L"win7"); }
    ~TVersionScope() { SetPrefixVersion(L"win10"); }
};

TEST(OldWindowsPrefix, OffMovesTheRunValueOnBringsItBack)
{
    ASSERT_EQ(Probe(L"version"), L"10");
    TCleanup cleanup;
    const std::wstring name = UniqueName(L"TidoraWin7");
    const std::wstring target = L"HKCU\\" + RunKey + L"\\" + name;
    const std::wstring store = RunKey + L"\\" + DisabledStoreName;
    const std::wstring data = L"%ProgramFiles%\\Old Tool\\old.exe /tray";
    SetText(HKEY_CURRENT_USER, RunKey, name, data, REG_EXPAND_SZ);
    cleanup.Value(HKEY_CURRENT_USER, RunKey, name);
    cleanup.Value(HKEY_CURRENT_USER, ApprovedRun, name);
    cleanup.Key(HKEY_CURRENT_USER, store);
    {
        TVersionScope win7;
        ASSERT_EQ(Probe(L"version"), L"6");

        EXPECT_EQ(Probe(L"set HKCU 0 \"" + target + L"\""), L"1");
        DWORD type = 0;
        std::vector<BYTE> bytes;
        EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, RunKey, name, type, bytes));
        ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, store, name, type, bytes));
        EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
        EXPECT_EQ(bytes, TextBytes(data));
        EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, ApprovedRun, name, type, bytes));
        EXPECT_NE(Probe(L"list").find(L"HKCU|" + target + L"|0|" + data + L"\n"), std::wstring::npos);

        EXPECT_EQ(Probe(L"set hkcu 1 \"" + target + L"\""), L"1");
        ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, RunKey, name, type, bytes));
        EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
        EXPECT_EQ(bytes, TextBytes(data));
        EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, store, name, type, bytes));
        EXPECT_NE(Probe(L"list").find(L"HKCU|" + target + L"|1|" + data + L"\n"), std::wstring::npos);
    }
    EXPECT_EQ(Probe(L"version"), L"10");
}

}  // namespace
