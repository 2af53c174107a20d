#include "ExeTestSupport.h"

#include "test_env.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <set>

namespace exetest {

std::string Utf8(const std::wstring& text)
{
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void PostKey(HWND window, WORD key)
{
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

bool PostDoubleClick(const TRemoteListView& list, int row)
{
    SendMessageW(list.Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    const RECT rect = list.RowRect(row);
    if (rect.bottom <= rect.top)
        return false;
    // Inside the first column, clear of the icon.
    const LPARAM at = MAKELPARAM(rect.left + 40, (rect.top + rect.bottom) / 2);
    PostMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list.Handle(), WM_LBUTTONUP, 0, at);
    PostMessageW(list.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list.Handle(), WM_LBUTTONUP, 0, at);
    return true;
}

namespace {

// Names of the live processes, lower case, each once.
std::set<std::wstring> LiveProcessNames()
{
    std::set<std::wstring> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return names;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        std::wstring name = entry.szExeFile;
        CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
        names.insert(name);
    }
    CloseHandle(snapshot);
    return names;
}

}  // namespace

std::wstring ProtectedProgramCopy(const std::wstring& folder)
{
    const std::wstring exe = folder + L"\\Tidora.exe";
    if (!CopyFileW((testenv::BinDir() + L"\\Tidora.exe").c_str(), exe.c_str(), FALSE))
        return {};
    std::string exclusions = "// kept alive for the test run\r\n";
    for (const std::wstring& process : LiveProcessNames())
        exclusions += Utf8(process) + "*\r\n";
    testenv::WriteFileBytes(folder + L"\\NoClean.txt", exclusions);
    return exe;
}

}  // namespace exetest
