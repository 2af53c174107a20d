// A small process for tests to start and end:
//   testchild [--window <title>] [--exit-after <ms>]
// It sleeps until it is terminated, or ends by itself after the given time.
// With --window it shows a top-level window with that caption.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

LRESULT CALLBACK ChildWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    std::wstring title;
    DWORD exitAfter = INFINITE;
    for (int i = 1; i < __argc; ++i) {
        std::wstring arg = __wargv[i];
        if (arg == L"--window" && i + 1 < __argc)
            title = __wargv[++i];
        else if (arg == L"--exit-after" && i + 1 < __argc)
            exitAfter = static_cast<DWORD>(std::wcstoul(__wargv[++i], nullptr, 10));
    }

    if (title.empty()) {
        Sleep(exitAfter);
        return 0;
    }

    WNDCLASSW wc{};
    wc.lpfnWndProc = ChildWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"TidoraTestChild";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    if (exitAfter != INFINITE)
        SetTimer(hwnd, 1, exitAfter, [](HWND h, UINT, UINT_PTR, DWORD) { DestroyWindow(h); });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
