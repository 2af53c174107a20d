#include "Menu.h"

#include "AppState.h"
#include "Control.h"
#include "PtrList.h"

#include <algorithm>

// Template entries:
//   ""                  ends the current level
//   ")"                 ends the current sub-menu
//   "-"                 separator (greyed and disabled)
//   "+Text" / "-Text"   checkable item, checked for "+"
//   "+!Text" / "-!Text" radio item in the previous radio item's group (or group 1)
//   "+!!Text"/"-!!Text" radio item that starts a new group
//   "("                 after an item: the entries up to the matching ")" are its sub-menu
//   anything else       plain item
// Every item, separators and sub-menu items included, takes the next command
// identifier; identifiers are never reused.
//
// Reads template entries into a menu handle, one level per call.
struct MenuBuilder {
    std::span<const std::wstring> entries;
    size_t end;          // one past the last entry to read
    size_t position = 0;
    int group = 0;       // group of the previous radio item, 0 before the first
    int lastGroup = 0;   // highest group number given out

    bool AtEntry(const wchar_t* text) const { return position < end && entries[position] == text; }

    void Fill(TMenu* level, HMENU menu)
    {
        if (!level->FItems)
            level->FItems = MakeList();
        while (position < end) {
            const std::wstring& entry = entries[position++];
            if (entry.empty() || entry == L")")
                return;

            auto* item = new TMenu();
            item->FParentItem = level;
            item->FCommandId = AppState().nextCommandId++;
            level->FItems->Add(item);

            bool radio = false;
            if (entry == L"-") {
                item->FSeparator = true;
            } else if (entry[0] == L'+' || entry[0] == L'-') {
                item->FCheckable = true;
                item->FChecked = entry[0] == L'+';
                size_t textStart = 1;
                if (entry.compare(1, 2, L"!!") == 0) {
                    group = ++lastGroup;
                    radio = true;
                    textStart = 3;
                } else if (entry.compare(1, 1, L"!") == 0) {
                    if (group == 0)
                        group = lastGroup = std::max(lastGroup, 1);
                    radio = true;
                    textStart = 2;
                }
                if (radio)
                    item->FRadioGroup = group;
                item->FText = entry.substr(textStart);
            } else {
                item->FText = entry;
            }

            if (AtEntry(L"(")) {
                ++position;
                item->FHandle = CreatePopupMenu();
                Fill(item, item->FHandle);
            }

            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA;
            if (item->FSeparator) {
                info.fType = MFT_SEPARATOR;
                info.fState = MFS_GRAYED | MFS_DISABLED;
            } else {
                info.fType = MFT_STRING | (radio ? MFT_RADIOCHECK : 0);
                info.fState = item->FChecked ? MFS_CHECKED : 0;
                info.dwTypeData = item->FText.data();
                info.cch = static_cast<UINT>(item->FText.size());
            }
            info.wID = item->FCommandId;
            info.hSubMenu = item->FHandle;
            info.dwItemData = reinterpret_cast<ULONG_PTR>(item);
            InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
        }
    }
};

int TMenu::ItemCount() const
{
    return FItems ? FItems->Count() : 0;
}

TMenu* TMenu::Item(int index) const
{
    return FItems ? static_cast<TMenu*>(FItems->Item(index)) : nullptr;
}

TMenu* TMenu::FindItem(UINT commandId, int& index) const
{
    for (int i = 0; i < ItemCount(); ++i) {
        TMenu* item = Item(i);
        if (LOWORD(item->FCommandId) == LOWORD(commandId))
            return item;
        ++index;
        if (TMenu* found = item->FindItem(commandId, index))
            return found;
    }
    return nullptr;
}

// A radio item becomes the checked one of its run of neighbours in the same
// group; a checkable item toggles.
void TMenu::ApplyCheck()
{
    if (!FParentItem || !FParentItem->FItems)
        return;
    HMENU menu = FParentItem->FHandle;
    TPtrList* siblings = FParentItem->FItems;
    if (FRadioGroup > 0) {
        int position = siblings->IndexOf(this);
        auto groupAt = [&](int i) { return static_cast<TMenu*>(siblings->Item(i))->FRadioGroup; };
        int first = position;
        while (first > 0 && groupAt(first - 1) == FRadioGroup)
            --first;
        int last = position;
        while (last + 1 < siblings->Count() && groupAt(last + 1) == FRadioGroup)
            ++last;
        for (int i = first; i <= last; ++i)
            static_cast<TMenu*>(siblings->Item(i))->FChecked = i == position;
        CheckMenuRadioItem(menu, static_cast<UINT>(first), static_cast<UINT>(last), static_cast<UINT>(position),
                           MF_BYPOSITION);
    } else if (FCheckable) {
        FChecked = !FChecked;
        CheckMenuItem(menu, FCommandId, MF_BYCOMMAND | (FChecked ? MF_CHECKED : MF_UNCHECKED));
    }
}

