#include "ListLoaders.h"

#include "MatchList.h"
#include "PathTokens.h"
#include "test_env.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace {

std::string Utf16(const std::wstring& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : text) {
        char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        bytes += bigEndian ? hi : lo;
        bytes += bigEndian ? lo : hi;
    }
    return bytes;
}

class ExclusionFile : public testing::Test {
protected:
    std::wstring Write(const std::string& bytes)
    {
        const std::wstring path = testenv::MakeTempDir(L"noclean") + L"\\NoClean.txt";
        testenv::WriteFileBytes(path, bytes);
        return path;
    }
    TNameList FList;
};

TEST_F(ExclusionFile, EveryEncodingAndLineEnd)
{
    const std::vector<std::wstring> expected = {L"게임.exe*", L"  padded.exe*  ", L"", L"// note", L"last"};
    const std::wstring text = L"게임.exe*\r\n  padded.exe*  \n\r// note\rlast\r\n";
    const std::pair<const char*, std::string> files[] = {
        {"UTF-8", "\xEF\xBB\xBF" "\xEA\xB2\x8C\xEC\x9E\x84.exe*\r\n  padded.exe*  \n\r// note\rlast\r\n"},
        {"UTF-16 LE", Utf16(text, false)},
        {"UTF-16 BE", Utf16(text, true)},
    };
    for (const auto& [name, bytes] : files) {
        TNameList list;
        EXPECT_EQ(LoadExclusionFile(list, Write(bytes)), TExclusionLoad::Loaded) << name;
        EXPECT_EQ(list.Items(), expected) << name;
    }
}

TEST_F(ExclusionFile, AppendsWithoutDuplicateTest)
{
    LoadListResource(FList, L"file_white");
    const size_t before = FList.Count();
    ASSERT_EQ(LoadExclusionFile(FList, Write("game.exe*\r\ngame.exe*\r\nchrome.exe*\r\n")), TExclusionLoad::Loaded);
    EXPECT_EQ(FList.Count(), before + 3);
    EXPECT_TRUE(MatchList(FList, L"D:\\Games\\GAME.EXE", true));
}

TEST_F(ExclusionFile, MissingFileIsSkipped)
{
    EXPECT_EQ(LoadExclusionFile(FList, testenv::Dir() + L"\\none\\NoClean.txt"), TExclusionLoad::Missing);
    EXPECT_EQ(FList.Count(), 0u);
}

TEST_F(ExclusionFile, FileHeldWithoutSharingIsUnreadable)
{
    const std::wstring path = Write("game.exe*\r\n");
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(LoadExclusionFile(FList, path), TExclusionLoad::Unreadable);
    CloseHandle(held);
    EXPECT_EQ(FList.Count(), 0u);
    EXPECT_EQ(LoadExclusionFile(FList, path), TExclusionLoad::Loaded);
}

TEST_F(ExclusionFile, PathTokensInExclusionLines)
{
    ASSERT_EQ(LoadExclusionFile(FList, Write("%AppData%\\Games\\\r\n")), TExclusionLoad::Loaded);
    EXPECT_TRUE(MatchList(FList, GetSpecialFolder(CSIDL_APPDATA) + L"\\Games\\x.exe", true));
}

TEST(ExclusionFilePaths, BesideTheProgramThenRoamingAppData)
{
    const auto paths = ExclusionFilePaths();
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0], testenv::BinDir() + L"\\NoClean.txt");
    EXPECT_EQ(paths[1], GetSpecialFolder(CSIDL_APPDATA) + L"\\Tidora\\NoClean.txt");
}

}  // namespace
