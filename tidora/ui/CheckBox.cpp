#include "CheckBox.h"

TCheckBox::TCheckBox(TComponent* owner, TControl* parent, std::wstring name) : TControl(owner, parent, std::move(name))
{
    CreateHandle(L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0);
}

bool TCheckBox::Checked() const
{
    return Handle() && SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked)
{
    if (Handle())
        SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::Command(WORD code)
{
    if (code == BN_CLICKED && OnClick)
        OnClick(this);
}

// The DC brush is a stock object: nothing is created per paint.
HBRUSH TCheckBox::ControlColor(HDC dc)
{
    SetBkColor(dc, Color());
    SetDCBrushColor(dc, Color());
    return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}
