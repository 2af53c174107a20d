// Small helpers shared by the autorun tests: raw registry values written and
// read past the code under test, unique names, entry lookup, and clean-up
// of what a test put into the shared Run keys, folders and service manager.
#pragma once

#include "Autorun.h"

#include <windows.h>

#include <string>
#include <vector>

namespace autoruntest {

inline const std::wstring RunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const std::wstring Run32Key = L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const std::wstring ApprovedRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
inline const std::wstring ApprovedRun32 = ApprovedRun + L"32";
inline const std::wstring ApprovedFolder =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";

// A name no other test (or earlier run) uses: prefix, process id, counter.
std::wstring UniqueName(const std::wstring& prefix);

void SetRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD size);
void SetText(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text,
             DWORD type = REG_SZ);
void SetBytes(HKEY root, const std::wstring& key, const std::wstring& name, const std::vector<BYTE>& bytes);
// Type and bytes of a value; type REG_NONE and no bytes when it is missing.
bool ReadRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data);
bool KeyExists(HKEY root, const std::wstring& key);
void RemoveValue(HKEY root, const std::wstring& key, const std::wstring& name);
void RemoveKeyTree(HKEY root, const std::wstring& key);

// Bytes of a REG_SZ / REG_EXPAND_SZ text with its final NUL.
std::vector<BYTE> TextBytes(const std::wstring& text);

// The entry (From, Target), or nullptr; `count` tells how many matched.
const TAutorunInfo* FindEntry(const TAutorunList& list, const std::wstring& from, const std::wstring& target,
                              int* count = nullptr);

unsigned long long FileTimeNow();
// The FILETIME of bytes 4..11 of an approval record.
unsigned long long RecordTime(const std::vector<BYTE>& record);

// Values and folders put into shared places, removed at the end of a test.
class TCleanup {
public:
    TCleanup() = default;
    ~TCleanup();
    TCleanup(const TCleanup&) = delete;
    TCleanup& operator=(const TCleanup&) = delete;

    void Value(HKEY root, const std::wstring& key, const std::wstring& name);
    void Key(HKEY root, const std::wstring& key);
    void File(const std::wstring& path);
    void Folder(const std::wstring& path);  // removed after its files

private:
    struct TValue {
        HKEY Root;
        std::wstring Key, Name;
    };
    std::vector<TValue> FValues;
    std::vector<TValue> FKeys;
    std::vector<std::wstring> FFiles;
    std::vector<std::wstring> FFolders;
};

// A startup folder as the shell names it, made when the prefix has none yet.
std::wstring StartupFolder(int csidl);

}  // namespace autoruntest
