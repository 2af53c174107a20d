#include "StyledToolButton.h"

TStyledToolButton::TStyledToolButton(TComponent* owner, TControl* parent, std::wstring name)
    : TStyledButton(owner, parent, std::move(name))
{
    SetGroupIndex(1);
    if (Parent())
        Parent()->Realign();
}
