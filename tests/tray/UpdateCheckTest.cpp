#include "JsonUnescape.h"
#include "UpdateCheck.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(UnescapeJsonText, Cases)
{
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"https:\\/\\/x.test\\/a.exe", L"https://x.test/a.exe"},
        {L"a\\\"b\\'c\\/d\\\\e", L"a\"b'c/d\\e"},
        {L"\\b\\f\\n\\r\\t", L"\b\f\n\r\t"},
        {L"\\u0041", L"A"},
        {L"\\uD55C\\uae00", L"\uD55C\uAE00"},
        {L"x\\u0000y", L"xy"},           // a zero adds nothing
        {L"\\uZZZZrest", L"rest"},       // not hexadecimal: nothing, four consumed
        {L"\\u12G4rest", L"rest"},
        {L"\\u12", L""},                 // what is left is consumed
        {L"\\q", L""},                   // unknown escape: both dropped
        {L"end\\", L"end"},              // backslash at the end: dropped
        {L"plain", L"plain"},
        {L"", L""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(UnescapeJsonText(text), expected) << std::string(text.begin(), text.end());
}

TEST(UpdateAddressFromAnswer, Cases)
{
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"{\"update\":\"https:\\/\\/dl.test\\/TidoraSetup.exe\"}", L"https://dl.test/TidoraSetup.exe"},
        {L"{\"info\":\"x\",\"update\":\"http://dl.test/a\",\"update\":\"https://second\"}", L"http://dl.test/a"},
        {L"{\"update\":\"\"}", L""},
        {L"{\"Update\":\"https://dl.test/a\"}", L""},                        // exact case only
        {L"{\"update\": \"https://dl.test/a\"}", L""},                       // exactly ":\"" after the key
        {L"{\"update\":\"https://dl.test/a", L""},                           // no closing quote
        {L"{\"update\":\"https://dl.test/\\u0041\"}", L"https://dl.test/A"},
        // The value ends at the first quote, escaped or not; the lone backslash is dropped.
        {L"{\"update\":\"https://dl.test/a\\\"b\"}", L"https://dl.test/a"},
        {L"<html><body>502 Bad Gateway</body></html>", L""},
        {L"", L""},
        // Only web addresses count as an update.
        {L"{\"update\":\"HTTPS://DL.TEST/A\"}", L"HTTPS://DL.TEST/A"},
        {L"{\"update\":\"C:\\\\Windows\\\\System32\\\\calc.exe\"}", L""},
        {L"{\"update\":\"file:\\/\\/\\/C:\\/x.exe\"}", L""},
        {L"{\"update\":\"javascript:alert(1)\"}", L""},
        {L"{\"update\":\"ftp://dl.test/a\"}", L""},
        {L"{\"update\":\" https://dl.test/a\"}", L""},
        {L"{\"update\":\"https:\"}", L""},
    };
    for (const auto& [answer, expected] : cases)
        EXPECT_EQ(UpdateAddressFromAnswer(answer), expected) << std::string(answer.begin(), answer.end());
}

TEST(UpdateRequestHeaders, ThreeLinesSeparatedByOneCarriageReturn)
{
    EXPECT_EQ(UpdateRequestHeaders(L"3.7.3.0", L"ID42"),
              L"User-Version: 3.7.3.0\rUser-Debug: false\rUser-Union: ID42");
    EXPECT_EQ(UpdateRequestHeaders(L"0.0.0.0", L""), L"User-Version: 0.0.0.0\rUser-Debug: false\rUser-Union: ");
}

}  // namespace
