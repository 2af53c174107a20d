// Functions of system DLLs that older Windows versions lack are looked up at
// run time, so the program still starts on Windows Vista.
#pragma once

#include <windows.h>

// The function `name` of `module` (loaded from the system folder when it is
// not loaded yet) as type F, or nullptr.
template <class F>
F LoadSystemProc(const wchar_t* module, const char* name)
{
    HMODULE handle = GetModuleHandleW(module);
    if (!handle)
        handle = LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!handle && GetLastError() == ERROR_INVALID_PARAMETER) {
        // Without the search-flags update of Windows Vista/7 the flag is refused.
        wchar_t path[MAX_PATH];
        UINT n = GetSystemDirectoryW(path, MAX_PATH);
        if (n > 0 && n < MAX_PATH - 40) {
            lstrcatW(path, L"\\");
            lstrcatW(path, module);
            handle = LoadLibraryW(path);
        }
    }
    if (!handle)
        return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}
