#include "ButtonStyle.h"

#include "Text.h"

namespace {

std::vector<std::unique_ptr<TButtonStyleFamily>>& Families()
{
    static std::vector<std::unique_ptr<TButtonStyleFamily>> families;
    return families;
}

}  // namespace

const TButtonStateStyle& TButtonStyles::ForState(TButtonState state) const
{
    switch (state) {
    case TButtonState::Pressed: return Pressed;
    case TButtonState::Selected: return Selected;
    case TButtonState::Hot: return Hot;
    case TButtonState::Disabled: return Disabled;
    case TButtonState::Normal: break;
    }
    return Normal;
}

void RegisterButtonStyleFamily(std::unique_ptr<TButtonStyleFamily> family)
{
    if (!family)
        return;
    auto& families = Families();
    // A second registration under the same name replaces the first.
    for (auto& known : families) {
        if (AsciiEqualsIgnoreCase(known->Name(), family->Name())) {
            known = std::move(family);
            return;
        }
    }
    families.push_back(std::move(family));
}

const TButtonStyleFamily* FindButtonStyleFamily(std::wstring_view name)
{
    for (const auto& family : Families())
        if (AsciiEqualsIgnoreCase(family->Name(), name))
            return family.get();
    return nullptr;
}
