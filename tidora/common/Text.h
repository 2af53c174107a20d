// Small text helpers shared by the main program: trimming, ASCII case and
// conversions between UTF-16 and byte encodings.
#pragma once

#include <string>
#include <string_view>
#include <optional>
#include <vector>

// Removes every character up to U+0020 from both ends.
std::wstring Trim(std::wstring_view text);

wchar_t AsciiUpper(wchar_t c);
std::wstring AsciiUpper(std::wstring_view text);
// Equal when only the letters A-Z and a-z differ in case; no locale rules.
bool AsciiEqualsIgnoreCase(std::wstring_view a, std::wstring_view b);
bool AsciiStartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix);

// Converts with a Windows code page (CP_UTF8, CP_ACP, 949 ...); invalid
// sequences become U+FFFD as MultiByteToWideChar makes them.
std::wstring DecodeBytes(std::string_view bytes, unsigned codePage);
std::string EncodeText(std::wstring_view text, unsigned codePage);
inline std::wstring Utf8ToWide(std::string_view bytes) { return DecodeBytes(bytes, 65001); }
inline std::string WideToUtf8(std::wstring_view text) { return EncodeText(text, 65001); }

// Value of a hexadecimal digit, or -1 for any other character.
int HexDigitValue(wchar_t c);

// The part after the last "\" or ":".
std::wstring_view FileNamePart(std::wstring_view path);

// Splits at CR LF, LF or CR. A final line break does not start another line.
std::vector<std::wstring> SplitLines(std::wstring_view text);

// Text of an RCDATA resource of the program's own module, decoded as UTF-8
// (a byte-order mark skipped). Empty optional when it cannot be found or read.
std::optional<std::wstring> ReadResourceText(const wchar_t* name);
