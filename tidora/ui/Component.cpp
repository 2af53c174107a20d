#include "Component.h"

#include "Text.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner, std::wstring name) : FOwner(owner), FName(std::move(name))
{
    if (FOwner)
        FOwner->FComponents.push_back(this);
}

// The last created goes first: controls are created after their parents,
// so children are gone before the containers that hold them.
TComponent::~TComponent()
{
    while (!FComponents.empty())
        delete FComponents.back();
    if (FOwner) {
        auto& siblings = FOwner->FComponents;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

TComponent* TComponent::FindComponent(std::wstring_view name) const
{
    for (TComponent* component : FComponents)
        if (AsciiEqualsIgnoreCase(component->Name(), name))
            return component;
    return nullptr;
}
