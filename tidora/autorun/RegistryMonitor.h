// A watch on one registry key: a worker thread that waits for a change of
// the key (and, if asked, of its whole subtree) and then runs the caller's
// procedure on the window thread through the hand-over the caller gives.
// The install page keeps one per uninstall source and reloads itself from
// the procedure.
//
// The owner (normally the window thread) creates, stops, joins and destroys
// the watch; the destructor stops and joins it. The procedure runs on the
// hand-over's thread only, one call at a time, and never after Stop has
// returned on that thread.
#pragma once

#include "Handover.h"
#include "Win32Handles.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class TRegistryMonitor {
public:
    // Starts the worker at once. `key` is relative to `root`, with or
    // without a leading "\", and is opened in the 64-bit view. A key that
    // cannot be opened ends the worker at once without ever calling `proc`.
    TRegistryMonitor(HKEY root, std::wstring key, bool watchSubtree, THandover handover, std::function<void()> proc);
    // Stops and joins the worker.
    ~TRegistryMonitor();
    TRegistryMonitor(const TRegistryMonitor&) = delete;
    TRegistryMonitor& operator=(const TRegistryMonitor&) = delete;

    // Asks the worker to end; it notices at once, or as soon as a running
    // procedure returns. Any thread; returns without waiting.
    void Stop() noexcept;
    // Waits until the worker has ended, at most `milliseconds`; true when it
    // has (also when it never started). Hand-overs sent to the calling thread
    // are served meanwhile, so the window thread may join a worker that is
    // handing work to it (the work is dropped once Stop was called).
    bool Join(DWORD milliseconds = INFINITE) noexcept;
    // The worker has ended (or never started).
    bool Ended() const noexcept;

private:
    static unsigned __stdcall ThreadMain(void* self);
    void Watch();
    bool StopRequested() const noexcept;

    HKEY FRoot;
    std::wstring FKey;
    bool FWatchSubtree;
    THandover FHandover;
    std::function<void()> FProc;
    std::atomic<bool> FStopped{false};
    TKernelHandle FStopEvent;
    TKernelHandle FThread;
};

// The watch on `root`\`key` as the install page starts them: `proc` runs
// through `handover` after every change.
std::unique_ptr<TRegistryMonitor> RegistryMonitor(HKEY root, const std::wstring& key, std::function<void()> proc,
                                                  bool watchSubtree, THandover handover);
