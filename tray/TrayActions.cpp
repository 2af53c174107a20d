#include "TrayActions.h"

#include "Arguments.h"
#include "Forms.h"
#include "Handles.h"
#include "HelperObjects.h"
#include "LocalText.h"
#include "Menu.h"
#include "TrayIcon.h"
#include "build_config.h"

#include <shellapi.h>

namespace {

// Sent to the main program's window: 1 when it is asked for, 2 when the helper quits.
constexpr UINT MainNotification = WM_USER;

void OpenMainProgram(HWND mainWindow)
{
    if (mainWindow) {
        SendMessageW(mainWindow, MainNotification, 1, 0);
        return;
    }
    // The main program needs administrator rights; a refused prompt simply
    // leaves nothing started.
    std::wstring program = OwnFolder() + L"Tidora.exe";
    ShellExecuteW(nullptr, L"runas", program.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenExclusionList()
{
    std::wstring file = PrepareExclusionList();
    ShellExecuteW(nullptr, nullptr, L"notepad.exe", file.c_str(), nullptr, SW_SHOWNORMAL);
}

void OpenWebSite()
{
    ShellExecuteW(nullptr, L"open", TIDORA_SITE_URL L"/", nullptr, nullptr, SW_SHOWNORMAL);
}

// The hidden form is the application window's main form: closing it ends
// the message loop, which removes the icon on its way out.
void Quit(HWND mainWindow)
{
    if (mainWindow)
        SendMessageW(mainWindow, MainNotification, 2, 0);
    HelperObjects& helper = Helper();
    if (helper.trayIcon)
        helper.trayIcon->OnTrayMouse = nullptr;
    ReleaseCapture();
    if (helper.form)
        SendToWindow(helper.form, WM_CLOSE, 0, 0);
}

}  // namespace

std::wstring PrepareExclusionList()
{
    std::wstring appData;
    DWORD size = GetEnvironmentVariableW(L"AppData", nullptr, 0);
    if (size > 0) {
        appData.resize(size);
        DWORD length = GetEnvironmentVariableW(L"AppData", appData.data(), size);
        appData.resize(length < size ? length : 0);
    }
    const std::wstring folder = appData + L"\\Tidora";
    const std::wstring file = folder + L"\\NoClean.txt";

    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    SetErrorMode(previousMode);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        CreateDirectoryW(folder.c_str(), nullptr);

    attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // An empty file for the editor to open; closed again at once.
        TFileHandle created(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    return file;
}

std::vector<std::wstring> PopupMenuEntries()
{
    return {LocalText(L"Tidora"), LocalText(L"WhiteList"), L"-", LocalText(L"About"), LocalText(L"Quit"), L""};
}

void RunMenuAction(TMenu*, int index)
{
    HWND mainWindow = FindWindowW(L"TFrmTidora", nullptr);
    switch (index) {
    case 0:
        OpenMainProgram(mainWindow);
        break;
    case 1:
        OpenExclusionList();
        break;
    case 3:
        OpenWebSite();
        break;
    case 4:
        Quit(mainWindow);
        break;
    default:
        break;
    }
}

void HandleTrayMouse(TTrayIcon*, WORD message)
{
    if (message == WM_LBUTTONDOWN) {
        RunMenuAction(Helper().popupMenu, 0);
    } else if (message == WM_RBUTTONDOWN) {
        POINT cursor{};
        GetCursorPos(&cursor);
        PopupAt(Helper().popupMenu, cursor.x, cursor.y);
    }
}
