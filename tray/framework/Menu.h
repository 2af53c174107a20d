// Menus built from text templates (the template language is described in
// Menu.cpp). A TMenu stands both for a menu and for each of its items.
#pragma once

#include "RefObject.h"

#include <windows.h>

#include <functional>
#include <span>
#include <string>

class TControl;
class TPtrList;

class TMenu : public TRefObject {
public:
    // Receives the menu and the item's position in a depth-first walk of all
    // the menu's items (separators and sub-menu items included), from 0.
    using ItemClick = std::function<void(TMenu* menu, int index)>;

    HMENU Handle() const { return FHandle; }
    TControl* Owner() const { return FOwner; }
    TMenu* ParentItem() const { return FParentItem; }
    TMenu* Next() const { return FNext; }
    int ItemCount() const;
    TMenu* Item(int index) const;

    UINT CommandId() const { return FCommandId; }
    const std::wstring& Text() const { return FText; }
    bool IsSeparator() const { return FSeparator; }
    bool IsCheckable() const { return FCheckable; }
    bool Checked() const { return FChecked; }
    int RadioGroup() const { return FRadioGroup; }

    UINT TrackFlags = 0;
    ItemClick OnItemClick;                       // an item's own handler wins over the menu's
    std::function<void(TMenu*)> OnBeforePopup;   // runs before the menu pops up

    // The item with this command identifier (compared as WM_COMMAND carries
    // it) and its depth-first index; null when the menu has none.
    TMenu* FindItem(UINT commandId, int& index) const;

protected:
    void Destroy() override;

private:
    friend struct MenuBuilder;
    friend TMenu* MakeMenu(TControl*, std::span<const std::wstring>, int, ItemClick);
    void ApplyCheck();
    friend bool MenuCommandHandler(TControl*, MSG&, LRESULT&);

    HMENU FHandle = nullptr;
    TControl* FOwner = nullptr;
    TMenu* FParentItem = nullptr;
    TPtrList* FItems = nullptr;
    TMenu* FNext = nullptr;
    UINT FCommandId = 0;
    std::wstring FText;
    bool FSeparator = false;
    bool FCheckable = false;
    bool FChecked = false;
    int FRadioGroup = 0;
};

// Builds a menu from entries 0..lastIndex of the template and links it to the
// owner. The first menu of a top-level owner becomes its menu bar; later
// menus are popup menus.
TMenu* MakeMenu(TControl* owner, std::span<const std::wstring> entries, int lastIndex,
                TMenu::ItemClick onItemClick);

// Shows the menu at a screen point; a click arrives later as WM_COMMAND to
// the owner.
void PopupAt(TMenu* menu, int x, int y);

// The owner's WM_COMMAND handler (attached by its first menu).
bool MenuCommandHandler(TControl* sender, MSG& message, LRESULT& result);
