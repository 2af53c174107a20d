#include "helper_process.h"

#include "test_env.h"

#include <chrono>
#include <thread>

namespace {

struct WindowSearch {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t className[256] = {};
    GetClassNameW(window, className, 256);
    if (pid == search->pid && wcscmp(className, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::vector<wchar_t> EnvironmentWith(const std::vector<std::wstring>& additions)
{
    std::vector<wchar_t> block;
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry; entry += wcslen(entry) + 1) {
        std::wstring text = entry;
        bool replaced = false;
        for (const auto& addition : additions) {
            std::wstring name = addition.substr(0, addition.find(L'=') + 1);
            if (_wcsnicmp(text.c_str(), name.c_str(), name.size()) == 0)
                replaced = true;
        }
        if (!replaced)
            block.insert(block.end(), text.c_str(), text.c_str() + text.size() + 1);
    }
    FreeEnvironmentStringsW(current);
    for (const auto& addition : additions)
        block.insert(block.end(), addition.c_str(), addition.c_str() + addition.size() + 1);
    block.push_back(L'\0');
    return block;
}

}  // namespace

std::wstring MakeInstallFolder(const std::wstring& hint, MainProgram main)
{
    std::wstring folder = testenv::MakeTempDir(hint) + L"\\";
    std::wstring bin = testenv::BinDir() + L"\\";
    CopyFileW((bin + L"TidoraService.exe").c_str(), (folder + L"TidoraService.exe").c_str(), FALSE);
    std::wstring target = folder + L"Tidora.exe";
    switch (main) {
    case MainProgram::None:
        break;
    case MainProgram::StandIn:
        CopyFileW((bin + L"fakemain.exe").c_str(), target.c_str(), FALSE);
        break;
    case MainProgram::NoVersionBlock:
        CopyFileW((bin + L"testchild.exe").c_str(), target.c_str(), FALSE);
        break;
    case MainProgram::Folder:
        CreateDirectoryW(target.c_str(), nullptr);
        break;
    }
    return folder;
}

HelperProcess::HelperProcess(const std::wstring& folder, const std::wstring& arguments,
                             const std::vector<std::wstring>& environment)
{
    std::wstring exe = folder + L"TidoraService.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::vector<wchar_t> block = EnvironmentWith(environment);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        block.data(), folder.c_str(), &si, &pi))
        return;
    CloseHandle(pi.hThread);
    FProcess = pi.hProcess;
    FPid = pi.dwProcessId;
}

HelperProcess::~HelperProcess()
{
    Terminate();
    if (FProcess)
        CloseHandle(FProcess);
}

bool HelperProcess::IsRunning() const
{
    return FProcess && WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT;
}

bool HelperProcess::WaitForExit(DWORD ms) const
{
    return !FProcess || WaitForSingleObject(FProcess, ms) == WAIT_OBJECT_0;
}

DWORD HelperProcess::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (FProcess)
        GetExitCodeProcess(FProcess, &code);
    return code;
}

void HelperProcess::Terminate()
{
    if (IsRunning()) {
        TerminateProcess(FProcess, 1);
        WaitForSingleObject(FProcess, 5000);
    }
}

HWND HelperProcess::FindWindowOfClass(const wchar_t* className) const
{
    WindowSearch search{FPid, className, nullptr};
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND HelperProcess::WaitForWindowOfClass(const wchar_t* className, DWORD timeoutMs) const
{
    HWND window = nullptr;
    testenv::WaitUntil([&] { return (window = FindWindowOfClass(className)) != nullptr; },
                       std::chrono::milliseconds(timeoutMs));
    return window;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[2048] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    return text;
}

std::wstring DialogItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? WindowText(item) : std::wstring();
}

void PressDialogButton(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::vector<std::string> MainLog(const std::wstring& folder)
{
    std::vector<std::string> lines;
    std::string bytes = testenv::ReadFileBytes(folder + L"main.log");
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void CloseStandInMainPrograms()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        HWND window = FindWindowW(L"TFrmTidora", nullptr);
        if (!window)
            return;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (process) {
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
}
