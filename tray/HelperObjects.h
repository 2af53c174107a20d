// The tray helper's process-wide window objects, set up at start.
#pragma once

class TControl;
class TMenu;
class TTrayIcon;

struct HelperObjects {
    TControl* appWindow = nullptr;   // hidden; owner of the tray icon
    TControl* form = nullptr;        // hidden form "SvcTidora"; owner of the menus
    TTrayIcon* trayIcon = nullptr;
    TMenu* popupMenu = nullptr;
};

HelperObjects& Helper();
