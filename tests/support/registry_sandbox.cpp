#include "registry_sandbox.h"

#include <atomic>

RegistrySandbox::RegistrySandbox(HKEY root) : FRoot(root)
{
    static std::atomic<int> counter{0};
    FPath = L"Software\\TidoraTest\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    HKEY key = nullptr;
    if (RegCreateKeyExW(FRoot, FPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key,
                        nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
}

RegistrySandbox::~RegistrySandbox()
{
    HKEY parent = nullptr;
    if (RegOpenKeyExW(FRoot, L"Software\\TidoraTest", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &parent) ==
        ERROR_SUCCESS) {
        RegDeleteTreeW(parent, FPath.substr(FPath.find_last_of(L'\\') + 1).c_str());
        RegCloseKey(parent);
    }
}

namespace {

void SetValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
              DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

}  // namespace

void RegistrySandbox::SetString(const std::wstring& subkey, const std::wstring& name, const std::wstring& value) const
{
    std::wstring path = subkey.empty() ? FPath : FPath + L"\\" + subkey;
    SetValue(FRoot, path, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RegistrySandbox::SetDword(const std::wstring& subkey, const std::wstring& name, DWORD value) const
{
    std::wstring path = subkey.empty() ? FPath : FPath + L"\\" + subkey;
    SetValue(FRoot, path, name, REG_DWORD, &value, sizeof(value));
}
