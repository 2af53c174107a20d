#include "JsonText.h"

#include "Text.h"

namespace {

bool IsQuoteMarker(std::wstring_view marker)
{
    return marker == L"\"" || marker == L"'" || marker == L"\"'" || marker == L"'\"";
}

}  // namespace

std::wstring TextBetween(std::wstring_view text, std::wstring_view startMarker, std::wstring_view endMarker,
                         bool keepMarkers)
{
    // Search an ASCII upper-cased copy: positions in it stay positions in
    // the text itself.
    std::wstring copy = AsciiUpper(text);
    const std::wstring start = AsciiUpper(startMarker);
    const std::wstring end = AsciiUpper(endMarker);

    // An escaped quote inside a JSON string must not end the value: mask
    // every backslash + end marker with backslashes (the length stays).
    if (IsQuoteMarker(end)) {
        for (size_t i = 0; i + end.size() < copy.size();) {
            if (copy[i] == L'\\' && copy.compare(i + 1, end.size(), end) == 0) {
                for (size_t k = 0; k < end.size(); ++k)
                    copy[i + 1 + k] = L'\\';
                i += 1 + end.size();
            } else {
                ++i;
            }
        }
    }

    size_t from = 0;
    if (!start.empty()) {
        size_t at = copy.find(start);
        if (at == std::wstring::npos)
            return {};
        from = at + start.size();
    }
    size_t to = copy.size();
    if (!end.empty()) {
        to = copy.find(end, from);
        if (to == std::wstring::npos)
            return {};
    }

    std::wstring value(text.substr(from, to - from));
    if (keepMarkers && !Trim(value).empty())
        return std::wstring(startMarker) + value + std::wstring(endMarker);
    return value;
}

std::wstring JSONEscape(std::wstring_view text)
{
    static const wchar_t hex[] = L"0123456789ABCDEF";
    std::wstring out;
    out.reserve(text.size() + 8);
    for (wchar_t c : text) {
        switch (c) {
        case L'"': out += L"\\\""; break;
        case L'/': out += L"\\/"; break;
        case L'\\': out += L"\\\\"; break;
        case 0x08: out += L"\\b"; break;
        case 0x09: out += L"\\t"; break;
        case 0x0A: out += L"\\n"; break;
        case 0x0C: out += L"\\f"; break;
        case 0x0D: out += L"\\r"; break;
        default:
            if (c < 0x20 || c >= 0x80) {
                out += L"\\u";
                for (int shift = 12; shift >= 0; shift -= 4)
                    out += hex[(c >> shift) & 0xF];
            } else {
                out += c;
            }
        }
    }
    return out;
}

// Answers come from the network: a "\u" without four hexadecimal digits
// adds nothing (its four characters are consumed) instead of failing.
std::wstring JSONUnescape(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            break;
        switch (wchar_t c = text[i]) {
        case L'"':
        case L'\'':
        case L'/':
        case L'\\': out += c; break;
        case L'b': out += wchar_t(0x08); break;
        case L'f': out += wchar_t(0x0C); break;
        case L'n': out += wchar_t(0x0A); break;
        case L'r': out += wchar_t(0x0D); break;
        case L't': out += wchar_t(0x09); break;
        case L'u': {
            std::wstring_view digits = text.substr(i + 1, 4);
            int value = digits.size() == 4 ? 0 : -1;
            for (wchar_t d : digits) {
                int v = HexDigitValue(d);
                value = (value < 0 || v < 0) ? -1 : value * 16 + v;
            }
            if (value >= 0)
                out += static_cast<wchar_t>(value);
            i += digits.size();
            break;
        }
        default: break;  // unknown escape: dropped with its backslash
        }
    }
    return out;
}
