// A menu item: a caption, a click handler and sub-items, which it owns.
#pragma once

#include "Component.h"
#include "Control.h"

#include <memory>
#include <string>
#include <vector>

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(std::wstring name = {}, std::wstring caption = {});

    bool HasCaption() const override { return true; }
    std::wstring Caption() const override { return FCaption; }
    void SetCaption(const std::wstring& caption) override { FCaption = caption; }

    TMenuItem* Add(std::unique_ptr<TMenuItem> item);
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Item(int index) const { return FItems[static_cast<size_t>(index)].get(); }

    TNotifyEvent OnClick;

private:
    std::wstring FCaption;
    std::vector<std::unique_ptr<TMenuItem>> FItems;
};
