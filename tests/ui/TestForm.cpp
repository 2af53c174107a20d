#include "TestForm.h"

TTestForm::TTestForm() : TForm(nullptr, L"TidoraTestForm", L"TestForm")
{
    SetClientSize(300, 200);
    Show();
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

TPixels::TPixels(int width, int height) : FWidth(width), FHeight(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    FDc.Reset(CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    FBitmap.Reset(CreateDIBSection(FDc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    FBits = static_cast<unsigned*>(bits);
    FSelection.emplace(FDc.Get(), FBitmap.Get());
}

COLORREF TPixels::At(int x, int y) const
{
    GdiFlush();
    unsigned v = FBits[y * FWidth + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}
