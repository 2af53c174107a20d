#include "JsonText.h"

#include <gtest/gtest.h>

namespace {

struct BetweenCase {
    const wchar_t* text;
    const wchar_t* start;
    const wchar_t* end;
    bool keep;
    const wchar_t* expected;
};

TEST(TextBetween, Cases)
{
    const BetweenCase cases[] = {
        {L"{\"pk\":\"42\",\"x\":\"y\"}", L"\"pk\":\"", L"\"", false, L"42"},
        {L"{\"PK\":\"42\"}", L"\"pk\":\"", L"\"", false, L"42"},  // markers compare in ASCII case
        {L"{\"pk\":\"42\"}", L"\"nope\":\"", L"\"", false, L""},
        {L"{\"pk\":\"42}", L"\"pk\":\"", L"\"", false, L""},        // end marker missing
        {L"abc<b>x</b>", L"", L"<b>", false, L"abc"},
        {L"abc<b>x</b>", L"<b>", L"", false, L"x</b>"},
        {L"{\"u\":\"a\\\"b\",\"c\":\"d\"}", L"\"u\":\"", L"\"", false, L"a\\\"b"},  // escaped quote
        // A value that ends in an escaped backslash runs to the next quote.
        {L"{\"u\":\"a\\\\\",\"c\":\"d\"}", L"\"u\":\"", L"\"", false, L"a\\\\\","},
        {L"x<b>val</b>", L"<b>", L"</b>", true, L"<b>val</b>"},
        {L"x<B>val</B>", L"<b>", L"</b>", true, L"<b>val</b>"},  // markers as passed
        {L"x<b> </b>", L"<b>", L"</b>", true, L" "},             // blank value: no markers
        {L"\uD55C\uAE00=\"\uAC12\"", L"\uD55C\uAE00=\"", L"\"", false, L"\uAC12"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextBetween(c.text, c.start, c.end, c.keep), c.expected) << c.text;
}

TEST(JSONEscape, Cases)
{
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"\uD55C", L"\\uD55C"},
        {L"\t", L"\\t"},
        {L"\x7F", L"\x7F"},
        {L"a\"b/c\\d", L"a\\\"b\\/c\\\\d"},
        {L"\b\f\n\r", L"\\b\\f\\n\\r"},
        {std::wstring(1, L'\x01') + L"\x1F", L"\\u0001\\u001F"},
        {L"\x80\xFF", L"\\u0080\\u00FF"},
        {L"\U0001F600", L"\\uD83D\\uDE00"},
        {L"C:\\Windows\\x.exe", L"C:\\\\Windows\\\\x.exe"},
        {L"", L""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(JSONEscape(text), expected);
}

TEST(JSONUnescape, Cases)
{
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"\\q", L""},
        {L"\\u0041", L"A"},
        {L"\\uD55C\\uae00", L"\uD55C\uAE00"},
        {L"a\\\"b\\'c\\/d\\\\e", L"a\"b'c/d\\e"},
        {L"\\b\\f\\n\\r\\t", L"\b\f\n\r\t"},
        {L"end\\", L"end"},
        {L"https:\\/\\/x.test\\/a", L"https://x.test/a"},
        // Not four hexadecimal digits: nothing is added, four characters are consumed.
        {L"\\uZZZZrest", L"rest"},
        {L"\\u12G4rest", L"rest"},
        {L"\\u00", L""},
        {L"a\\u", L"a"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(JSONUnescape(text), expected) << text;
}

TEST(JSONEscape, RoundTripsThroughUnescape)
{
    const std::wstring text = L"\"타이도라\" C:\\Program Files\\x.exe\t/\x01\U0001F600";
    EXPECT_EQ(JSONUnescape(JSONEscape(text)), text);
}

}  // namespace
