#include "TrayActions.h"

#include "test_env.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// Sets "AppData" for the test and puts the old value back.
class AppDataVariable {
public:
    explicit AppDataVariable(const wchar_t* value)
    {
        wchar_t old[MAX_PATH] = {};
        FHad = GetEnvironmentVariableW(L"AppData", old, MAX_PATH) > 0;
        FOld = old;
        SetEnvironmentVariableW(L"AppData", value);
    }
    ~AppDataVariable() { SetEnvironmentVariableW(L"AppData", FHad ? FOld.c_str() : nullptr); }

private:
    bool FHad = false;
    std::wstring FOld;
};

bool IsDirectory(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(PrepareExclusionList, FreshProfileGetsTheFolderAndAnEmptyFile)
{
    std::wstring appData = testenv::MakeTempDir(L"appdata");
    AppDataVariable variable(appData.c_str());
    std::wstring file = PrepareExclusionList();
    EXPECT_EQ(file, appData + L"\\Tidora\\NoClean.txt");
    EXPECT_TRUE(IsDirectory(appData + L"\\Tidora"));
    EXPECT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(testenv::ReadFileBytes(file), "");
}

TEST(PrepareExclusionList, ExistingFileIsLeftAsItIs)
{
    std::wstring appData = testenv::MakeTempDir(L"appdata");
    CreateDirectoryW((appData + L"\\Tidora").c_str(), nullptr);
    std::wstring file = appData + L"\\Tidora\\NoClean.txt";
    testenv::WriteFileBytes(file, "\xEF\xBB\xBFgame.exe\r\n");
    AppDataVariable variable(appData.c_str());
    EXPECT_EQ(PrepareExclusionList(), file);
    EXPECT_EQ(testenv::ReadFileBytes(file), "\xEF\xBB\xBFgame.exe\r\n");
}

TEST(PrepareExclusionList, OnlyOneFolderLevelIsMade)
{
    std::wstring missing = testenv::MakeTempDir(L"appdata") + L"\\not\\there";
    AppDataVariable variable(missing.c_str());
    std::wstring file = PrepareExclusionList();
    EXPECT_EQ(file, missing + L"\\Tidora\\NoClean.txt");
    EXPECT_FALSE(IsDirectory(missing));
    EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(PrepareExclusionList, UnsetVariableMeansTheRootOfTheCurrentDrive)
{
    // Run from the prefix's C: drive, so "\Tidora" lands inside the prefix.
    wchar_t saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\windows"));
    {
        AppDataVariable variable(nullptr);
        EXPECT_EQ(PrepareExclusionList(), L"\\Tidora\\NoClean.txt");
        EXPECT_NE(GetFileAttributesW(L"C:\\Tidora\\NoClean.txt"), INVALID_FILE_ATTRIBUTES);
    }
    DeleteFileW(L"C:\\Tidora\\NoClean.txt");
    RemoveDirectoryW(L"C:\\Tidora");
    SetCurrentDirectoryW(saved);
}

}  // namespace
