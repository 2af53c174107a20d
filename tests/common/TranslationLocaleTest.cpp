// Runs with LC_ALL=ko_KR.UTF-8: the user locale is Korean.
#include "Translation.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(UserLanguage, KoreanLocale)
{
    EXPECT_EQ(GetUserDefaultLCID(), 0x0412u);
    EXPECT_EQ(UserLanguage(), L"ko");
    EXPECT_EQ(CurrentLanguage(), L"ko");
}

}  // namespace
