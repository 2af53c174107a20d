// Button style families: named sets of colour rules that styled buttons
// apply. A button names its family, a style class and an appearance; the
// family answers with the attributes of the five button states.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TButtonShape { Rectangle, RoundRect };
enum class TStyleFill { Clear, Solid };
enum class TStyleBorder { Clear, Solid };

struct TButtonStateStyle {
    TButtonShape Shape = TButtonShape::RoundRect;
    TStyleFill Fill = TStyleFill::Clear;
    COLORREF FillColor = RGB(255, 255, 255);
    TStyleBorder Border = TStyleBorder::Solid;
    COLORREF BorderColor = RGB(0, 0, 0);
    int BorderWidth = 0;  // 0 is a hairline
    COLORREF FontColor = RGB(0, 0, 0);
    bool FontBold = false;

    bool operator==(const TButtonStateStyle&) const = default;
};

enum class TButtonState { Normal, Pressed, Selected, Hot, Disabled };

struct TButtonStyles {
    TButtonStateStyle Normal, Pressed, Selected, Hot, Disabled;

    const TButtonStateStyle& ForState(TButtonState state) const;
};

// The answers a dialog button can stand for.
enum class TModalResult { None, Ok, Cancel, Abort, Retry, Ignore, Yes, No, Close, Help, TryAgain, Continue, YesToAll, NoToAll, All };

struct TStyleChoice {
    std::wstring StyleClass;
    std::wstring Appearance;
};

class TButtonStyleFamily {
public:
    virtual ~TButtonStyleFamily() = default;
    virtual std::wstring Name() const = 0;
    virtual std::vector<std::wstring> StyleClasses() const = 0;
    virtual std::vector<std::wstring> Appearances() const = 0;
    virtual TStyleChoice StyleForDialogResult(TModalResult result) const = 0;
    virtual TButtonStyles StateStyles(std::wstring_view styleClass, std::wstring_view appearance) const = 0;
};

// Registration happens once at start-up, before any window exists.
void RegisterButtonStyleFamily(std::unique_ptr<TButtonStyleFamily> family);
// The family registered under `name` (ignoring ASCII case), or nullptr.
const TButtonStyleFamily* FindButtonStyleFamily(std::wstring_view name);
