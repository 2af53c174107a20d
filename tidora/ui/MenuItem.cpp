#include "MenuItem.h"

TMenuItem::TMenuItem(std::wstring name, std::wstring caption)
    : TComponent(nullptr, std::move(name)), caption_(std::move(caption))
{
}

TMenuItem* TMenuItem::Add(std::unique_ptr<TMenuItem> item)
{
    items_.push_back(std::move(item));
    return items_.back().get();
}
