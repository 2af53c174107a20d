// Encoding form fields for an application/x-www-form-urlencoded body.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Percent-encoding of the UTF-8 form: letters, digits and @ ' ! $ ( ) * - . _
// stay, a space becomes "+".
std::wstring EncodeFormName(std::wstring_view name);
// As a name when `charset` is "utf-8"; otherwise code page 949, byte by byte.
std::wstring EncodeFormValue(std::wstring_view value, std::wstring_view charset);
// name=value lines (or bare values) encoded and joined with "&".
std::wstring BuildFormBody(const std::vector<std::wstring>& lines, std::wstring_view charset);
