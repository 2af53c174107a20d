#include "IconIndex.h"

#include "Text.h"

#include <shellapi.h>

#include <cwctype>
#include <exception>

namespace {

// The icon number after the comma of "file,n"; `fallback` when it is no number.
int ParseIconNumber(const std::wstring& text, int fallback)
{
    const std::wstring number = Trim(text);
    if (number.empty())
        return fallback;
    size_t i = number[0] == L'-' ? 1 : 0;
    if (i == number.size())
        return fallback;
    for (size_t k = i; k < number.size(); ++k)
        if (!std::iswdigit(number[k]))
            return fallback;
    try {
        return std::stoi(number);
    } catch (const std::exception&) {
        return fallback;
    }
}

}  // namespace

int GetIconIndex(TIconCache& cache, TImageCollection& images, const std::wstring& source, int defaultIndex)
{
    try {
        std::wstring text;
        for (wchar_t c : source)
            if (c != L'"')
                text += c;
        text = Trim(text);
        if (text.empty())
            return defaultIndex;

        std::wstring file = text;
        int iconNumber = 0;
        if (const size_t comma = text.find(L','); comma != std::wstring::npos) {
            file = Trim(std::wstring_view(text).substr(0, comma));
            iconNumber = ParseIconNumber(text.substr(comma + 1), defaultIndex);
        }

        if (const auto known = cache.find(text); known != cache.end())
            return known->second;
        const DWORD attributes = GetFileAttributesW(file.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || file.size() >= MAX_PATH)
            return 0;

        // ExtractAssociatedIconW writes into the path buffer (the program it
        // took the icon from), so it gets a copy of MAX_PATH characters.
        wchar_t path[MAX_PATH] = L"";
        file.copy(path, file.size());
        WORD index = static_cast<WORD>(iconNumber);
        HICON icon = ExtractAssociatedIconW(GetModuleHandleW(nullptr), path, &index);
        if (!icon)
            return 0;
        const int added = images.AddIcon(icon);
        if (added < 0)
            return defaultIndex;
        cache.emplace(text, added);
        return added;
    } catch (const std::exception&) {
        return defaultIndex;
    }
}

int AddResourceIcon(TImageCollection& images, const wchar_t* name)
{
    constexpr int IconSize = 16;
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, IconSize, IconSize, 0));
    if (!icon)
        icon = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
    return images.AddIcon(icon);
}
