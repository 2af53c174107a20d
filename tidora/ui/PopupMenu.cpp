#include "PopupMenu.h"

namespace {

// Appends the sub-items of `item` to `menu`; ids index `flat`.
void Build(HMENU menu, const TMenuItem& item, std::vector<const TMenuItem*>& flat)
{
    for (int i = 0; i < item.Count(); ++i) {
        const TMenuItem* sub = item.Item(i);
        std::wstring caption = sub->Caption();
        if (caption == L"-") {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else if (sub->Count() > 0) {
            HMENU popup = CreatePopupMenu();
            Build(popup, *sub, flat);
            AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), caption.c_str());
        } else {
            flat.push_back(sub);
            AppendMenuW(menu, MF_STRING, flat.size(), caption.c_str());
        }
    }
}

}  // namespace

TPopupMenu::TPopupMenu(TComponent* owner, std::wstring name) : TComponent(owner, std::move(name)) {}

void TPopupMenu::Popup(HWND window, int x, int y)
{
    std::vector<const TMenuItem*> flat;
    HMENU menu = CreatePopupMenu();
    Build(menu, FRoot, flat);
    UINT chosen = static_cast<UINT>(TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, window, nullptr));
    DestroyMenu(menu);
    if (chosen >= 1 && chosen <= flat.size()) {
        auto* item = const_cast<TMenuItem*>(flat[chosen - 1]);
        if (item->OnClick)
            item->OnClick(item);
    }
}
