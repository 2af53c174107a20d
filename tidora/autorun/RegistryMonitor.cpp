#include "RegistryMonitor.h"

#include <process.h>

#include <utility>

namespace {

// Read access in the 64-bit view, as every other registry read of the
// program: a 32-bit build watches the native keys.
constexpr REGSAM WatchMask = KEY_READ | KEY_WOW64_64KEY;

// Subkeys added or removed, attributes, values set or deleted, security.
constexpr DWORD WatchFilter =
    REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_ATTRIBUTES | REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_SECURITY;

const wchar_t* RelativePath(const std::wstring& key)
{
    const wchar_t* path = key.c_str();
    while (*path == L'\\')
        ++path;
    return path;
}

bool Arm(HKEY key, bool watchSubtree, HANDLE changed)
{
    return RegNotifyChangeKeyValue(key, watchSubtree ? TRUE : FALSE, WatchFilter, changed, TRUE) == ERROR_SUCCESS;
}

}  // namespace

TRegistryMonitor::TRegistryMonitor(HKEY root, std::wstring key, bool watchSubtree, THandover handover,
                                   std::function<void()> proc)
    : FRoot(root),
      FKey(std::move(key)),
      FWatchSubtree(watchSubtree),
      FHandover(std::move(handover)),
      FProc(std::move(proc)),
      FStopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    // Without a stop event the worker could never be told to end, so it is
    // not started at all; the watch then simply reports nothing.
    if (!FStopEvent)
        return;
    FThread.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &TRegistryMonitor::ThreadMain, this, 0, nullptr)));
}

TRegistryMonitor::~TRegistryMonitor()
{
    Stop();
    Join();
}

void TRegistryMonitor::Stop() noexcept
{
    FStopped.store(true);
    if (FStopEvent)
        SetEvent(FStopEvent.Get());
}

bool TRegistryMonitor::StopRequested() const noexcept
{
    return FStopped.load();
}

bool TRegistryMonitor::Join(DWORD milliseconds) noexcept
{
    if (!FThread)
        return true;
    // The worker may be inside a hand-over to this very thread, waiting for
    // it to serve the sent message: a plain wait would dead-lock. Serve sent
    // messages only (PM_QS_SENDMESSAGE), so that no posted input or paint is
    // dispatched from inside the join.
    const HANDLE thread = FThread.Get();
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD wait = INFINITE;
        if (milliseconds != INFINITE) {
            const ULONGLONG spent = GetTickCount64() - start;
            if (spent >= milliseconds)
                return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
            wait = static_cast<DWORD>(milliseconds - spent);
        }
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, wait, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result == WAIT_OBJECT_0 + 1) {
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        if (result == WAIT_TIMEOUT)
            return false;
        return WaitForSingleObject(thread, milliseconds) == WAIT_OBJECT_0;
    }
}

bool TRegistryMonitor::Ended() const noexcept
{
    return !FThread || WaitForSingleObject(FThread.Get(), 0) == WAIT_OBJECT_0;
}

unsigned __stdcall TRegistryMonitor::ThreadMain(void* self)
{
    // Nothing may escape a worker thread: a failure of the watch ends it
    // quietly, as a key that cannot be opened does.
    try {
        static_cast<TRegistryMonitor*>(self)->Watch();
    } catch (...) {
    }
    return 0;
}

void TRegistryMonitor::Watch()
{
    TRegKeyHandle key;
    if (RegOpenKeyExW(FRoot, RelativePath(FKey), 0, WatchMask, key.Put()) != ERROR_SUCCESS) {
        key.Release();
        return;
    }
    TKernelHandle changed(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!changed || !Arm(key.Get(), FWatchSubtree, changed.Get()))
        return;

    // Both events together and no time-out: an idle watch costs no wake-ups,
    // and a stop is seen at once rather than at the next poll.
    const HANDLE events[2] = {FStopEvent.Get(), changed.Get()};
    while (!StopRequested()) {
        const DWORD result = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (result != WAIT_OBJECT_0 + 1)
            return;  // stopped, or the wait itself failed

        // The next notification is armed before the procedure runs: a change
        // made while it runs (an uninstaller deleting its key during the
        // reload its first write caused) signals the event again and gives
        // one more pass, instead of falling between the procedure and the
        // re-arm. A burst before the re-arm is still one procedure, which
        // reads the state after it. A key that can no longer be watched
        // (deleted) reports this last change and ends the watch.
        const bool armed = Arm(key.Get(), FWatchSubtree, changed.Get());
        if (!StopRequested() && FProc && FHandover) {
            // Checked again on the window thread: once Stop has returned
            // there, no procedure runs, even one already handed over. A
            // dropped hand-over (the window is gone) is simply not retried.
            FHandover([this] {
                if (!StopRequested())
                    FProc();
            });
        }
        if (!armed)
            return;
    }
}

std::unique_ptr<TRegistryMonitor> RegistryMonitor(HKEY root, const std::wstring& key, std::function<void()> proc,
                                                  bool watchSubtree, THandover handover)
{
    return std::make_unique<TRegistryMonitor>(root, key, watchSubtree, std::move(handover), std::move(proc));
}
