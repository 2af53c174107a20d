#include "Panel.h"

namespace {

constexpr wchar_t ClassName[] = L"TidoraPanel";

}  // namespace

// WS_EX_CONTROLPARENT lets Tab move into the panel's children.
TPanel::TPanel(TComponent* owner, TControl* parent, std::wstring name) : TControl(owner, parent, std::move(name))
{
    RegisterControlClass(ClassName);
    CreateHandle(ClassName, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}
