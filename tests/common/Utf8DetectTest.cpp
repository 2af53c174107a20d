#include "Utf8Detect.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(IsUTF8Stream, Cases)
{
    const std::pair<std::string, bool> cases[] = {
        {"plain ascii text", false},
        {"", false},
        {"\xEF\xBB\xBF", true},
        {"\xC3\xA9", true},
        {"\xC3\x41", false},
        {"\xE9\x41", false},
        {"abc \xED\x95\x9C\xEA\xB8\x80", true},        // Hangul in UTF-8
        {"abc \xC7\xD1\xB1\xDB", false},                // the same in EUC-KR
        {"\xE0\xA0\x80", true},
        {"\xE0\x80\x80", false},                        // overlong
        {"\xED\x9F\xBF", true},
        {"\xED\xA0\x80", false},                        // surrogate
        {"\xF0\x90\x80\x80", true},
        {"\xF0\x80\x80\x80", false},
        {"\xF4\x8F\xBF\xBF", true},
        {"\xF4\x90\x80\x80", false},
        {"\xF1\x80\x80\x80", true},
        {"\xC3\xA9\xA9", false},                        // run of continuation bytes too long
        {"\xC3", false},                                // cut short
        {"\xC0\x80", false},
        {"\xF5\x80\x80\x80", false},
        {"\xC3\xA9 then \xFF", true},                   // only the first sequence decides
    };
    for (const auto& [bytes, expected] : cases) {
        std::istringstream stream(bytes);
        EXPECT_EQ(IsUTF8Stream(stream), expected) << testing::PrintToString(bytes);
    }
}

TEST(IsUTF8Stream, ReadsFromThePositionAndRewinds)
{
    std::istringstream stream("\xC3\xA9" "abc");
    stream.seekg(2);
    EXPECT_FALSE(IsUTF8Stream(stream));  // only "abc" is looked at
    EXPECT_EQ(stream.tellg(), 0);
    EXPECT_TRUE(IsUTF8Stream(stream));
}

TEST(IsUTF8Stream, HonoursTheByteLimit)
{
    std::string bytes(20000, 'a');
    bytes += "\xC3\xA9";
    std::istringstream stream(bytes);
    EXPECT_FALSE(IsUTF8Stream(stream));  // beyond the first 16384 bytes
    std::istringstream shortStream("ab\xC3\xA9");
    EXPECT_FALSE(IsUTF8Stream(shortStream, 2));
    EXPECT_TRUE(IsUTF8Stream(shortStream, 4));
}

}  // namespace
