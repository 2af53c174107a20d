// A filled rectangle: brush colour inside, pen colour around it.
#pragma once

#include "Control.h"

class TShape : public TControl {
public:
    TShape(TComponent* owner, TControl* parent, std::wstring name);

    void SetBrushColor(COLORREF color);
    COLORREF BrushColor() const { return FBrush; }
    void SetPenColor(COLORREF color);
    COLORREF PenColor() const { return FPen; }

protected:
    bool PaintsItself() const override { return true; }
    void Paint(HDC dc, const RECT& client) override;

private:
    COLORREF FBrush = RGB(255, 255, 255);
    COLORREF FPen = RGB(0, 0, 0);
};
