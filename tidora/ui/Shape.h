// A filled rectangle: brush colour inside, pen colour around it.
#pragma once

#include "Control.h"

class TShape : public TControl {
public:
    TShape(TComponent* owner, TControl* parent, std::wstring name);

    void SetBrushColor(COLORREF color);
    COLORREF BrushColor() const { return brush_; }
    void SetPenColor(COLORREF color);
    COLORREF PenColor() const { return pen_; }

protected:
    bool PaintsItself() const override { return true; }
    void Paint(HDC dc, const RECT& client) override;

private:
    COLORREF brush_ = RGB(255, 255, 255);
    COLORREF pen_ = RGB(0, 0, 0);
};
