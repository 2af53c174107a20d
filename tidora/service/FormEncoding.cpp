#include "FormEncoding.h"

#include "Text.h"

namespace {

void AppendEscaped(std::wstring& out, unsigned char byte)
{
    static const wchar_t hex[] = L"0123456789ABCDEF";
    out += L'%';
    out += hex[byte >> 4];
    out += hex[byte & 0xF];
}

bool KeptInUtf8Form(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("@'!$()*-._").find(static_cast<char>(c)) != std::string_view::npos;
}

// The Korean code page form escapes these ASCII characters and every byte
// of a double-byte character; everything else goes as it is.
bool EscapedInKoreanForm(unsigned char c)
{
    return c >= 0x80 || std::string_view(" @\"'.=`!#$%^&*(){}_+|\\/?:").find(static_cast<char>(c)) !=
                            std::string_view::npos;
}

}  // namespace

std::wstring EncodeFormName(std::wstring_view name)
{
    std::wstring out;
    for (char ch : WideToUtf8(name)) {
        auto c = static_cast<unsigned char>(ch);
        if (c == ' ')
            out += L'+';
        else if (KeptInUtf8Form(c))
            out += static_cast<wchar_t>(c);
        else
            AppendEscaped(out, c);
    }
    return out;
}

std::wstring EncodeFormValue(std::wstring_view value, std::wstring_view charset)
{
    if (charset == L"utf-8")
        return EncodeFormName(value);
    std::wstring out;
    for (char ch : EncodeText(value, 949)) {
        auto c = static_cast<unsigned char>(ch);
        if (EscapedInKoreanForm(c))
            AppendEscaped(out, c);
        else
            out += static_cast<wchar_t>(c);
    }
    return out;
}

std::wstring BuildFormBody(const std::vector<std::wstring>& lines, std::wstring_view charset)
{
    std::wstring body;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            body += L'&';
        const std::wstring& line = lines[i];
        size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) {
            body += EncodeFormValue(line, charset);
        } else {
            body += EncodeFormName(std::wstring_view(line).substr(0, equals));
            body += L'=';
            body += EncodeFormValue(std::wstring_view(line).substr(equals + 1), charset);
        }
    }
    return body;
}
