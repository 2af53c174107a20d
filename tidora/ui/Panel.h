// A plain container with a background colour.
#pragma once

#include "Control.h"

class TPanel : public TControl {
public:
    TPanel(TComponent* owner, TControl* parent, std::wstring name);

protected:
    bool PaintsItself() const override { return true; }
};
