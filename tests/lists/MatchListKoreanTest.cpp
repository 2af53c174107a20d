// Runs with LC_ALL=ko_KR.UTF-8: user locale Korean, ANSI code page 949.
#include "ListLoaders.h"
#include "MatchList.h"

#include "test_env.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(KoreanLocale, AnsiCodePageIs949)
{
    EXPECT_EQ(GetACP(), 949u);
}

TEST(KoreanLocale, NameModeComparesHangulPrefixes)
{
    TNameList black;
    LoadListResource(black, L"name_black");
    EXPECT_TRUE(MatchList(black, L"우리은행 보안 로그 수집기 2.0", false));
    EXPECT_TRUE(MatchList(black, L"veraport(보안모듈 관리 프로그램) g3", false));
    EXPECT_FALSE(MatchList(black, L"우리은행", false));
}

TEST(KoreanLocale, SubstringEntriesUpperCaseBeyondAscii)
{
    TNameList list;
    list.Add(L"\\ÄPFEL\\");
    EXPECT_TRUE(MatchList(list, L"C:\\äpfel\\x.exe", true));
}

TEST(KoreanLocale, Utf8WithoutMarkIsReadInTheAnsiCodePage)
{
    // "D:\게임\a.exe" written as UTF-8 without byte-order mark, then an ASCII line.
    const std::wstring path = testenv::MakeTempDir(L"noclean-ko") + L"\\NoClean.txt";
    testenv::WriteFileBytes(path, "D:\\\xEA\xB2\x8C\xEC\x9E\x84\\a.exe\r\nascii.exe*\r\n");
    TNameList list;
    ASSERT_EQ(LoadExclusionFile(list, path), TExclusionLoad::Loaded);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_NE(list.Items()[0], L"D:\\게임\\a.exe");
    EXPECT_FALSE(MatchList(list, L"D:\\게임\\a.exe", true));
    EXPECT_TRUE(MatchList(list, L"C:\\x\\ASCII.EXE", true));
}

TEST(KoreanLocale, AnsiFileInCodePage949)
{
    const std::wstring path = testenv::MakeTempDir(L"noclean-949") + L"\\NoClean.txt";
    testenv::WriteFileBytes(path, "D:\\\xB0\xD4\xC0\xD3\\a.exe\r\n");  // "게임" in code page 949
    TNameList list;
    ASSERT_EQ(LoadExclusionFile(list, path), TExclusionLoad::Loaded);
    EXPECT_TRUE(MatchList(list, L"D:\\게임\\a.exe", true));
}

}  // namespace
