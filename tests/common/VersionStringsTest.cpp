#include "VersionStrings.h"

#include "test_env.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

std::wstring OwnPath()
{
    wchar_t path[MAX_PATH];
    return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}

TEST(GetVersionStrings, ReadsTheFirstTranslationOnly)
{
    std::map<std::wstring, std::wstring> values;
    EXPECT_EQ(GetVersionStrings(OwnPath(), {L"ProductName", L"CompanyName", L"FileDescription"}, values), 2);
    EXPECT_EQ(values[L"ProductName"], L"타이도라 테스트");
    EXPECT_EQ(values[L"CompanyName"], L"Morvane");
}

TEST(GetVersionStrings, FilesWithoutVersionDataGiveZero)
{
    std::map<std::wstring, std::wstring> values;
    EXPECT_EQ(GetVersionStrings(testenv::Dir() + L"\\no-such-file.exe", {L"ProductName"}, values), 0);
    const std::wstring text = testenv::MakeTempDir(L"version") + L"\\plain.txt";
    testenv::WriteFileBytes(text, "not a program");
    EXPECT_EQ(GetVersionStrings(text, {L"ProductName"}, values), 0);
    EXPECT_TRUE(values.empty());
}

}  // namespace
