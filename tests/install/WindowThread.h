// The test thread as a window thread: it serves its messages (and so the
// hand-overs sent to it) while it waits.
#pragma once

#include <windows.h>

#include <functional>

// Serves messages until the condition holds or the time is up; returns the
// condition.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// Serves messages for this long.
void PumpFor(DWORD ms);
