// The texts of the update notice in the languages the service knows: data
// for the window that shows the notice.
#pragma once

#include <string>
#include <string_view>

// Kind 0 the message (paragraphs separated by "\r\r"), 1 the Yes caption,
// 2 the No caption, for CurrentLanguage (or the given two-letter code);
// English for any other language, empty for any other kind.
std::wstring GetUpdateText(int kind);
std::wstring GetUpdateText(int kind, std::wstring_view language);
