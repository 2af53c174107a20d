// Presses the run button of a running Tidora.exe as a user would, for
// scripts/run without a display: waits for the main window, then clicks
// the button captioned "실행하기". Exit code 0 when the button was pressed.
#include <windows.h>

#include <string>

namespace {

struct TFound {
    HWND Button = nullptr;
};

BOOL CALLBACK FindRunButton(HWND window, LPARAM param)
{
    wchar_t className[64] = {};
    wchar_t text[64] = {};
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, text, 64);
    if (lstrcmpiW(className, L"Button") == 0 && std::wstring(text) == L"실행하기" && IsWindowVisible(window)) {
        reinterpret_cast<TFound*>(param)->Button = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int wmain()
{
    for (int attempt = 0; attempt < 600; ++attempt) {
        if (HWND main = FindWindowW(L"TFrmTidora", nullptr); main && IsWindowVisible(main)) {
            TFound found;
            EnumChildWindows(main, FindRunButton, reinterpret_cast<LPARAM>(&found));
            if (found.Button && IsWindowEnabled(found.Button)) {
                // Posted, not sent: the run may end this very program.
                PostMessageW(found.Button, BM_CLICK, 0, 0);
                return 0;
            }
        }
        Sleep(100);
    }
    return 1;
}
