// The base of the pages: a container that fills the card it is placed on.
#pragma once

#include "Control.h"

class TFrame : public TControl {
public:
    // The frame starts on `parent` (or its owner when that is a control) and
    // is usually moved to its card with SetParent.
    TFrame(TComponent* owner, TControl* parent, std::wstring name);

protected:
    bool PaintsItself() const override { return true; }
};
