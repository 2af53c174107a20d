// Colour arithmetic of the button styles. Colours are COLORREF values
// (0x00BBGGRR), as the window API uses them.
#pragma once

#include <windows.h>

// Each channel moved toward white: c + (255 - c) * percent / 100, rounded.
COLORREF LightenColor(COLORREF color, int percent);
// The grey of equal luminance 0.299 R + 0.587 G + 0.114 B, rounded.
COLORREF LuminanceGrey(COLORREF color);
