// Program entry of TidoraService.exe, the tray helper: one copy per logon,
// an icon in the notification area and its menu.
#include "Arguments.h"
#include "Forms.h"
#include "HelperObjects.h"
#include "LocalText.h"
#include "MainExeVersion.h"
#include "Menu.h"
#include "MessageLoop.h"
#include "Random.h"
#include "TrayActions.h"
#include "TrayIcon.h"
#include "UpdateCheck.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    SeedRandom(GetTickCount());

    // Another helper already runs under this logon: end without a word. The
    // mutex is never closed; it goes with the process.
    if (OpenMutexW(MUTEX_ALL_ACCESS, FALSE, L"TidoraServiceMutex"))
        return 0;
    CreateMutexW(nullptr, TRUE, L"TidoraServiceMutex");

    SetUserLcid(GetUserDefaultLCID());

    // Hidden windows, created only when first needed (by the tray icon). The
    // form sits just below the primary screen.
    HelperObjects& helper = Helper();
    helper.appWindow = MakeAppWindow(LocalText(L"Tidora"));
    helper.appWindow->SetVisible(false);
    helper.form = MakeForm(helper.appWindow, LocalText(L"Tidora"));
    helper.form->SetSize(240, 40);
    helper.form->SetWindowClassName(L"SvcTidora");
    helper.form->SetTop(GetSystemMetrics(SM_CYSCREEN) + 1);
    helper.form->SetVisible(false);

    if (CheckInstallAndUpdate() == CheckOutcome::Stop)
        return 0;

    if (ProgramArgument(1) == L"/inst")
        RunMenuAction(nullptr, 0);

    // The form's first menu becomes its (empty) menu bar, so the next one is
    // a popup menu.
    const std::wstring noEntries[] = {L""};
    MakeMenu(helper.form, noEntries, 0, nullptr);

    helper.trayIcon = MakeTrayIcon(helper.appWindow, LoadIconW(instance, L"MAINICON"));
    helper.trayIcon->OnTrayMouse = &HandleTrayMouse;
    helper.trayIcon->SetTooltip(LocalText(L"Tidora") + L" " + MainExeVersion(L"%d.%d.%d"));

    const std::vector<std::wstring> entries = PopupMenuEntries();
    helper.popupMenu = MakeMenu(helper.form, entries, static_cast<int>(entries.size()) - 1, &RunMenuAction);
    AddOwned(helper.appWindow, helper.trayIcon);

    RunMessageLoop(helper.appWindow);
    return 0;
}
