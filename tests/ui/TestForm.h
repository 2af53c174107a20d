// Small helpers for tests that build windows of the toolkit in-process.
#pragma once

#include "Form.h"
#include "Win32Handles.h"

#include <windows.h>

#include <optional>
#include <vector>

// A plain form of the toolkit, shown so that its children are visible.
class TTestForm : public TForm {
public:
    TTestForm();
};

// Handles the messages waiting for this thread's windows.
void PumpMessages();

// A 32-bit top-down bitmap to paint into and read back.
class TPixels {
public:
    TPixels(int width, int height);

    HDC Dc() const { return FDc.Get(); }
    COLORREF At(int x, int y) const;
    // Pixels inside [left, right) x [top, bottom) matching `test`.
    template <class F>
    int Count(int left, int top, int right, int bottom, F test) const
    {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (test(At(x, y)))
                    ++n;
        return n;
    }

private:
    int FWidth, FHeight;
    TMemoryDCHandle FDc;
    TBitmapHandle FBitmap;
    std::optional<TSelectObjectScope> FSelection;
    unsigned* FBits = nullptr;
};
