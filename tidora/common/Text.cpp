#include "Text.h"

#include <windows.h>

std::wstring Trim(std::wstring_view text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && text[first] <= L' ')
        ++first;
    while (last > first && text[last - 1] <= L' ')
        --last;
    return std::wstring(text.substr(first, last - first));
}

wchar_t AsciiUpper(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
}

std::wstring AsciiUpper(std::wstring_view text)
{
    std::wstring result(text);
    for (auto& c : result)
        c = AsciiUpper(c);
    return result;
}

bool AsciiEqualsIgnoreCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
}

bool AsciiStartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix)
{
    return text.size() >= prefix.size() && AsciiEqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::wstring DecodeBytes(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty())
        return {};
    int size = static_cast<int>(bytes.size());
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), n);
    return text;
}

std::string EncodeText(std::wstring_view text, unsigned codePage)
{
    if (text.empty())
        return {};
    int size = static_cast<int>(text.size());
    int n = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, bytes.data(), n, nullptr, nullptr);
    return bytes;
}

int HexDigitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

std::wstring_view FileNamePart(std::wstring_view path)
{
    size_t cut = path.find_last_of(L"\\:");
    return cut == std::wstring_view::npos ? path : path.substr(cut + 1);
}

std::vector<std::wstring> SplitLines(std::wstring_view text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + ((text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ? 2 : 1);
    }
    return lines;
}

std::optional<std::wstring> ReadResourceText(const wchar_t* name)
{
    HRSRC info = FindResourceW(nullptr, name, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!info)
        return std::nullopt;
    HGLOBAL loaded = LoadResource(nullptr, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return std::nullopt;
    std::string_view bytes(static_cast<const char*>(data), SizeofResource(nullptr, info));
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return Utf8ToWide(bytes);
}
