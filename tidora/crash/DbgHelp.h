// The parts of dbghelp.dll the crash reporter uses, loaded at run time so
// that a missing or old dbghelp only costs the symbol names and the dump.
// dbghelp is not thread-safe: only the crash reporter's own thread calls it.
#pragma once

#include <windows.h>
#include <dbghelp.h>

#include <set>
#include <string>

class TDbgHelp {
public:
    TDbgHelp();
    // dbghelp.dll was found and can set up symbols.
    bool Loaded() const { return FInitialize != nullptr; }
    bool InitSymbols();
    // Makes the symbols of the module at `base` available (once per module).
    void LoadModule(HMODULE base);

    decltype(&SymFromAddrW) SymFromAddr = nullptr;
    decltype(&SymGetModuleBase64) GetModuleBase = nullptr;
    decltype(&SymFunctionTableAccess64) FunctionTableAccess = nullptr;
    decltype(&StackWalk64) StackWalk = nullptr;
    decltype(&MiniDumpWriteDump) WriteDump = nullptr;

private:
    decltype(&SymInitializeW) FInitialize = nullptr;
    decltype(&SymSetOptions) FSetOptions = nullptr;
    decltype(&SymLoadModuleExW) FLoadModule = nullptr;
    bool FSymbolsTried = false;
    bool FSymbolsReady = false;
    std::set<HMODULE> FLoaded;
};
