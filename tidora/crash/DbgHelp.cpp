#include "DbgHelp.h"

namespace {

template <class F>
void Load(HMODULE module, const char* name, F& target)
{
    target = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
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

// From the system folder only: a dbghelp.dll planted beside the program
// must not be loaded into an elevated process.
TDbgHelp::TDbgHelp()
{
    wchar_t system[MAX_PATH];
    UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    std::wstring path = std::wstring(system, n) + L"\\dbghelp.dll";
    module_ = LoadLibraryW(path.c_str());
    if (!module_)
        return;
    Load(module_, "SymInitializeW", initialize_);
    Load(module_, "SymSetOptions", setOptions_);
    Load(module_, "SymLoadModuleExW", loadModule_);
    Load(module_, "SymFromAddrW", SymFromAddr);
    Load(module_, "SymGetModuleBase64", GetModuleBase);
    Load(module_, "SymFunctionTableAccess64", FunctionTableAccess);
    Load(module_, "StackWalk64", StackWalk);
    Load(module_, "MiniDumpWriteDump", WriteDump);
}

bool TDbgHelp::InitSymbols()
{
    if (symbolsTried_)
        return symbolsReady_;
    symbolsTried_ = true;
    if (!initialize_)
        return false;
    if (setOptions_)
        setOptions_(SYMOPT_UNDNAME | SYMOPT_DEFERRED_LOADS | SYMOPT_FAIL_CRITICAL_ERRORS | SYMOPT_NO_PROMPTS);
    // Modules are loaded one by one as frames need them: taking in the whole
    // process is slow and reads modules no frame lies in.
    std::wstring searchPath = ExeFolder();
    symbolsReady_ = initialize_(GetCurrentProcess(), searchPath.empty() ? nullptr : searchPath.c_str(), FALSE) != FALSE;
    return symbolsReady_;
}

void TDbgHelp::LoadModule(HMODULE base)
{
    if (!base || !InitSymbols() || !loadModule_ || !loaded_.insert(base).second)
        return;
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(base, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    loadModule_(GetCurrentProcess(), nullptr, path, nullptr, reinterpret_cast<DWORD64>(base), 0, nullptr, 0);
}
