#include "TrayIcon.h"

#include "AppState.h"
#include "Control.h"
#include "PtrList.h"

#include <cstddef>

static_assert(NOTIFYICONDATAW_V1_SIZE == offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(WCHAR));
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAW_V1_SIZE == 152);
static_assert(sizeof(void*) != 8 || NOTIFYICONDATAW_V1_SIZE == 168);

DWORD NotifyIconDataSize()
{
    return NOTIFYICONDATAW_V1_SIZE;
}

// The icon's address is its identity; the notification area keeps 32 bits of it.
UINT TTrayIcon::Id() const
{
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(this));
}

NOTIFYICONDATAW TTrayIcon::NotifyData(HWND window, bool forDelete) const
{
    NOTIFYICONDATAW data{};
    data.cbSize = NotifyIconDataSize();
    data.hWnd = window;
    data.uID = Id();
    data.uFlags = forDelete ? 0 : NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = TrayCallbackMessage;
    data.hIcon = FIcon.Get();
    size_t length = FTooltip.size() < TrayTooltipLength ? FTooltip.size() : TrayTooltipLength;
    FTooltip.copy(data.szTip, length);
    data.szTip[length] = L'\0';
    return data;
}

// Once the loop is ending every call removes the icon, whatever it was meant to do.
bool TTrayIcon::Notify(DWORD action)
{
    if (AppState().terminated)
        action = NIM_DELETE;
    NOTIFYICONDATAW data = NotifyData(FWindow, action == NIM_DELETE);
    bool done = Shell_NotifyIconW(action, &data) != FALSE;
    if (action == NIM_DELETE && done)
        FActive = false;
    return done;
}

void TTrayIcon::SetActive(bool active)
{
    if (active == FActive)
        return;
    if (active) {
        if (!FIcon)
            return;
        FWindow = ExplicitWindow;
        if (!FWindow && FOwner)
            FWindow = FOwner->GetHandle();
        if (!FWindow)
            return;
        FActive = Notify(NIM_ADD) && !AppState().terminated;
    } else {
        FActive = !Notify(NIM_DELETE);
    }
}

void TTrayIcon::SetTooltip(const std::wstring& tooltip)
{
    if (tooltip == FTooltip)
        return;
    FTooltip = tooltip;
    if (FActive)
        Notify(NIM_MODIFY);
}

void TTrayIcon::Destroy()
{
    SetActive(false);
    FIcon.Reset();
    TAppState& state = AppState();
    if (state.icons) {
        state.icons->Remove(this);
        if (state.icons->Count() == 0) {
            TPtrList* list = state.icons;
            state.icons = nullptr;
            list->Release();
        }
    }
    FOwner = nullptr;
    TRefObject::Destroy();
}

TTrayIcon* MakeTrayIcon(TControl* owner, HICON icon)
{
    TAppState& state = AppState();
    auto* tray = new TTrayIcon();
    if (!state.icons)
        state.icons = MakeList();
    state.icons->Add(tray);
    // The handler also has to see the owner's WM_DESTROY while the loop ends.
    if (owner && !owner->HasHandler(&TrayMessageHandler))
        owner->AttachHandler(&TrayMessageHandler, true);
    tray->FOwner = owner;
    tray->FIcon.Reset(icon);
    tray->SetActive(true);
    return tray;
}

bool TrayMessageHandler(TControl* sender, MSG& message, LRESULT& result)
{
    TAppState& state = AppState();
    if (message.message == TrayCallbackMessage) {
        if (static_cast<ULONG_PTR>(message.lParam) <= 0x020D && state.icons && !state.terminated) {
            for (int i = 0; i < state.icons->Count(); ++i) {
                auto* icon = static_cast<TTrayIcon*>(state.icons->Item(i));
                if (icon->Id() != static_cast<UINT>(message.wParam))
                    continue;
                if (icon->OnTrayMouse) {
                    icon->Hold();
                    TTrayIcon::MouseEvent handler = icon->OnTrayMouse;
                    handler(icon, LOWORD(message.lParam));
                    icon->Release();
                }
                break;
            }
        }
        result = 0;
        return true;
    }
    if (message.message == WM_DESTROY && message.hwnd == sender->Handle() && state.icons) {
        for (int i = state.icons->Count() - 1; i >= 0; --i) {
            auto* icon = static_cast<TTrayIcon*>(state.icons->Item(i));
            if (icon && icon->Owner() == sender && !icon->KeepWhenOwnerDestroyed)
                icon->SetActive(false);
        }
    }
    return false;
}