TMenu* MakeMenu(TControl* owner, std::span<const std::wstring> entries, int lastIndex, TMenu::ItemClick onItemClick)
{
    auto* menu = new TMenu();
    menu->FItems = MakeList();
    menu->OnItemClick = std::move(onItemClick);
    const bool topLevel = owner && !owner->IsChildWindow();

    if (lastIndex >= 0 && !entries.empty()) {
        menu->FHandle = topLevel && !owner->FirstMenu() ? CreateMenu() : CreatePopupMenu();
        MenuBuilder builder{entries, std::min(entries.size(), static_cast<size_t>(lastIndex) + 1)};
        builder.Fill(menu, menu->FHandle);
    }

    if (!owner)
        return menu;
    menu->FOwner = owner;
    if (!owner->FirstMenu()) {
        // The first menu heads the owner's chain, is owned by the owner and
        // brings the WM_COMMAND handler; a top-level owner shows it as its bar.
        owner->SetFirstMenu(menu);
        AddOwned(owner, menu);
        if (!owner->HasHandler(&MenuCommandHandler))
            owner->AttachHandler(&MenuCommandHandler);
        if (topLevel)
            owner->SetMenuBar(menu->FHandle);
    } else {
        TMenu* last = owner->FirstMenu();
        while (last->FNext)
            last = last->FNext;
        last->FNext = menu;
    }
    return menu;
}

void TMenu::Destroy()
{
    if (FOwner) {
        if (FOwner->FirstMenu() == this) {
            FOwner->SetFirstMenu(nullptr);
            if (FHandle && FOwner->MenuBar() == FHandle)
                FOwner->SetMenuBar(nullptr);
            FOwner->RemoveOwned(this);
        } else {
            for (TMenu* menu = FOwner->FirstMenu(); menu; menu = menu->FNext)
                if (menu->FNext == this) {
                    menu->FNext = nullptr;
                    break;
                }
        }
        FOwner = nullptr;
    }
    // Each menu of the chain releases its successor.
    if (TMenu* next = FNext) {
        FNext = nullptr;
        next->Release();
    }
    if (FItems) {
        for (int i = 0; i < FItems->Count(); ++i)
            static_cast<TMenu*>(FItems->Item(i))->Release();
        FItems->Release();
        FItems = nullptr;
    }
    // Destroying a menu destroys its sub-menus with it.
    if (FHandle && !FParentItem)
        DestroyMenu(FHandle);
    FHandle = nullptr;
    TRefObject::Destroy();
}

bool MenuCommandHandler(TControl* sender, MSG& message, LRESULT& result)
{
    if (message.message != WM_COMMAND || message.lParam != 0 || HIWORD(message.wParam) > 1)
        return false;
    TControl* holder = sender;
    while (holder && !holder->FirstMenu())
        holder = holder->Parent();
    if (!holder)
        return false;
    const UINT id = LOWORD(message.wParam);
    for (TMenu* menu = holder->FirstMenu(); menu; menu = menu->Next()) {
        int index = 0;
        TMenu* item = menu->FindItem(id, index);
        if (!item)
            continue;
        menu->Hold();
        item->Hold();
        item->ApplyCheck();
        if (item->OnItemClick)
            item->OnItemClick(menu, index);
        else if (menu->OnItemClick)
            menu->OnItemClick(menu, index);
        item->Release();
        menu->Release();
        result = 0;
        return true;
    }
    return false;
}

void PopupAt(TMenu* menu, int x, int y)
{
    if (!menu || !menu->Handle() || !menu->Owner())
        return;
    TControl* owner = menu->Owner();
    owner->Hold();
    menu->Hold();

    // A menu closes when the user clicks elsewhere only if its owner is the
    // foreground window: a hidden owner is shown for that, below the screen.
    const int raisedTop = GetSystemMetrics(SM_CYSCREEN) + 50;
    const bool topLevel = !owner->IsChildWindow();
    const RECT savedBounds = owner->Bounds();
    const bool wasVisible = owner->Visible();
    if (topLevel) {
        if (!wasVisible)
            owner->SetTop(raisedTop);
        owner->SetVisible(true);
        SetForegroundWindow(owner->GetHandle());
    }

    MSG pending{};
    if (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) {
        if (pending.message == WM_QUIT) {
            AppState().terminated = true;
        } else {
            TranslateMessage(&pending);
            DispatchMessageW(&pending);
        }
    }

    if (menu->OnBeforePopup)
        menu->OnBeforePopup(menu);
    if (menu->Handle())
        TrackPopupMenu(menu->Handle(), menu->TrackFlags, x, y, 0, owner->GetHandle(), nullptr);

    if (topLevel && owner->Handle()) {
        RECT now{};
        GetWindowRect(owner->Handle(), &now);
        if (now.top == raisedTop) {
            if (!wasVisible)
                owner->SetVisible(false);
            owner->SetBounds(savedBounds);
        }
    }
    menu->Release();
    owner->Release();
}
