// A button of a styled toolbar; the toolbar sizes and places it. Tool
// buttons share group 1: one of them is down at a time.
#pragma once

#include "StyledButton.h"

class TStyledToolButton : public TStyledButton {
public:
    TStyledToolButton(TComponent* owner, TControl* parent, std::wstring name);
};
