// A ring of dots that turns while the indicator is shown and animating.
#pragma once

#include "Control.h"

class TActivityIndicator : public TControl {
public:
    TActivityIndicator(TComponent* owner, TControl* parent, std::wstring name);

    void SetAnimate(bool animate);
    bool Animate() const { return FAnimate; }
    // True while the timer turns the ring.
    bool Spinning() const { return FSpinning; }
    void SetColor(COLORREF color) { FDotColor = color; Invalidate(); }

protected:
    bool PaintsItself() const override { return true; }
    void Paint(HDC dc, const RECT& client) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void UpdateTimer();

    bool FAnimate = false;
    bool FSpinning = false;
    int FFrame = 0;
    COLORREF FDotColor;
};
