#include "ActivityIndicator.h"
#include "HtmlLabel.h"
#include "TestForm.h"

#include <gtest/gtest.h>

namespace {

TEST(ActivityIndicator, TurnsOnlyWhileShownAndAnimating)
{
    TTestForm form;
    auto* indicator = new TActivityIndicator(&form, &form, L"Indicator");
    indicator->SetBounds(10, 10, 32, 32);
    EXPECT_FALSE(indicator->Spinning());
    indicator->SetAnimate(true);
    EXPECT_TRUE(indicator->Spinning());
    indicator->SetVisible(false);
    EXPECT_FALSE(indicator->Spinning()) << "hidden: the timer stops";
    indicator->SetVisible(true);
    EXPECT_TRUE(indicator->Spinning());
    indicator->SetAnimate(false);
    EXPECT_FALSE(indicator->Spinning());
}

TEST(HtmlLabel, WindowTextIsThePlainText)
{
    TTestForm form;
    auto* label = new THtmlLabel(&form, &form, L"LblContent");
    label->SetBounds(0, 0, 200, 30);
    const std::wstring html = L"<C><FC:clGray>윈도우 필수 프로그램만 남기고 <B>종료</B>합니다.</FC></C>";
    label->SetCaption(html);
    EXPECT_EQ(label->Caption(), html);
    EXPECT_EQ(label->Text(), L"윈도우 필수 프로그램만 남기고 종료합니다.");
}

// The form takes the system's icon-title font and follows its changes.
TEST(DesktopFont, FollowsTheSystemFont)
{
    LOGFONTW original{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(original), &original, 0));
    TTestForm form;
    form.UseDesktopFont();
    auto height = [&form] {
        LOGFONTW font{};
        GetObjectW(form.Font(), sizeof(font), &font);
        return font.lfHeight;
    };
    const LONG before = height();
    EXPECT_EQ(before, IconTitleFont(form.Dpi()).lfHeight);

    LOGFONTW bigger = original;
    bigger.lfHeight = original.lfHeight < 0 ? original.lfHeight - 9 : -25;
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof(bigger), &bigger, 0));
    SendMessageW(form.Handle(), WM_SETTINGCHANGE, SPI_SETICONTITLELOGFONT, 0);
    const LONG during = height();
    const LONG expected = IconTitleFont(form.Dpi()).lfHeight;

    SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof(original), &original, 0);
    SendMessageW(form.Handle(), WM_SETTINGCHANGE, SPI_SETICONTITLELOGFONT, 0);
    EXPECT_EQ(during, expected);
    EXPECT_NE(during, before);
    EXPECT_EQ(height(), before) << "and back";
}

}  // namespace
