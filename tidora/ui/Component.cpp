#include "Component.h"

#include "Text.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner, std::wstring name) : owner_(owner), name_(std::move(name))
{
    if (owner_)
        owner_->components_.push_back(this);
}

// The last created goes first: controls are created after their parents,
// so children are gone before the containers that hold them.
TComponent::~TComponent()
{
    while (!components_.empty())
        delete components_.back();
    if (owner_) {
        auto& siblings = owner_->components_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

TComponent* TComponent::FindComponent(std::wstring_view name) const
{
    for (TComponent* component : components_)
        if (AsciiEqualsIgnoreCase(component->Name(), name))
            return component;
    return nullptr;
}
