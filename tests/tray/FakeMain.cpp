// Stand-in for the main program in the tray helper's tests, copied beside
// the helper as Tidora.exe. It appends what happens to "main.log" in its own
// folder:
//   start <command line>      when it starts
//   user <wParam> <lParam>    for every WM_USER its window receives
// and keeps a hidden top-level window of class "TFrmTidora" until WM_CLOSE.
// With a file "nowindow" in its folder it only logs its start and ends.
#include <windows.h>

#include <string>

namespace {

std::wstring folder;

void Log(const std::string& line)
{
    std::wstring path = folder + L"main.log";
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER) {
        Log("user " + std::to_string(wParam) + " " + std::to_string(lParam));
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    folder = path;
    folder.resize(folder.find_last_of(L'\\') + 1);
    Log("start " + Utf8(GetCommandLineW()));
    if (GetFileAttributesW((folder + L"nowindow").c_str()) != INVALID_FILE_ATTRIBUTES)
        return 0;

    WNDCLASSW wc{};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"TFrmTidora";
    RegisterClassW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"Tidora", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                    instance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
