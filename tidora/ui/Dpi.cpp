#include "Dpi.h"

#include "SystemProc.h"
#include "Win32Handles.h"

namespace {

using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiProc = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiProc = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

// MONITOR_DPI_TYPE's MDT_EFFECTIVE_DPI: the DPI the user chose for the
// monitor, which is what windows are scaled by.
constexpr int EffectiveDpi = 0;

}  // namespace

int ScaleForDpi(int value, UINT dpi)
{
    return MulDiv(value, static_cast<int>(dpi), static_cast<int>(DesignDpi));
}

UINT GetSystemDpi()
{
    TWindowDCScope screen(nullptr);
    int dpi = screen ? GetDeviceCaps(screen.DC(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : DesignDpi;
}

// GetDpiForWindow exists from Windows 10 version 1607; before it every
// window has the system DPI.
UINT GetWindowDpi(HWND window)
{
    static const auto getDpiForWindow = LoadSystemProc<GetDpiForWindowProc>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow && window) {
        UINT dpi = getDpiForWindow(window);
        if (dpi)
            return dpi;
    }
    return GetSystemDpi();
}

UINT GetMonitorDpi(HMONITOR monitor)
{
    static const auto getDpiForMonitor = LoadSystemProc<GetDpiForMonitorProc>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (getDpiForMonitor && monitor && SUCCEEDED(getDpiForMonitor(monitor, EffectiveDpi, &x, &y)) && x)
        return x;
    return GetSystemDpi();
}

RECT WindowRectForClient(int width, int height, DWORD style, DWORD exStyle, UINT dpi)
{
    static const auto adjustForDpi =
        LoadSystemProc<AdjustWindowRectExForDpiProc>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT rect{0, 0, width, height};
    if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    OffsetRect(&rect, -rect.left, -rect.top);
    return rect;
}

LOGFONTW IconTitleFont(UINT dpi)
{
    static const auto forDpi =
        LoadSystemProc<SystemParametersInfoForDpiProc>(L"user32.dll", "SystemParametersInfoForDpi");
    LOGFONTW font{};
    if (forDpi && forDpi(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0, dpi))
        return font;
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0)) {
        // The plain call answers for the system DPI.
        font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(GetSystemDpi()));
        return font;
    }
    font.lfHeight = -ScaleForDpi(12, dpi);
    lstrcpynW(font.lfFaceName, L"Segoe UI", LF_FACESIZE);
    return font;
}
