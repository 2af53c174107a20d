#include "ActivityIndicator.h"

#include "GdiPlus.h"
#include "MorvaneStyle.h"

#include <cmath>

namespace {

constexpr wchar_t ClassName[] = L"TidoraActivityIndicator";
constexpr UINT_PTR TimerId = 1;
constexpr UINT FrameMs = 100;
constexpr int DotCount = 8;

}  // namespace

TActivityIndicator::TActivityIndicator(TComponent* owner, TControl* parent, std::wstring name)
    : TControl(owner, parent, std::move(name)), FDotColor(AccentColor)
{
    EnsureGdiplus();
    RegisterControlClass(ClassName);
    CreateHandle(ClassName, 0, 0);
}

void TActivityIndicator::SetAnimate(bool animate)
{
    FAnimate = animate;
    UpdateTimer();
}

// The timer runs only while the ring can be seen and should turn.
void TActivityIndicator::UpdateTimer()
{
    bool shouldSpin = FAnimate && Handle() && IsWindowVisible(Handle());
    if (shouldSpin == FSpinning)
        return;
    FSpinning = shouldSpin;
    if (FSpinning)
        SetTimer(Handle(), TimerId, FrameMs, nullptr);
    else if (Handle())
        KillTimer(Handle(), TimerId);
    Invalidate();
}

LRESULT TActivityIndicator::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == TimerId) {
            FFrame = (FFrame + 1) % DotCount;
            if (IsWindowVisible(Handle()))
                Invalidate();
            return 0;
        }
        break;
    case WM_WINDOWPOSCHANGED: {
        LRESULT result = TControl::WndProc(message, wParam, lParam);
        UpdateTimer();
        return result;
    }
    default:
        break;
    }
    return TControl::WndProc(message, wParam, lParam);
}

// The dot at the head of the turn is the strongest; the ones behind it fade.
void TActivityIndicator::Paint(HDC dc, const RECT& client)
{
    Gdiplus::Graphics graphics(dc);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    float width = static_cast<float>(client.right - client.left);
    float height = static_cast<float>(client.bottom - client.top);
    float size = std::min(width, height);
    float dot = size / 6.5f;
    float radius = size / 2 - dot / 2 - 1;
    float cx = client.left + width / 2, cy = client.top + height / 2;
    for (int i = 0; i < DotCount; ++i) {
        int age = (FFrame - i + DotCount) % DotCount;
        BYTE alpha = static_cast<BYTE>(FSpinning ? 255 - age * 28 : 90);
        double angle = (i * 2 * 3.14159265358979) / DotCount - 3.14159265358979 / 2;
        float x = cx + radius * static_cast<float>(std::cos(angle)) - dot / 2;
        float y = cy + radius * static_cast<float>(std::sin(angle)) - dot / 2;
        Gdiplus::SolidBrush brush(ToGdiplusColor(FDotColor, alpha));
        graphics.FillEllipse(&brush, x, y, dot, dot);
    }
}
