// A popup menu: a tree of menu items turned into a Windows menu each time
// it is shown.
#pragma once

#include "Component.h"
#include "MenuItem.h"

#include <windows.h>

class TPopupMenu : public TComponent {
public:
    TPopupMenu(TComponent* owner, std::wstring name);

    TMenuItem& Items() { return FRoot; }
    const TMenuItem& Items() const { return FRoot; }
    // Shows the menu at a screen point for `window` and runs the chosen
    // item's click handler.
    void Popup(HWND window, int x, int y);

private:
    TMenuItem FRoot;
};
