#include "Execute.h"

#include "CommandLine.h"
#include "Win32Handles.h"

#include <windows.h>
#include <process.h>
#include <shellapi.h>

#include <memory>
#include <utility>

namespace {

// What a wait thread owns: the started process and what to run after it.
struct TLaunchWait {
    TKernelHandle Process;
    std::function<void()> Proc;
    THandover Handover;
};

unsigned __stdcall WaitForLaunch(void* parameter)
{
    // The request is the thread's own from here on; the process handle is
    // closed when it goes, whatever happens below.
    std::unique_ptr<TLaunchWait> launch(static_cast<TLaunchWait*>(parameter));
    // Nothing may escape a worker thread.
    try {
        // A wait that fails (the handle went bad) ends the thread without
        // calling back: the process did not end as far as anyone knows.
        if (WaitForSingleObject(launch->Process.Get(), INFINITE) != WAIT_OBJECT_0)
            return 0;
        launch->Process.Reset();
        if (launch->Proc && launch->Handover)
            launch->Handover(launch->Proc);  // false when the window is gone: dropped
    } catch (...) {
    }
    return 0;
}

}  // namespace

void Execute(const std::wstring& commandLine, int showCommand, std::function<void()> proc, THandover handover)
{
    const TCommandParts parts = SplitCommandLine(commandLine);
    Execute(parts.File, parts.Parameters, showCommand, std::move(proc), std::move(handover));
}

void Execute(const std::wstring& file, const std::wstring& parameters, int showCommand, std::function<void()> proc,
             THandover handover)
{
    // The shell may hand the request to extensions that need COM on this
    // thread; when the window thread has it already this only balances.
    TComScope com;

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"Open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = showCommand;
    // The shell's own error message for a file it cannot start is left on:
    // it is the only word the user gets that the uninstaller did not start.
    const bool started = ShellExecuteExW(&info) && info.hProcess;
    TKernelHandle process(started ? info.hProcess : nullptr);
    if (!started) {
        if (proc)
            proc();
        return;
    }

    auto launch = std::make_unique<TLaunchWait>();
    launch->Process = std::move(process);
    launch->Proc = std::move(proc);
    launch->Handover = std::move(handover);
    TKernelHandle thread(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &WaitForLaunch, launch.get(), 0, nullptr)));
    if (thread)
        launch.release();  // the wait thread owns it now; nobody joins the thread
    // Without a wait thread the process runs on unobserved: its handle is
    // closed here and the procedure is dropped, as if the window had gone.
}
