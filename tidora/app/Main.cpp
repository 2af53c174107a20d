// Program entry of Tidora.exe.
#include <windows.h>
#include <commctrl.h>

#include "Application.h"
#include "CrashReporter.h"
#include "FrmTidora.h"
#include "MorvaneStyle.h"
#include "PathTokens.h"
#include "Translation.h"
#include "Win32Handles.h"

namespace {

// One copy per logon. A second start ends silently, without bringing the
// first copy forward. Two copies started at the same moment both miss the
// open; the one whose create finds the mutex existing ends as well.
bool AnotherCopyRuns()
{
    if (TKernelHandle running{OpenMutexW(MUTEX_ALL_ACCESS, FALSE, L"TidoraMutex")})
        return true;
    if (GetLastError() == ERROR_ACCESS_DENIED)
        return true;
    // The handle stays open until the process ends.
    HANDLE own = CreateMutexW(nullptr, TRUE, L"TidoraMutex");
    return own && GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    if (AnotherCopyRuns())
        return 0;

    InstallCrashReporter();
    PathTokens();
    CurrentLanguage();
    RegisterMorvaneStyle();

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    TFrmTidora form;
    Application::SetMainForm(&form);
    form.Show();
    int code = Application::Run();
    Application::SetMainForm(nullptr);
    return code;
}
