// An off-screen bitmap to paint into; its contents go to the target DC
// when the object is destroyed. Painting this way does not flicker.
#pragma once

#include <windows.h>

class TBufferedDC {
public:
    TBufferedDC(HDC target, const RECT& area);
    ~TBufferedDC();
    TBufferedDC(const TBufferedDC&) = delete;
    TBufferedDC& operator=(const TBufferedDC&) = delete;

    HDC Dc() const { return FMemory ? FMemory : FTarget; }

private:
    HDC FTarget;
    RECT FArea;
    HDC FMemory = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
};
