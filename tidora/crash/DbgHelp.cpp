#include "DbgHelp.h"

#include "SystemProc.h"

namespace {

template <class F>
void Load(const char* name, F& target)
{
    target = LoadSystemProc<F>(L"dbghelp.dll", name);
}

std::wstring ExeFolder()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    size_t slash = folder.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
}

}  // namespace

// From the system folder only (LoadSystemProc): a dbghelp.dll planted
// beside the program must not be loaded into an elevated process. Once
// loaded it stays for the life of the process, like the reporter thread.
TDbgHelp::TDbgHelp()
{
    Load("SymInitializeW", FInitialize);
    Load("SymSetOptions", FSetOptions);
    Load("SymLoadModuleExW", FLoadModule);
    Load("SymFromAddrW", SymFromAddr);
    Load("SymGetModuleBase64", GetModuleBase);
    Load("SymFunctionTableAccess64", FunctionTableAccess);
    Load("StackWalk64", StackWalk);
    Load("MiniDumpWriteDump", WriteDump);
}

bool TDbgHelp::InitSymbols()
{
    if (FSymbolsTried)
        return FSymbolsReady;
    FSymbolsTried = true;
    if (!FInitialize)
        return false;
    if (FSetOptions)
        FSetOptions(SYMOPT_UNDNAME | SYMOPT_DEFERRED_LOADS | SYMOPT_FAIL_CRITICAL_ERRORS | SYMOPT_NO_PROMPTS);
    // Modules are loaded one by one as frames need them: taking in the whole
    // process is slow and reads modules no frame lies in.
    std::wstring searchPath = ExeFolder();
    FSymbolsReady = FInitialize(GetCurrentProcess(), searchPath.empty() ? nullptr : searchPath.c_str(), FALSE) != FALSE;
    return FSymbolsReady;
}

void TDbgHelp::LoadModule(HMODULE base)
{
    if (!base || !InitSymbols() || !FLoadModule || !FLoaded.insert(base).second)
        return;
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(base, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    FLoadModule(GetCurrentProcess(), nullptr, path, nullptr, reinterpret_cast<DWORD64>(base), 0, nullptr, 0);
}
