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
    std::wstring Caption() const override { return caption_; }
    void SetCaption(const std::wstring& caption) override { caption_ = caption; }

    TMenuItem* Add(std::unique_ptr<TMenuItem> item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Item(int index) const { return items_[static_cast<size_t>(index)].get(); }

    TNotifyEvent OnClick;

private:
    std::wstring caption_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
};
