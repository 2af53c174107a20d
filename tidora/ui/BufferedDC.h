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

    HDC Dc() const { return memory_ ? memory_ : target_; }

private:
    HDC target_;
    RECT area_;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};
