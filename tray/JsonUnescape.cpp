#include "JsonUnescape.h"

namespace {

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

}  // namespace

// A backslash combines with the character after it. "\u" takes the next four
// characters as one UTF-16 code unit; a zero value or characters that are not
// four hexadecimal digits add nothing, and the four are consumed either way.
// An unknown escape, or a backslash at the end, is dropped with its character.
std::wstring UnescapeJsonText(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        wchar_t c = text[i++];
        if (c != L'\\') {
            out += c;
            continue;
        }
        if (i >= text.size())
            break;
        wchar_t escaped = text[i++];
        switch (escaped) {
        case L'"':
        case L'\'':
        case L'/':
        case L'\\':
            out += escaped;
            break;
        case L'b': out += L'\b'; break;
        case L'f': out += L'\f'; break;
        case L'n': out += L'\n'; break;
        case L'r': out += L'\r'; break;
        case L't': out += L'\t'; break;
        case L'u': {
            std::wstring_view digits = text.substr(i, 4);
            i += digits.size();
            unsigned value = 0;
            bool valid = digits.size() == 4;
            for (wchar_t d : digits) {
                int digit = HexDigit(d);
                if (digit < 0)
                    valid = false;
                value = value * 16 + static_cast<unsigned>(digit < 0 ? 0 : digit);
            }
            if (valid && value != 0)
                out += static_cast<wchar_t>(value);
            break;
        }
        default:
            break;
        }
    }
    return out;
}
