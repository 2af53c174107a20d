// The product logo, drawn from vector shapes at any size: a blue disc with
// a white sparkle and the word "Tidora". Designed at 112 x 50 pixels.
#pragma once

#include <windows.h>

constexpr int LogoWidth = 112;
constexpr int LogoHeight = 50;

// Draws the logo into `rect`; `scale` is the DPI divided by 96.
void DrawTidoraLogo(HDC dc, const RECT& rect, float scale);
