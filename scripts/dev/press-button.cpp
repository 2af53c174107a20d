// Presses a button of a running Tidora.exe as a user would, for scripts/run
// without a display: waits for the main window, then clicks the button
// whose caption is the first argument (default "실행하기", the run button).
// Exit code 0 when the button was pressed.
#include <windows.h>

#include <string>

namespace {

struct TFound {
    std::wstring Caption;
    HWND Button = nullptr;
};

BOOL CALLBACK FindButton(HWND window, LPARAM param)
{
    auto* found = reinterpret_cast<TFound*>(param);
    wchar_t className[64] = {};
    wchar_t text[64] = {};
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, text, 64);
    if (lstrcmpiW(className, L"Button") == 0 && found->Caption == text && IsWindowVisible(window)) {
        found->Button = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring caption = argc > 1 ? argv[1] : L"실행하기";
    for (int attempt = 0; attempt < 600; ++attempt) {
        if (HWND main = FindWindowW(L"TFrmTidora", nullptr); main && IsWindowVisible(main)) {
            TFound found{caption};
            EnumChildWindows(main, FindButton, reinterpret_cast<LPARAM>(&found));
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
