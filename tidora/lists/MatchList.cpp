#include "MatchList.h"

#include "PathTokens.h"
#include "Text.h"

#include <windows.h>

namespace {

std::wstring LocaleUpper(std::wstring_view text)
{
    std::wstring out(text);
    if (!out.empty())
        LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), out.data(),
                     static_cast<int>(out.size()));
    return out;
}

bool MatchesEntry(std::wstring_view entry, std::wstring_view text, const std::wstring& upperText, bool fileNameMode)
{
    if (fileNameMode) {
        if (entry.back() == L'*')
            return AsciiEqualsIgnoreCase(entry.substr(0, entry.size() - 1), FileNamePart(text));
        return upperText.find(LocaleUpper(entry)) != std::wstring::npos;
    }
    return text.size() >= entry.size() &&
           CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.data(), static_cast<int>(entry.size()),
                          text.data(), static_cast<int>(entry.size())) == CSTR_EQUAL;
}

}  // namespace

// Entries are trimmed and expanded on every call: lists are a few hundred
// entries and a run matches a few hundred processes.
bool MatchList(const TNameList& list, std::wstring_view text, bool fileNameMode)
{
    const std::wstring upperText = fileNameMode ? LocaleUpper(text) : std::wstring();
    for (const auto& item : list.Items) {
        const std::wstring entry = ExpandPath(Trim(item));
        if (entry.empty() || entry.starts_with(L"//"))
            continue;
        if (MatchesEntry(entry, text, upperText, fileNameMode))
            return true;
    }
    return false;
}
