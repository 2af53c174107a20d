// GDI+ for antialiased shapes. Include this header instead of <gdiplus.h>:
// the GDI+ headers need <objidl.h> and std::min/std::max.
#pragma once

#include <windows.h>

#include <algorithm>
#include <objidl.h>
using std::max;
using std::min;
#include <gdiplus.h>

// Starts GDI+ once per process; it stays up until the process ends.
void EnsureGdiplus();
Gdiplus::Color ToGdiplusColor(COLORREF color, BYTE alpha = 255);
// A rectangle with rounded corners of the given radius.
void AddRoundRect(Gdiplus::GraphicsPath& path, const Gdiplus::RectF& rect, float radius);
