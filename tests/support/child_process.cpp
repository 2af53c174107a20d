#include "child_process.h"

#include "test_env.h"

ChildProcess::ChildProcess(const Options& options, const std::wstring& exe)
{
    std::wstring path = exe.empty() ? TestChildPath() : exe;
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!options.window.empty())
        commandLine += L" --window \"" + options.window + L"\"";
    if (options.exitAfterMs)
        commandLine += L" --exit-after " + std::to_wstring(options.exitAfterMs);

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return;
    CloseHandle(pi.hThread);
    FProcess = pi.hProcess;
    FPid = pi.dwProcessId;
    // A window is only findable once the child has created it.
    if (!options.window.empty())
        WaitForInputIdle(FProcess, 5000);
}

ChildProcess::~ChildProcess()
{
    Terminate();
    if (FProcess)
        CloseHandle(FProcess);
}

bool ChildProcess::IsRunning() const
{
    return FProcess && WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD ms) const
{
    return !FProcess || WaitForSingleObject(FProcess, ms) == WAIT_OBJECT_0;
}

void ChildProcess::Terminate()
{
    if (IsRunning()) {
        TerminateProcess(FProcess, 1);
        WaitForSingleObject(FProcess, 5000);
    }
}

std::wstring ChildProcess::TestChildPath()
{
    return testenv::BinDir() + L"\\testchild.exe";
}

std::wstring ChildProcess::CopyAs(const std::wstring& folder, const std::wstring& fileName)
{
    std::wstring target = folder + L"\\" + fileName;
    CopyFileW(TestChildPath().c_str(), target.c_str(), FALSE);
    return target;
}
