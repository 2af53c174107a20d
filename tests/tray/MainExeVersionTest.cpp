#include "MainExeVersion.h"

#include "test_env.h"

#include <gtest/gtest.h>

namespace {

TEST(FileVersionText, FileVersionNumbersInTheGivenFormat)
{
    // The stand-in main program: file version 3.7.3.0, product version 9.8.7.6.
    const std::wstring file = testenv::BinDir() + L"\\fakemain.exe";
    EXPECT_EQ(FileVersionText(file, L"%d.%d.%d"), L"3.7.3");
    EXPECT_EQ(FileVersionText(file, L"%d.%d.%d.%d"), L"3.7.3.0");
    EXPECT_EQ(FileVersionText(file, L"v%d-%d"), L"v3-7");
}

TEST(FileVersionText, WithoutVersionBlockAlwaysFourZeros)
{
    for (const std::wstring& file : {testenv::BinDir() + L"\\testchild.exe", testenv::BinDir() + L"\\missing.exe"}) {
        EXPECT_EQ(FileVersionText(file, L"%d.%d.%d"), L"0.0.0.0");
        EXPECT_EQ(FileVersionText(file, L"%d.%d.%d.%d"), L"0.0.0.0");
    }
}

}  // namespace
