#include "ListLoaders.h"

#include "PathTokens.h"
#include "Text.h"
#include "Win32Handles.h"

#include <windows.h>
#include <shlobj.h>

void LoadListResource(TNameList& list, const wchar_t* name)
{
    if (auto text = ReadResourceText(name))
        list.Assign(SplitLines(*text));
}

namespace {

std::wstring DecodeTextFile(const std::string& bytes)
{
    std::string_view view(bytes);
    if (view.starts_with("\xEF\xBB\xBF"))
        return Utf8ToWide(view.substr(3));
    const bool littleEndian = view.starts_with("\xFF\xFE");
    if (littleEndian || view.starts_with("\xFE\xFF")) {
        std::wstring text;
        text.reserve(view.size() / 2);
        for (size_t i = 2; i + 1 < view.size(); i += 2) {
            auto lo = static_cast<unsigned char>(view[littleEndian ? i : i + 1]);
            auto hi = static_cast<unsigned char>(view[littleEndian ? i + 1 : i]);
            text += static_cast<wchar_t>(lo | (hi << 8));
        }
        return text;
    }
    return DecodeBytes(view, CP_ACP);
}

}  // namespace

TExclusionLoad LoadExclusionFile(TNameList& list, const std::wstring& path)
{
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return TExclusionLoad::Missing;
    TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return TExclusionLoad::Unreadable;
    std::string bytes;
    char chunk[16384];
    DWORD got = 0;
    BOOL ok = TRUE;
    while ((ok = ReadFile(file.Get(), chunk, sizeof(chunk), &got, nullptr)) && got > 0)
        bytes.append(chunk, got);
    // Closed before the text is decoded: the file is free again at once.
    file.Reset();
    if (!ok)
        return TExclusionLoad::Unreadable;
    for (auto& line : SplitLines(DecodeTextFile(bytes)))
        list.Add(std::move(line));
    return TExclusionLoad::Loaded;
}

std::vector<std::wstring> ExclusionFilePaths()
{
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe, n);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return {folder + L"NoClean.txt", GetSpecialFolder(CSIDL_APPDATA) + L"\\Tidora\\NoClean.txt"};
}
