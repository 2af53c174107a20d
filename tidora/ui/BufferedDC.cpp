#include "BufferedDC.h"

// When no bitmap can be made the painting goes straight to the target.
TBufferedDC::TBufferedDC(HDC target, const RECT& area) : FTarget(target), FArea(area)
{
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    FMemory.Reset(CreateCompatibleDC(target));
    if (FMemory)
        FBitmap.Reset(CreateCompatibleBitmap(target, width, height));
    if (!FBitmap) {
        FMemory.Reset();
        return;
    }
    FSelection.emplace(FMemory.Get(), FBitmap.Get());
    SetWindowOrgEx(FMemory.Get(), area.left, area.top, nullptr);
}

TBufferedDC::~TBufferedDC()
{
    if (!FMemory)
        return;
    BitBlt(FTarget, FArea.left, FArea.top, FArea.right - FArea.left, FArea.bottom - FArea.top, FMemory.Get(),
           FArea.left, FArea.top, SRCCOPY);
}
