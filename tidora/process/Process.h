// The running processes and the machine's memory: a snapshot of the process
// table, ending a process, telling whether one still exists.
#pragma once

#include "ProcessInfo.h"

#include <windows.h>

#include <cstdint>
#include <unordered_set>

// Appends one entry per running process (id 0 skipped) in snapshot order.
// The list is not cleared first.
void SnapshotProcesses(TProcessList& list);

// Full path of the process's executable, or empty. The second form takes the
// Windows major version that picks the way of reading it.
std::wstring GetProcessImagePath(DWORD processId);
std::wstring GetProcessImagePath(DWORD processId, DWORD windowsMajor);

// True when a fresh process snapshot holds that id.
bool IsProcessAlive(DWORD processId);
// Ids of a fresh process snapshot; empty when none can be taken.
std::unordered_set<DWORD> LiveProcessIds();

// Asks Windows to end the process; 0 and the own process are left alone.
void KillProcess(DWORD processId);

// Physical memory in bytes: kind TotalMemory (0) the total, AvailableMemory
// (1) the available amount, any other kind UnknownMemoryKind (-1).
constexpr int TotalMemory = 0;
constexpr int AvailableMemory = 1;
constexpr std::int64_t UnknownMemoryKind = -1;
std::int64_t GetMemoryStatus(int kind);
inline std::int64_t GetTotalMemory() { return GetMemoryStatus(TotalMemory); }
inline std::int64_t GetAvailableMemory() { return GetMemoryStatus(AvailableMemory); }

// The major version Windows really has (not the one a manifest lets it report).
DWORD RealWindowsMajorVersion();
