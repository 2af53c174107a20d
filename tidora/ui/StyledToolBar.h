// A strip of styled tool buttons laid out left to right, each of the same
// size, after an indent.
#pragma once

#include "Control.h"

class TStyledToolBar : public TControl {
public:
    TStyledToolBar(TComponent* owner, TControl* parent, std::wstring name);

    void SetButtonSize(int width, int height);
    void SetIndent(int indent);

protected:
    bool PaintsItself() const override { return true; }
    void ArrangeControls(RECT area) override;

private:
    int FButtonWidth = 23, FButtonHeight = 22;
    int FIndent = 0;
};
