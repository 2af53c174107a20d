#include "InstallId.h"

#include "Win32Handles.h"

#include <windows.h>

#include <cwchar>
#include <mutex>
#include <random>

namespace {

constexpr wchar_t KeyPath[] = L"Software\\Morvane";
constexpr wchar_t ValueName[] = L"MUID";

// Seeded from the clock once per program start; requests on several
// threads may make an id at the same time.
unsigned long Random(unsigned long upperInclusive)
{
    static std::mutex lock;
    static std::mt19937 generator([] {
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        return static_cast<unsigned>(counter.QuadPart ^ (counter.QuadPart >> 32) ^ GetTickCount());
    }());
    std::lock_guard<std::mutex> guard(lock);
    return std::uniform_int_distribution<unsigned long>(0, upperInclusive)(generator);
}

bool QueryString(HKEY key, const wchar_t* name, std::wstring& value)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return false;
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    value = text;
    return true;
}

}  // namespace

std::wstring MakeInstallId()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t id[64];
    std::swprintf(id, sizeof(id) / sizeof(id[0]), L"%08lX%02u%02u%02u%04lX%02u%02u%02u%08lX", Random(2147483646),
                  now.wYear % 100u, unsigned{now.wMonth}, unsigned{now.wDay}, Random(65534), unsigned{now.wHour},
                  unsigned{now.wMinute}, unsigned{now.wSecond}, Random(2147483646));
    return id;
}

std::wstring ReadInstallId()
{
    TRegKeyHandle key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
        return {};
    std::wstring id;
    if (RegQueryValueExW(key.Get(), ValueName, nullptr, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND) {
        std::wstring made = MakeInstallId();
        if (RegSetValueExW(key.Get(), ValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(made.c_str()),
                           static_cast<DWORD>((made.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            return {};
    }
    if (!QueryString(key.Get(), ValueName, id))
        return {};
    return id;
}
