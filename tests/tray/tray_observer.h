// What Wine's notification area shows: under X11 without a system tray of
// the desktop, Wine keeps icons in its own stand-alone tray window, one child
// window per icon, with the tooltip in a tooltip control of that process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ShownTrayIcon {
    HWND window;            // the notification area's window for the icon
    std::wstring tooltip;
};

std::vector<ShownTrayIcon> ShownTrayIcons();
// The icons whose tooltip is exactly `tooltip`.
std::vector<ShownTrayIcon> ShownTrayIconsWithTooltip(const std::wstring& tooltip);
// Waits until exactly `count` icons show `tooltip`.
bool WaitForTrayIcons(const std::wstring& tooltip, size_t count, DWORD timeoutMs = 10000);

// A mouse message as the user would cause it on the icon: the notification
// area passes it to the icon's owner.
void PressTrayIcon(HWND iconWindow, UINT mouseMessage);
