#include "tray_observer.h"

#include <commctrl.h>

#include <chrono>
#include <thread>

namespace {

constexpr wchar_t TrayClass[] = L"__winex11_standalone_tray";
constexpr wchar_t IconClass[] = L"__winex11_tray_icon";

// The tooltip control belongs to another process: the tool information and
// the text buffer have to live in that process's memory.
std::wstring ToolText(HWND tooltip, HWND tool)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(tooltip, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return {};
    constexpr SIZE_T textOffset = 1024;
    constexpr SIZE_T textChars = 1024;
    auto* remote = static_cast<BYTE*>(
        VirtualAllocEx(process, nullptr, textOffset + textChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    std::wstring text;
    if (remote) {
        TTTOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = tool;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = reinterpret_cast<LPWSTR>(remote + textOffset);
        std::vector<wchar_t> zeros(textChars, L'\0');
        WriteProcessMemory(process, remote + textOffset, zeros.data(), zeros.size() * sizeof(wchar_t), nullptr);
        WriteProcessMemory(process, remote, &info, sizeof(info), nullptr);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(tooltip, TTM_GETTEXTW, textChars, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                            2000, &ignored);
        std::vector<wchar_t> buffer(textChars, L'\0');
        ReadProcessMemory(process, remote + textOffset, buffer.data(), (buffer.size() - 1) * sizeof(wchar_t),
                          nullptr);
        text = buffer.data();
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

std::wstring TooltipOf(HWND tray, HWND icon)
{
    HWND tooltip = nullptr;
    while ((tooltip = FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr))) {
        if (GetWindow(tooltip, GW_OWNER) != tray)
            continue;
        std::wstring text = ToolText(tooltip, icon);
        if (!text.empty())
            return text;
    }
    return {};
}

}  // namespace

std::vector<ShownTrayIcon> ShownTrayIcons()
{
    std::vector<ShownTrayIcon> icons;
    HWND tray = nullptr;
    while ((tray = FindWindowExW(nullptr, tray, TrayClass, nullptr))) {
        HWND icon = nullptr;
        while ((icon = FindWindowExW(tray, icon, IconClass, nullptr)))
            icons.push_back({icon, TooltipOf(tray, icon)});
    }
    return icons;
}

std::vector<ShownTrayIcon> ShownTrayIconsWithTooltip(const std::wstring& tooltip)
{
    std::vector<ShownTrayIcon> matching;
    for (auto& icon : ShownTrayIcons())
        if (icon.tooltip == tooltip)
            matching.push_back(icon);
    return matching;
}

bool WaitForTrayIcons(const std::wstring& tooltip, size_t count, DWORD timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (ShownTrayIconsWithTooltip(tooltip).size() == count)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        // Keep this thread's own windows responsive while waiting.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
}

void PressTrayIcon(HWND iconWindow, UINT mouseMessage)
{
    PostMessageW(iconWindow, mouseMessage, 0, MAKELPARAM(8, 8));
}
