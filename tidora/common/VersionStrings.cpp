#include "VersionStrings.h"

#include <windows.h>

#include <cwchar>

int GetVersionStrings(const std::wstring& file, const std::vector<std::wstring>& names,
                      std::map<std::wstring, std::wstring>& values)
{
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES)
        return 0;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0)
        return 0;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data()))
        return 0;

    struct Translation {
        WORD Language;
        WORD CodePage;
    };
    Translation* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &length) ||
        length < sizeof(Translation))
        return static_cast<int>(values.size());

    wchar_t key[16];
    std::swprintf(key, 16, L"%04X%04X", translations[0].Language, translations[0].CodePage);
    for (const auto& name : names) {
        std::wstring query = L"\\StringFileInfo\\" + std::wstring(key) + L"\\" + name;
        wchar_t* value = nullptr;
        UINT chars = 0;
        if (VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars) && value)
            values[name] = value;
    }
    return static_cast<int>(values.size());
}
