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

constexpr wchar_t InstanceMutexName[] = L"TidoraMutex";

// One copy per logon. A second start ends silently, without bringing the
// first copy forward. Two copies started at the same moment both miss the
// open; the one whose create finds the mutex existing ends as well. `own`
// receives this copy's mutex, which marks it as running while it is held.
bool AnotherCopyRuns(TKernelHandle& own)
{
    TKernelHandle running(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, InstanceMutexName));
    if (running)
        return true;
    if (GetLastError() == ERROR_ACCESS_DENIED)
        return true;
    own.Reset(CreateMutexW(nullptr, TRUE, InstanceMutexName));
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    return own && existed;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Held until the program ends.
    TKernelHandle instanceMutex;
    if (AnotherCopyRuns(instanceMutex))
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
