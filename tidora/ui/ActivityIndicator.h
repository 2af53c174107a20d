// A ring of dots that turns while the indicator is shown and animating.
#pragma once

#include "Control.h"

class TActivityIndicator : public TControl {
public:
    TActivityIndicator(TComponent* owner, TControl* parent, std::wstring name);

    void SetAnimate(bool animate);
    bool Animate() const { return animate_; }
    // True while the timer turns the ring.
    bool Spinning() const { return spinning_; }
    void SetColor(COLORREF color) { dotColor_ = color; Invalidate(); }

protected:
    bool PaintsItself() const override { return true; }
    void Paint(HDC dc, const RECT& client) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void UpdateTimer();

    bool animate_ = false;
    bool spinning_ = false;
    int frame_ = 0;
    COLORREF dotColor_;
};
