#include "ListLoaders.h"

#include <gtest/gtest.h>

namespace {

// The defaults are embedded in this test program exactly as in Tidora.exe.
TEST(LoadListResource, EmbeddedDefaults)
{
    TNameList fileWhite, nameWhite, nameBlack;
    LoadListResource(fileWhite, L"file_white");
    LoadListResource(nameWhite, L"NAME_WHITE");  // resource names ignore case
    LoadListResource(nameBlack, L"name_black");

    ASSERT_EQ(fileWhite.Count(), 266u);
    EXPECT_EQ(fileWhite.Items().front(), L"WmiPrvSE.exe*");  // no byte-order mark left
    EXPECT_EQ(fileWhite.Items()[198], L"ZeroConfigService.exe*");
    EXPECT_EQ(fileWhite.Items()[199], L"%ProgramFiles%\\AhnLab\\Safe Transaction\\Nz32\\StSess32.exe");
    EXPECT_EQ(fileWhite.Items().back(), L"%SystemRoot%\\SYSWOW64\\TUCTLSystem.exe");
    EXPECT_TRUE(fileWhite.Contains(L"tidoraservice.exe*"));
    for (size_t i = 0; i < 199; ++i)
        EXPECT_EQ(fileWhite.Items()[i].back(), L'*') << i;
    for (size_t i = 199; i < 266; ++i)
        EXPECT_EQ(fileWhite.Items()[i][0], L'%') << i;

    ASSERT_EQ(nameWhite.Count(), 84u);
    EXPECT_TRUE(nameWhite.Contains(L"Tidora"));
    EXPECT_EQ(nameWhite.Items()[10], L"");
    EXPECT_EQ(nameWhite.Items()[11], L"AudioEndpointBuilder");
    EXPECT_EQ(nameWhite.Items().back(), L"WSLService");

    ASSERT_EQ(nameBlack.Count(), 37u);
    EXPECT_EQ(nameBlack.Items()[3], L"우리은행 보안 로그 수집기");
    EXPECT_EQ(nameBlack.Items().back(), L"MaWebSAFER_STDEP(remove only)");
}

TEST(LoadListResource, MissingResourceLeavesTheListAsItWas)
{
    TNameList list;
    list.Add(L"keep.exe*");
    LoadListResource(list, L"no_such_list");
    EXPECT_EQ(list.Items(), std::vector<std::wstring>{L"keep.exe*"});
}

TEST(LoadListResource, ReplacesTheContents)
{
    TNameList list;
    list.Add(L"old.exe*");
    LoadListResource(list, L"name_black");
    EXPECT_FALSE(list.Contains(L"old.exe*"));
    EXPECT_EQ(list.Count(), 37u);
}

}  // namespace
