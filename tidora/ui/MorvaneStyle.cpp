#include "MorvaneStyle.h"

#include "ColorMath.h"
#include "Text.h"

namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF Silver = RGB(0xC0, 0xC0, 0xC0);

// Disabled header and outline buttons fade toward white and lose their hue:
// the accent (for the border) and black (for the text) are lightened, then
// turned into the grey of the same luminance.
COLORREF FadedGrey(COLORREF color, int percent)
{
    return LuminanceGrey(LightenColor(color, percent));
}

}  // namespace

std::wstring TMorvaneStyleFamily::Name() const
{
    return L"Morvane";
}

std::vector<std::wstring> TMorvaneStyleFamily::StyleClasses() const
{
    return {L"Primary"};
}

std::vector<std::wstring> TMorvaneStyleFamily::Appearances() const
{
    return {L"Normal", L"Header", L"Outline"};
}

TStyleChoice TMorvaneStyleFamily::StyleForDialogResult(TModalResult) const
{
    return {L"Primary", L"Normal"};
}

// Only the appearance matters; the family has one class. An unknown
// appearance is drawn as "Normal".
TButtonStyles TMorvaneStyleFamily::StateStyles(std::wstring_view, std::wstring_view appearance) const
{
    TButtonStateStyle normal;
    normal.Shape = TButtonShape::RoundRect;
    normal.Border = TStyleBorder::Solid;
    normal.BorderWidth = 0;
    normal.FontBold = false;

    const bool header = AsciiEqualsIgnoreCase(appearance, L"Header");
    const bool outline = AsciiEqualsIgnoreCase(appearance, L"Outline");
    if (header) {
        normal.Fill = TStyleFill::Clear;
        normal.FillColor = White;
        normal.BorderColor = Black;
        normal.FontColor = Black;
    } else if (outline) {
        normal.Fill = TStyleFill::Clear;
        normal.FillColor = AccentColor;
        normal.BorderColor = AccentColor;
        normal.FontColor = Black;
    } else {
        normal.Fill = TStyleFill::Solid;
        normal.FillColor = AccentColor;
        normal.BorderColor = AccentColor;
        normal.FontColor = White;
    }

    TButtonStyles styles{normal, normal, normal, normal, normal};
    if (header) {
        styles.Pressed.Fill = TStyleFill::Solid;
        styles.Pressed.Border = TStyleBorder::Clear;
        styles.Pressed.FillColor = AccentColor;
        styles.Pressed.BorderColor = AccentColor;
        styles.Pressed.FontColor = White;

        styles.Selected.Fill = TStyleFill::Solid;
        styles.Selected.Border = TStyleBorder::Clear;
        styles.Selected.FillColor = LightAccentColor;
        styles.Selected.BorderColor = AccentColor;
        styles.Selected.FontColor = White;

        styles.Hot = styles.Pressed;

        styles.Disabled.BorderColor = FadedGrey(AccentColor, 50);
        styles.Disabled.FontColor = FadedGrey(Black, 50);
    } else if (outline) {
        styles.Pressed.Fill = TStyleFill::Solid;
        styles.Pressed.FontColor = White;

        styles.Selected.Fill = TStyleFill::Solid;
        styles.Selected.FillColor = LightAccentColor;
        styles.Selected.FontColor = White;

        styles.Hot = styles.Selected;

        styles.Disabled.BorderColor = FadedGrey(AccentColor, 70);
        styles.Disabled.FontColor = FadedGrey(Black, 70);
    } else {
        styles.Hot.FillColor = LightAccentColor;

        styles.Disabled.FillColor = White;
        styles.Disabled.BorderColor = Silver;
        styles.Disabled.FontColor = Silver;
        styles.Disabled.BorderWidth = 0;
    }
    return styles;
}

void RegisterMorvaneStyle()
{
    RegisterButtonStyleFamily(std::make_unique<TMorvaneStyleFamily>());
}
