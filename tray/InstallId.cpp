#include "InstallId.h"

#include "Handles.h"
#include "Random.h"

#include <cwchar>
#include <vector>

std::wstring MakeInstallId(const SYSTEMTIME& date, const SYSTEMTIME& time)
{
    // The time of day rounded to the nearest second.
    unsigned milliseconds = ((time.wHour * 60u + time.wMinute) * 60u + time.wSecond) * 1000u + time.wMilliseconds;
    unsigned seconds = (milliseconds + 500) / 1000;

    const uint32_t first = RandomUpTo(0x7FFFFFFE);
    const uint32_t middle = RandomUpTo(0xFFFE);
    const uint32_t last = RandomUpTo(0x7FFFFFFE);
    wchar_t text[64];
    std::swprintf(text, 64, L"%08X%u%02u%02u%04X%02u%02u%02u%08X", first, static_cast<unsigned>(date.wYear % 100),
                  static_cast<unsigned>(date.wMonth), static_cast<unsigned>(date.wDay), middle, seconds / 3600,
                  seconds / 60 % 60, seconds % 60, last);
    return text;
}

std::wstring MakeInstallId()
{
    SYSTEMTIME date{};
    GetLocalTime(&date);
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return MakeInstallId(date, time);
}

std::wstring ReadInstallId(HKEY root, const wchar_t* keyPath)
{
    // Opened, never created: only the main program makes the key.
    TRegKeyHandle opened;
    if (RegOpenKeyExW(root, keyPath, 0, KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, opened.Put()) != ERROR_SUCCESS)
        return {};
    HKEY key = opened.Get();

    std::wstring id;
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, L"MUID", nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) {
        std::wstring made = MakeInstallId();
        DWORD bytes = static_cast<DWORD>((made.size() + 1) * sizeof(wchar_t));
        if (RegSetValueExW(key, L"MUID", 0, REG_SZ, reinterpret_cast<const BYTE*>(made.c_str()), bytes) ==
            ERROR_SUCCESS)
            id = made;
    } else if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        // The text up to its first zero; environment references stay as they are.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD read = size;
        if (RegQueryValueExW(key, L"MUID", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &read) ==
            ERROR_SUCCESS) {
            buffer[read / sizeof(wchar_t) < buffer.size() ? read / sizeof(wchar_t) : buffer.size() - 1] = L'\0';
            id = buffer.data();
        }
    }
    return id;
}

std::wstring ReadInstallId()
{
    return ReadInstallId(HKEY_CURRENT_USER, L"Software\\Morvane");
}
