// A static text in the control's font, optionally centred.
#pragma once

#include "Control.h"

class TLabel : public TControl {
public:
    TLabel(TComponent* owner, TControl* parent, std::wstring name);

    bool HasCaption() const override { return true; }
    std::wstring Caption() const override { return Text(); }
    void SetCaption(const std::wstring& caption) override { SetText(caption); }

    void SetCentered(bool centered);
    void SetFontColor(COLORREF color);

protected:
    bool PaintsItself() const override { return true; }
    void Paint(HDC dc, const RECT& client) override;

private:
    bool FCentered = false;
    COLORREF FFontColor = RGB(0, 0, 0);
};
