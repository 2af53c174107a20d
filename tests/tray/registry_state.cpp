#include "registry_state.h"

bool KeyExists(HKEY root, const std::wstring& keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void CreateKey(HKEY root, const std::wstring& keyPath)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key,
                        nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
}

void DeleteKeyTree(HKEY root, const std::wstring& keyPath)
{
    RegDeleteTreeW(root, keyPath.c_str());
    RegDeleteKeyExW(root, keyPath.c_str(), KEY_WOW64_64KEY, 0);
}

void DeleteValue(HKEY root, const std::wstring& keyPath, const std::wstring& name)
{
    RegDeleteKeyValueW(root, keyPath.c_str(), name.c_str());
}

void SetValue(HKEY root, const std::wstring& keyPath, const std::wstring& name, DWORD type, const void* data,
              DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

bool GetValue(HKEY root, const std::wstring& keyPath, const std::wstring& name, DWORD& type,
              std::vector<BYTE>& data)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool found = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (found) {
        data.resize(size);
        found = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
        data.resize(size);
    }
    RegCloseKey(key);
    return found;
}

std::wstring GetString(HKEY root, const std::wstring& keyPath, const std::wstring& name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!GetValue(root, keyPath, name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

SavedRegistryKey::SavedRegistryKey(HKEY root, std::wstring keyPath) : FRoot(root), FKeyPath(std::move(keyPath))
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(FRoot, FKeyPath.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return;
    FExisted = true;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        Value value{name, type, {}};
        GetValue(FRoot, FKeyPath, value.name, value.type, value.data);
        FValues.push_back(std::move(value));
    }
    RegCloseKey(key);
}

SavedRegistryKey::~SavedRegistryKey()
{
    DeleteKeyTree(FRoot, FKeyPath);
    if (!FExisted)
        return;
    CreateKey(FRoot, FKeyPath);
    for (const Value& value : FValues)
        SetValue(FRoot, FKeyPath, value.name, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
}
