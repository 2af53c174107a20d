#include "Translation.h"

#include "Text.h"

#include <windows.h>

namespace {

const std::vector<std::wstring>& EmbeddedTable()
{
    static const std::vector<std::wstring> table = SplitLines(ReadResourceText(L"translate").value_or(L""));
    return table;
}

std::wstring& CurrentLanguageStorage()
{
    static std::wstring language = UserLanguage().substr(0, 2);
    return language;
}

// "\n" (backslash, n) in texts stands for a line break, shown as CR.
std::wstring WithLineBreaks(std::wstring_view text)
{
    std::wstring out(text);
    for (size_t at = out.find(L"\\n"); at != std::wstring::npos; at = out.find(L"\\n", at))
        out.replace(at, 2, 1, L'\r');
    return out;
}

// The text of a "code=text" line, after its first "=".
std::wstring_view TextPart(std::wstring_view line)
{
    size_t eq = line.find(L'=');
    return eq == std::wstring_view::npos ? std::wstring_view() : line.substr(eq + 1);
}

}  // namespace

std::wstring UserLanguage()
{
    wchar_t name[16] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, name, 16) <= 1)
        return L"en";
    return name;
}

const std::wstring& CurrentLanguage()
{
    return CurrentLanguageStorage();
}

void SetCurrentLanguage(const std::wstring& language)
{
    CurrentLanguageStorage() = language;
}

std::wstring Translate(std::wstring_view text, std::wstring_view language)
{
    return Translate(EmbeddedTable(), text, language.empty() ? std::wstring_view(CurrentLanguage()) : language);
}

std::wstring Translate(const std::vector<std::wstring>& table, std::wstring_view text, std::wstring_view language)
{
    if (text.empty())
        return {};

    size_t found = 0;
    while (found < table.size() && !(table[found].find(L'=') != std::wstring::npos &&
                                     AsciiEqualsIgnoreCase(TextPart(table[found]), text)))
        ++found;
    if (found == table.size())
        return WithLineBreaks(text);

    size_t first = found;
    while (first > 0 && !table[first - 1].empty())
        --first;

    for (std::wstring_view code : {language, std::wstring_view(L"en")}) {
        for (size_t i = first; i < table.size() && !table[i].empty(); ++i) {
            size_t eq = table[i].find(L'=');
            if (eq != std::wstring::npos && std::wstring_view(table[i]).substr(0, eq) == code)
                return WithLineBreaks(TextPart(table[i]));
        }
    }
    return WithLineBreaks(text);
}
