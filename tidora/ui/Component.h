// Components form an ownership tree: an owner deletes the components it
// owns when it is deleted itself. Owned components are created with `new`
// and an owner; nothing else deletes them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr, std::wstring name = {});
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const std::wstring& Name() const { return FName; }
    void SetName(std::wstring name) { FName = std::move(name); }
    // The owned components, in the order they were created.
    const std::vector<TComponent*>& Components() const { return FComponents; }
    // The owned component named `name` (ASCII case ignored), or nullptr.
    TComponent* FindComponent(std::wstring_view name) const;

    // Components that show a caption.
    virtual bool HasCaption() const { return false; }
    virtual std::wstring Caption() const { return {}; }
    virtual void SetCaption(const std::wstring&) {}

private:
    TComponent* FOwner;
    std::wstring FName;
    std::vector<TComponent*> FComponents;
};
