#include "Translation.h"

#include <gtest/gtest.h>

namespace {

// This test program embeds a "translate" table (translate_test.txt):
//   ko=안녕하세요 / en=Hello / ja=こんにちは
//   ko=닫기 / en=Close\nnow
//   ko=두번째 / en=Hello
TEST(Translate, FindsAMessageThroughAnyOfItsLanguages)
{
    EXPECT_EQ(Translate(L"안녕하세요", L"ja"), L"こんにちは");
    EXPECT_EQ(Translate(L"hello", L"ko"), L"안녕하세요");  // ASCII case ignored; the first block wins
    EXPECT_EQ(Translate(L"HELLO", L"ja"), L"こんにちは");
}

TEST(Translate, FallsBackToEnglish)
{
    EXPECT_EQ(Translate(L"닫기", L"ja"), L"Close\rnow");
    EXPECT_EQ(Translate(L"두번째", L"de"), L"Hello");
}

TEST(Translate, UnknownTextsComeBackWithLineBreaks)
{
    EXPECT_EQ(Translate(L"line one\\nline two", L"ko"), L"line one\rline two");
    EXPECT_EQ(Translate(L"", L"ko"), L"");
    EXPECT_EQ(Translate(L"없는 말", L"ko"), L"없는 말");
}

TEST(Translate, EmptyTableChangesOnlyLineBreaks)
{
    const std::vector<std::wstring> empty;
    EXPECT_EQ(Translate(empty, L"a\\nb\\n", L"en"), L"a\rb\r");
    EXPECT_EQ(Translate(empty, L"plain", L"en"), L"plain");
}

TEST(Translate, LanguageCodesCompareExactly)
{
    const std::vector<std::wstring> table = {L"KO=대문자", L"en=Upper", L"", L"ko=소문자", L"en=Lower"};
    EXPECT_EQ(Translate(table, L"Upper", L"ko"), L"Upper");  // "KO" is not "ko": English line
    EXPECT_EQ(Translate(table, L"lower", L"ko"), L"소문자");
}

TEST(Translate, TheFirstEqualSignSeparatesCodeAndText)
{
    const std::vector<std::wstring> table = {L"ko=a=b", L"en=x=y"};
    EXPECT_EQ(Translate(table, L"x=y", L"ko"), L"a=b");
}

TEST(CurrentLanguage, UsesTheDefaultWhenNoLanguageIsGiven)
{
    const std::wstring saved = CurrentLanguage();
    SetCurrentLanguage(L"ja");
    EXPECT_EQ(Translate(L"Hello"), L"こんにちは");
    SetCurrentLanguage(saved);
}

TEST(UserLanguage, CLocaleIsEnglish)
{
    EXPECT_EQ(UserLanguage(), L"en");
    EXPECT_EQ(CurrentLanguage(), L"en");
}

}  // namespace
