#include "TidoraProcess.h"

#include "test_env.h"

std::wstring WindowText(HWND window)
{
    wchar_t buffer[8192] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 8192, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &copied);
    return std::wstring(buffer, copied);
}

std::wstring WindowClass(HWND window)
{
    wchar_t name[128] = {};
    int n = GetClassNameW(window, name, 128);
    return std::wstring(name, n > 0 ? n : 0);
}

namespace {

struct TSearch {
    DWORD Pid;
    const wchar_t* ClassName;
    const wchar_t* Text;
    std::vector<HWND> Found;
};

bool Matches(HWND window, const TSearch& search)
{
    if (search.ClassName && _wcsicmp(WindowClass(window).c_str(), search.ClassName) != 0)
        return false;
    if (search.Text && WindowText(window) != search.Text)
        return false;
    if (search.Pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != search.Pid)
            return false;
    }
    return true;
}

BOOL CALLBACK Collect(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TSearch*>(param);
    if (Matches(window, *search))
        search->Found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> ProcessWindows(DWORD pid, const wchar_t* className)
{
    TSearch search{pid, className, nullptr, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

std::vector<HWND> WindowsOfClass(const wchar_t* className)
{
    return ProcessWindows(0, className);
}

std::vector<HWND> FindChildren(HWND root, const wchar_t* className, const wchar_t* text)
{
    TSearch search{0, className, text, {}};
    if (root)
        EnumChildWindows(root, Collect, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND FindChild(HWND root, const wchar_t* className, const wchar_t* text)
{
    auto found = FindChildren(root, className, text);
    return found.empty() ? nullptr : found.front();
}

RECT ClientRectOf(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    return r;
}

void ClickButton(HWND button)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
}

TTidoraProcess::~TTidoraProcess()
{
    Close();
    if (FProcess)
        CloseHandle(FProcess);
}

bool TTidoraProcess::Start(bool waitForWindow, const std::wstring& path)
{
    std::wstring exe = path.empty() ? testenv::BinDir() + L"\\Tidora.exe" : path;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    FProcess = pi.hProcess;
    FPid = pi.dwProcessId;
    if (!waitForWindow)
        return true;
    testenv::WaitUntil(
        [&] {
            auto windows = ProcessWindows(FPid, L"TFrmTidora");
            FWindow = windows.empty() ? nullptr : windows.front();
            return FWindow && IsWindowVisible(FWindow) && !FindChildren(FWindow, L"Button", nullptr).empty();
        },
        std::chrono::seconds(30));
    return FWindow != nullptr;
}

void TTidoraProcess::Close()
{
    if (!Running())
        return;
    if (FWindow && IsWindow(FWindow))
        PostMessageW(FWindow, WM_CLOSE, 0, 0);
    if (!WaitForExit(10000)) {
        TerminateProcess(FProcess, 1);
        WaitForExit(5000);
    }
}

bool TTidoraProcess::WaitForExit(DWORD ms)
{
    return !FProcess || WaitForSingleObject(FProcess, ms) == WAIT_OBJECT_0;
}

bool TTidoraProcess::Running() const
{
    return FProcess && WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT;
}

DWORD TTidoraProcess::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (FProcess)
        GetExitCodeProcess(FProcess, &code);
    return code;
}

// The cards are the children of the card panel; the card of page i has
// the window id i + 1.
int TTidoraProcess::ShownCard() const
{
    HWND cards = FindChild(FWindow, L"TidoraCardPanel", nullptr);
    int shown = -1;
    for (int i = 0; i < 3; ++i) {
        HWND card = GetDlgItem(cards, i + 1);
        if (card && IsWindowVisible(card))
            shown = shown < 0 ? i : 99;
    }
    return shown;
}
