#include "ColorMath.h"
#include "MorvaneStyle.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

constexpr COLORREF Accent = RGB(0x3D, 0x84, 0xDD);
constexpr COLORREF Light = RGB(0x50, 0x90, 0xE0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF Silver = RGB(0xC0, 0xC0, 0xC0);

using F = TStyleFill;
using B = TStyleBorder;

struct TStateRow {
    const wchar_t* Appearance;
    TButtonState State;
    TStyleFill Fill;
    COLORREF FillColor;
    TStyleBorder Border;
    COLORREF BorderColor;
    COLORREF FontColor;
};

// Every state of every appearance, as the style family must answer them.
const TStateRow StateRows[] = {
    {L"Normal", TButtonState::Normal, F::Solid, Accent, B::Solid, Accent, White},
    {L"Normal", TButtonState::Pressed, F::Solid, Accent, B::Solid, Accent, White},
    {L"Normal", TButtonState::Selected, F::Solid, Accent, B::Solid, Accent, White},
    {L"Normal", TButtonState::Hot, F::Solid, Light, B::Solid, Accent, White},
    {L"Normal", TButtonState::Disabled, F::Solid, White, B::Solid, Silver, Silver},
    {L"Header", TButtonState::Normal, F::Clear, White, B::Solid, Black, Black},
    {L"Header", TButtonState::Pressed, F::Solid, Accent, B::Clear, Accent, White},
    {L"Header", TButtonState::Selected, F::Solid, Light, B::Clear, Accent, White},
    {L"Header", TButtonState::Hot, F::Solid, Accent, B::Clear, Accent, White},
    {L"Header", TButtonState::Disabled, F::Clear, White, B::Solid, RGB(0xBC, 0xBC, 0xBC), RGB(0x80, 0x80, 0x80)},
    {L"Outline", TButtonState::Normal, F::Clear, Accent, B::Solid, Accent, Black},
    {L"Outline", TButtonState::Pressed, F::Solid, Accent, B::Solid, Accent, White},
    {L"Outline", TButtonState::Selected, F::Solid, Light, B::Solid, Accent, White},
    {L"Outline", TButtonState::Hot, F::Solid, Light, B::Solid, Accent, White},
    {L"Outline", TButtonState::Disabled, F::Clear, Accent, B::Solid, RGB(0xD7, 0xD7, 0xD7), RGB(0xB3, 0xB3, 0xB3)},
};

void PrintTo(const TStateRow& row, std::ostream* out)
{
    static const char* const states[] = {"Normal", "Pressed", "Selected", "Hot", "Disabled"};
    std::wstring appearance = row.Appearance;
    *out << std::string(appearance.begin(), appearance.end()) << "/" << states[static_cast<int>(row.State)];
}

class MorvaneStates : public testing::TestWithParam<TStateRow> {};

TEST_P(MorvaneStates, AnswerTheAttributesOfEachState)
{
    const TStateRow& row = GetParam();
    const TButtonStateStyle style = TMorvaneStyleFamily().StateStyles(L"Primary", row.Appearance).ForState(row.State);
    EXPECT_EQ(style.Shape, TButtonShape::RoundRect);
    EXPECT_EQ(style.Fill, row.Fill);
    EXPECT_EQ(style.FillColor, row.FillColor);
    EXPECT_EQ(style.Border, row.Border);
    EXPECT_EQ(style.BorderColor, row.BorderColor);
    EXPECT_EQ(style.BorderWidth, 0);
    EXPECT_EQ(style.FontColor, row.FontColor);
    EXPECT_FALSE(style.FontBold);
}

INSTANTIATE_TEST_SUITE_P(EveryAppearance, MorvaneStates, testing::ValuesIn(StateRows));

TEST(MorvaneStyle, DescribesItself)
{
    TMorvaneStyleFamily family;
    EXPECT_EQ(family.Name(), L"Morvane");
    EXPECT_EQ(family.StyleClasses(), std::vector<std::wstring>{L"Primary"});
    EXPECT_EQ(family.Appearances(), (std::vector<std::wstring>{L"Normal", L"Header", L"Outline"}));
}

TEST(MorvaneStyle, IsFoundAfterRegistrationIgnoringCase)
{
    RegisterMorvaneStyle();
    const TButtonStyleFamily* family = FindButtonStyleFamily(L"MORVANE");
    ASSERT_NE(family, nullptr);
    EXPECT_EQ(family->Name(), L"Morvane");
    EXPECT_EQ(FindButtonStyleFamily(L"Other"), nullptr);
}

TEST(MorvaneStyle, AnswersPrimaryNormalForEveryDialogResult)
{
    TMorvaneStyleFamily family;
    for (int result = static_cast<int>(TModalResult::None); result <= static_cast<int>(TModalResult::All); ++result) {
        TStyleChoice choice = family.StyleForDialogResult(static_cast<TModalResult>(result));
        EXPECT_EQ(choice.StyleClass, L"Primary") << result;
        EXPECT_EQ(choice.Appearance, L"Normal") << result;
    }
}

TEST(MorvaneStyle, ConsultsOnlyTheAppearance)
{
    TMorvaneStyleFamily family;
    for (const wchar_t* appearance : {L"Normal", L"Header", L"Outline"}) {
        TButtonStyles primary = family.StateStyles(L"Primary", appearance);
        TButtonStyles other = family.StateStyles(L"Anything", appearance);
        EXPECT_EQ(primary.Normal, other.Normal) << appearance;
        EXPECT_EQ(primary.Disabled, other.Disabled) << appearance;
    }
    // Appearance names are matched without regard to case.
    EXPECT_EQ(family.StateStyles(L"Primary", L"outline").Pressed, family.StateStyles(L"Primary", L"Outline").Pressed);
}

struct TFadeRow {
    COLORREF Color;
    int Percent;
    COLORREF Lightened;
    COLORREF Grey;
};

// The disabled colours come from the accent and from black, lightened and
// then made grey; halves round up (127.5 -> 128, 178.5 -> 179).
TEST(ColorMath, LightensAndTurnsGreyAsTheDisabledColoursNeed)
{
    const TFadeRow rows[] = {
        {Accent, 50, RGB(158, 194, 238), RGB(0xBC, 0xBC, 0xBC)},
        {Black, 50, RGB(128, 128, 128), RGB(0x80, 0x80, 0x80)},
        {Accent, 70, RGB(197, 218, 245), RGB(0xD7, 0xD7, 0xD7)},
        {Black, 70, RGB(179, 179, 179), RGB(0xB3, 0xB3, 0xB3)},
        {Accent, 10, Light, LuminanceGrey(Light)},
        {White, 30, White, White},
        {Accent, 0, Accent, LuminanceGrey(Accent)},
        {Accent, 100, White, White},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(LightenColor(row.Color, row.Percent), row.Lightened) << row.Percent;
        EXPECT_EQ(LuminanceGrey(LightenColor(row.Color, row.Percent)), row.Grey) << row.Percent;
    }
}

TEST(ColorMath, LuminanceWeighsGreenMost)
{
    EXPECT_EQ(LuminanceGrey(RGB(255, 0, 0)), RGB(76, 76, 76));
    EXPECT_EQ(LuminanceGrey(RGB(0, 255, 0)), RGB(150, 150, 150));
    EXPECT_EQ(LuminanceGrey(RGB(0, 0, 255)), RGB(29, 29, 29));
}

}  // namespace
