// The "Morvane" button style family: the look of the header buttons
// ("Header") and of the action buttons of the pages ("Outline").
#pragma once

#include "ButtonStyle.h"

// The program's accent colour, #3D84DD.
constexpr COLORREF AccentColor = RGB(0x3D, 0x84, 0xDD);
// The accent lightened by 10 per cent, #5090E0.
constexpr COLORREF LightAccentColor = RGB(0x50, 0x90, 0xE0);

class TMorvaneStyleFamily : public TButtonStyleFamily {
public:
    std::wstring Name() const override;
    std::vector<std::wstring> StyleClasses() const override;
    std::vector<std::wstring> Appearances() const override;
    TStyleChoice StyleForDialogResult(TModalResult result) const override;
    TButtonStyles StateStyles(std::wstring_view styleClass, std::wstring_view appearance) const override;
};

void RegisterMorvaneStyle();
