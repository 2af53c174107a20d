// Program entry of Tidora.exe.
#include <windows.h>

#include "PathTokens.h"
#include "Translation.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // One copy per logon: a second start ends silently.
    HANDLE running = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, L"TidoraMutex");
    if (running) {
        CloseHandle(running);
        return 0;
    }
    CreateMutexW(nullptr, TRUE, L"TidoraMutex");

    PathTokens();
    CurrentLanguage();
    return 0;
}
