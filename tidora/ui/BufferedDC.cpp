#include "BufferedDC.h"

// When no bitmap can be made the painting goes straight to the target.
TBufferedDC::TBufferedDC(HDC target, const RECT& area) : FTarget(target), FArea(area)
{
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    FMemory = CreateCompatibleDC(target);
    FBitmap = FMemory ? CreateCompatibleBitmap(target, width, height) : nullptr;
    if (!FBitmap) {
        if (FMemory)
            DeleteDC(FMemory);
        FMemory = nullptr;
        return;
    }
    FOldBitmap = SelectObject(FMemory, FBitmap);
    SetWindowOrgEx(FMemory, area.left, area.top, nullptr);
}

TBufferedDC::~TBufferedDC()
{
    if (!FMemory)
        return;
    BitBlt(FTarget, FArea.left, FArea.top, FArea.right - FArea.left, FArea.bottom - FArea.top, FMemory, FArea.left,
           FArea.top, SRCCOPY);
    SelectObject(FMemory, FOldBitmap);
    DeleteObject(FBitmap);
    DeleteDC(FMemory);
}
