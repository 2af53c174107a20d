#include "MainExeVersion.h"

#include "Arguments.h"

#include <windows.h>

#include <vector>

std::wstring FileVersionText(const std::wstring& file, const wchar_t* format)
{
    const std::wstring none = L"0.0.0.0";
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return none;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return none;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return none;

    // The file version, not the product version. wsprintfW writes at most
    // 1024 characters and ignores numbers the format does not ask for.
    wchar_t text[1025] = {};
    wsprintfW(text, format, static_cast<int>(HIWORD(info->dwFileVersionMS)),
              static_cast<int>(LOWORD(info->dwFileVersionMS)), static_cast<int>(HIWORD(info->dwFileVersionLS)),
              static_cast<int>(LOWORD(info->dwFileVersionLS)));
    return text;
}

std::wstring MainExeVersion(const wchar_t* format)
{
    return FileVersionText(OwnFolder() + L"Tidora.exe", format);
}
