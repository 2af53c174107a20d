#include "Frame.h"

namespace {

constexpr wchar_t ClassName[] = L"TidoraFrame";

TControl* StartParent(TComponent* owner, TControl* parent)
{
    return parent ? parent : dynamic_cast<TControl*>(owner);
}

}  // namespace

TFrame::TFrame(TComponent* owner, TControl* parent, std::wstring name)
    : TControl(owner, StartParent(owner, parent), std::move(name))
{
    RegisterControlClass(ClassName);
    SetAlign(TAlign::Client);
    CreateHandle(ClassName, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    if (Parent())
        Parent()->Realign();
}
