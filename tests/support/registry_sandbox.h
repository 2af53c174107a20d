// A registry key of its own for one test: created empty, deleted with its
// whole subtree when the sandbox goes out of scope.
#pragma once

#include <windows.h>

#include <string>

class RegistrySandbox {
public:
    explicit RegistrySandbox(HKEY root = HKEY_CURRENT_USER);
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    HKEY Root() const { return FRoot; }
    // Key path below the root, e.g. Software\TidoraTest\1234-1
    const std::wstring& Path() const { return FPath; }
    // Writes a string value (REG_SZ) below the sandbox, creating subkeys.
    void SetString(const std::wstring& subkey, const std::wstring& name, const std::wstring& value) const;
    void SetDword(const std::wstring& subkey, const std::wstring& name, DWORD value) const;

private:
    HKEY FRoot;
    std::wstring FPath;
};
