// An off-screen bitmap to paint into; its contents go to the target DC
// when the object is destroyed. Painting this way does not flicker.
#pragma once

#include "Win32Handles.h"

#include <windows.h>

#include <optional>

class TBufferedDC {
public:
    TBufferedDC(HDC target, const RECT& area);
    ~TBufferedDC();
    TBufferedDC(const TBufferedDC&) = delete;
    TBufferedDC& operator=(const TBufferedDC&) = delete;

    HDC Dc() const { return FMemory ? FMemory.Get() : FTarget; }

private:
    HDC FTarget;
    RECT FArea;
    // Declared in the order they are made: the bitmap is put out of the DC
    // before it is deleted, and the DC goes last.
    TMemoryDCHandle FMemory;
    TBitmapHandle FBitmap;
    std::optional<TSelectObjectScope> FSelection;
};
