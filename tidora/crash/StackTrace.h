// Call stacks of the crash report: capturing the addresses and writing them
// as module + offset, with the function name where symbols give one.
#pragma once

#include "CoffSymbols.h"
#include "DbgHelp.h"

#include <windows.h>

#include <string>
#include <vector>

// The return addresses of the stack described by `context`, walked on the
// thread that owns that stack while it is still intact (x64: the unwind
// tables; elsewhere the calling thread's own stack).
std::vector<void*> CaptureStackFrom(const CONTEXT& context);
// The stack of a stopped thread, walked from another thread through dbghelp.
std::vector<void*> WalkStoppedThread(TDbgHelp& dbgHelp, HANDLE thread, const CONTEXT& context);
// One line per frame: "Tidora.exe+0x1A2B  FunctionName+0x12". Names come
// from dbghelp, else from the module's COFF symbol table.
std::wstring FormatStack(TDbgHelp& dbgHelp, TCoffSymbols& coff, const std::vector<void*>& frames);
// "Tidora.exe+0x1A2B" for an address, or the bare address outside any module.
std::wstring ModuleOffset(const void* address);
