// Page texts pass through Translate, which looks them up in the optional
// "translate" table embedded in the program (blocks of "code=text" lines).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The user's language: ISO 639 name of the user default locale, or "en".
std::wstring UserLanguage();
// Two-letter code used when Translate is given no language.
const std::wstring& CurrentLanguage();
void SetCurrentLanguage(const std::wstring& language);

// `language` empty means CurrentLanguage().
std::wstring Translate(std::wstring_view text, std::wstring_view language = L"");
// The same lookup over a given table (the embedded one is read once).
std::wstring Translate(const std::vector<std::wstring>& table, std::wstring_view text, std::wstring_view language);
