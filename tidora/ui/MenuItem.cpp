#include "MenuItem.h"

TMenuItem::TMenuItem(std::wstring name, std::wstring caption)
    : TComponent(nullptr, std::move(name)), FCaption(std::move(caption))
{
}

TMenuItem* TMenuItem::Add(std::unique_ptr<TMenuItem> item)
{
    FItems.push_back(std::move(item));
    return FItems.back().get();
}
