#include "AutorunTestSupport.h"

#include "PathTokens.h"

#include <shlobj.h>

#include <atomic>
#include <cstring>

namespace autoruntest {

std::wstring UniqueName(const std::wstring& prefix)
{
    static std::atomic<int> counter{0};
    return prefix + std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(++counter);
}

void SetRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
}

std::vector<BYTE> TextBytes(const std::wstring& text)
{
    std::vector<BYTE> bytes((text.size() + 1) * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.c_str(), bytes.size());
    return bytes;
}

void SetText(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text, DWORD type)
{
    std::vector<BYTE> bytes = TextBytes(text);
    SetRaw(root, key, name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void SetBytes(HKEY root, const std::wstring& key, const std::wstring& name, const std::vector<BYTE>& bytes)
{
    SetRaw(root, key, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool ReadRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data)
{
    type = REG_NONE;
    data.clear();
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &handle) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool found = RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (found) {
        data.resize(size);
        found = RegQueryValueExW(handle, name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
        data.resize(size);
    }
    RegCloseKey(handle);
    if (!found) {
        type = REG_NONE;
        data.clear();
    }
    return found;
}

bool KeyExists(HKEY root, const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

void RemoveValue(HKEY root, const std::wstring& key, const std::wstring& name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &handle) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(handle, name.c_str());
    RegCloseKey(handle);
}

void RemoveKeyTree(HKEY root, const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &handle) == ERROR_SUCCESS) {
        RegDeleteTreeW(handle, nullptr);
        RegCloseKey(handle);
    }
    size_t slash = key.find_last_of(L'\\');
    if (slash == std::wstring::npos || RegOpenKeyExW(root, key.substr(0, slash).c_str(), 0,
                                                     KEY_ALL_ACCESS | KEY_WOW64_64KEY, &handle) != ERROR_SUCCESS)
        return;
    RegDeleteKeyExW(handle, key.substr(slash + 1).c_str(), KEY_WOW64_64KEY, 0);
    RegCloseKey(handle);
}

const TAutorunInfo* FindEntry(const TAutorunList& list, const std::wstring& from, const std::wstring& target,
                              int* count)
{
    const TAutorunInfo* found = nullptr;
    int matches = 0;
    for (const TAutorunInfo& entry : list)
        if (entry.From == from && entry.Target == target) {
            if (!found)
                found = &entry;
            ++matches;
        }
    if (count)
        *count = matches;
    return found;
}

unsigned long long FileTimeNow()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

unsigned long long RecordTime(const std::vector<BYTE>& record)
{
    unsigned long long ticks = 0;
    for (int i = 7; i >= 0 && record.size() >= 12; --i)
        ticks = (ticks << 8) | record[4 + i];
    return ticks;
}

TCleanup::~TCleanup()
{
    for (const TValue& value : FValues)
        RemoveValue(value.Root, value.Key, value.Name);
    for (const TValue& key : FKeys)
        RemoveKeyTree(key.Root, key.Key);
    for (const std::wstring& file : FFiles)
        DeleteFileW(file.c_str());
    for (auto it = FFolders.rbegin(); it != FFolders.rend(); ++it)
        RemoveDirectoryW(it->c_str());
}

void TCleanup::Value(HKEY root, const std::wstring& key, const std::wstring& name)
{
    FValues.push_back({root, key, name});
}

void TCleanup::Key(HKEY root, const std::wstring& key)
{
    FKeys.push_back({root, key, L""});
}

void TCleanup::File(const std::wstring& path)
{
    FFiles.push_back(path);
}

void TCleanup::Folder(const std::wstring& path)
{
    FFolders.push_back(path);
}

std::wstring StartupFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    return GetSpecialFolder(csidl);
}

}  // namespace autoruntest
