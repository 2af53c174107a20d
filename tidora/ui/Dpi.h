// Sizes are designed at 96 dots per inch and scaled to the DPI of the
// monitor a window is on (per-monitor awareness, version 2).
#pragma once

#include <windows.h>

constexpr UINT DesignDpi = 96;
// WM_DPICHANGED, which the Vista-level headers do not declare.
constexpr UINT DpiChangedMessage = 0x02E0;

// `value` pixels at 96 dpi scaled to `dpi`, rounded to the nearest pixel.
int ScaleForDpi(int value, UINT dpi);
UINT GetSystemDpi();
UINT GetWindowDpi(HWND window);
UINT GetMonitorDpi(HMONITOR monitor);
// The window rectangle (origin 0, 0) whose client area is width x height.
RECT WindowRectForClient(int width, int height, DWORD style, DWORD exStyle, UINT dpi);
// The system's icon-title font, sized for `dpi`.
LOGFONTW IconTitleFont(UINT dpi);
