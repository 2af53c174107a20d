// The crash reporter: an error that escapes a window event (a C++ exception
// or a structured exception such as an access violation) is shown in a
// dialog with its text and call stack, and a minidump of the process is
// saved below the user's local application-data folder.
#pragma once

#include <string>

// Installs the reporter for the whole process; call once at start-up,
// before any window exists.
void InstallCrashReporter();
// "<local application data>\Tidora\CrashDumps".
std::wstring CrashDumpFolder();
