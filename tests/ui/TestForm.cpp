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

TPixels::TPixels(int width, int height) : width_(width), height_(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<unsigned*>(bits);
    old_ = SelectObject(dc_, bitmap_);
}

TPixels::~TPixels()
{
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF TPixels::At(int x, int y) const
{
    GdiFlush();
    unsigned v = bits_[y * width_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}
