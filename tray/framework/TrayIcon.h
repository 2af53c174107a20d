// An icon in the notification area, owned by a window object whose window
// receives its mouse messages.
#pragma once

#include "Handles.h"
#include "RefObject.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

class TControl;

// The message the notification area sends to the owner's window.
constexpr UINT TrayCallbackMessage = 0xB008;
// The notification area shows this many characters of a tooltip.
constexpr size_t TrayTooltipLength = 63;

class TTrayIcon : public TRefObject {
public:
    using MouseEvent = std::function<void(TTrayIcon* sender, WORD message)>;

    HICON Icon() const { return FIcon.Get(); }
    bool Active() const { return FActive; }
    void SetActive(bool active);
    const std::wstring& Tooltip() const { return FTooltip; }
    void SetTooltip(const std::wstring& tooltip);
    TControl* Owner() const { return FOwner; }

    MouseEvent OnTrayMouse;
    bool KeepWhenOwnerDestroyed = false;
    HWND ExplicitWindow = nullptr;   // used instead of the owner's window when set

    // The identity the notification area knows the icon by.
    UINT Id() const;
    // What a Shell_NotifyIconW call for `window` carries.
    NOTIFYICONDATAW NotifyData(HWND window, bool forDelete) const;

protected:
    void Destroy() override;

private:
    friend TTrayIcon* MakeTrayIcon(TControl*, HICON);
    bool Notify(DWORD action);

    TIconHandle FIcon;  // destroyed with the tray icon
    bool FActive = false;
    std::wstring FTooltip;
    TControl* FOwner = nullptr;
    HWND FWindow = nullptr;   // the window the icon was added with
};

// Size of the first version of NOTIFYICONDATAW for this architecture
// (152 bytes for 32-bit, 168 for 64-bit programs).
DWORD NotifyIconDataSize();

// Adds the icon to the notification area with the owner's window (created if
// needed). The caller owns the result.
TTrayIcon* MakeTrayIcon(TControl* owner, HICON icon);

// The owner's tray handler: mouse callbacks and removal of the owner's icons
// when its window is destroyed.
bool TrayMessageHandler(TControl* sender, MSG& message, LRESULT& result);
