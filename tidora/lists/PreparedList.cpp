#include "PreparedList.h"

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

}  // namespace

// Preparing at insertion time gives the same answers as preparing on every
// call: the path-token table is built once per process and the user's
// locale does not change while the program runs.
void TPreparedList::Add(std::wstring_view line)
{
    std::wstring entry = ExpandPath(Trim(line));
    if (entry.empty() || entry.starts_with(L"//"))
        return;
    // A "name.exe*" entry compares with the file-name part of the text,
    // ASCII letters without regard to case and every other character as it
    // is. Two texts compare equal that way exactly when their ASCII upper
    // cases are equal, so the set key is the ASCII upper case (not the
    // locale's, which would also fold "Ä" and "ä").
    if (entry.back() == L'*')
        FFileNames.insert(AsciiUpper(std::wstring_view(entry).substr(0, entry.size() - 1)));
    else
        FUpperSubstrings.push_back(LocaleUpper(entry));
    FPrefixes.push_back(std::move(entry));
}

void TPreparedList::Clear()
{
    FFileNames.clear();
    FUpperSubstrings.clear();
    FPrefixes.clear();
}

bool TPreparedList::Matches(std::wstring_view text, bool fileNameMode) const
{
    if (fileNameMode) {
        if (!FFileNames.empty() && FFileNames.contains(AsciiUpper(FileNamePart(text))))
            return true;
        if (FUpperSubstrings.empty())
            return false;
        const std::wstring upperText = LocaleUpper(text);
        for (const auto& entry : FUpperSubstrings)
            if (upperText.find(entry) != std::wstring::npos)
                return true;
        return false;
    }
    // Name mode stays a compare per entry: NORM_IGNORECASE equality has no
    // key that a hash could be built on without changing some answer.
    for (const auto& entry : FPrefixes)
        if (text.size() >= entry.size() &&
            CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.data(), static_cast<int>(entry.size()),
                           text.data(), static_cast<int>(entry.size())) == CSTR_EQUAL)
            return true;
    return false;
}
