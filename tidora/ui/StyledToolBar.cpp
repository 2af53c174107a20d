#include "StyledToolBar.h"

namespace {

constexpr wchar_t ClassName[] = L"TidoraToolBar";

}  // namespace

TStyledToolBar::TStyledToolBar(TComponent* owner, TControl* parent, std::wstring name)
    : TControl(owner, parent, std::move(name))
{
    RegisterControlClass(ClassName);
    CreateHandle(ClassName, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

void TStyledToolBar::SetButtonSize(int width, int height)
{
    FButtonWidth = width;
    FButtonHeight = height;
    Realign();
}

void TStyledToolBar::SetIndent(int indent)
{
    FIndent = indent;
    Realign();
}

void TStyledToolBar::ArrangeControls(RECT area)
{
    int x = area.left + Scale(FIndent);
    for (TControl* child : Controls()) {
        if (!child->Visible())
            continue;
        RECT r{x, area.top, x + Scale(FButtonWidth), area.top + Scale(FButtonHeight)};
        PlaceChild(*child, r);
        x = r.right;
    }
}
