// The program launch helper: starts a program, or opens a document, through
// the shell and, when the shell started a process, waits for it on a thread
// of its own and then runs the caller's procedure on the window thread
// through the caller's hand-over. The install page starts uninstallers with
// it.
//
// Call on the window thread (the thread `handover` runs work on). Neither
// form waits or reports whether the launch succeeded.
#pragma once

#include "Handover.h"

#include <functional>
#include <string>

// Splits the command line into file and parameters (SplitCommandLine) and
// launches them as the form below does.
void Execute(const std::wstring& commandLine, int showCommand, std::function<void()> proc = {},
             THandover handover = {});

// Opens `file` with the verb "Open". When the shell started a process, a
// wait thread runs `proc` through `handover` once the process has ended (a
// hand-over whose window is gone by then drops it); when nothing was started
// (the file is missing, or a running program took the document) `proc` runs
// at once, on the calling thread, before Execute returns. `proc` may be
// empty; without a hand-over a started process is still waited for, but
// `proc` cannot reach the window thread and is dropped.
void Execute(const std::wstring& file, const std::wstring& parameters, int showCommand,
             std::function<void()> proc = {}, THandover handover = {});
