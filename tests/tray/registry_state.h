// Saves a registry key's existence and its values, and puts them back when
// the object goes out of scope: end-to-end tests change the real
// HKEY_CURRENT_USER\Software\Morvane the programs use.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class SavedRegistryKey {
public:
    SavedRegistryKey(HKEY root, std::wstring keyPath);
    ~SavedRegistryKey();
    SavedRegistryKey(const SavedRegistryKey&) = delete;
    SavedRegistryKey& operator=(const SavedRegistryKey&) = delete;

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    HKEY FRoot;
    std::wstring FKeyPath;
    bool FExisted = false;
    std::vector<Value> FValues;
};

// Small registry steps for the tests (64-bit view).
bool KeyExists(HKEY root, const std::wstring& keyPath);
void CreateKey(HKEY root, const std::wstring& keyPath);
void DeleteKeyTree(HKEY root, const std::wstring& keyPath);
void DeleteValue(HKEY root, const std::wstring& keyPath, const std::wstring& name);
void SetValue(HKEY root, const std::wstring& keyPath, const std::wstring& name, DWORD type, const void* data,
              DWORD size);
// Type and bytes of a value; false when it is missing.
bool GetValue(HKEY root, const std::wstring& keyPath, const std::wstring& name, DWORD& type,
              std::vector<BYTE>& data);
std::wstring GetString(HKEY root, const std::wstring& keyPath, const std::wstring& name);
