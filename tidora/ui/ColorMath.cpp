#include "ColorMath.h"

#include <cmath>

namespace {

// Halves round up: 127.5 becomes 128, 178.5 becomes 179.
int RoundHalfUp(double value)
{
    return static_cast<int>(std::floor(value + 0.5));
}

}  // namespace

COLORREF LightenColor(COLORREF color, int percent)
{
    auto lighten = [percent](int c) { return RoundHalfUp(c + (255 - c) * percent / 100.0); };
    return RGB(lighten(GetRValue(color)), lighten(GetGValue(color)), lighten(GetBValue(color)));
}

COLORREF LuminanceGrey(COLORREF color)
{
    int grey = RoundHalfUp(0.299 * GetRValue(color) + 0.587 * GetGValue(color) + 0.114 * GetBValue(color));
    return RGB(grey, grey, grey);
}
