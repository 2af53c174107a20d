// Switching autorun entries off and on (declared in Autorun.h).
#include "Autorun.h"

#include "PathTokens.h"
#include "Process.h"
#include "Registry.h"
#include "Text.h"

#include <shlobj.h>

namespace {

// Windows 10 brought the approval records that its own start-up honours.
constexpr DWORD FirstApprovalVersion = 10;

struct TFilePlace {
    std::wstring Folder;
    std::wstring Name;
};

TFilePlace SplitFilePath(const std::wstring& path)
{
    size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return {L"", path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteApproval(HKEY root, const std::wstring& key, const std::wstring& name, bool enabled)
{
    return TReg::WriteValue(root, key, name, {REG_BINARY, MakeApproval(enabled)});
}

// Brings a file switched off earlier back from the store. MoveFileExW
// without REPLACE_EXISTING refuses when the old place holds a file again:
// then the stored copy stays where it is and the entry stays off.
bool RestoreStoredFile(const TFilePlace& place, const std::wstring& target)
{
    std::wstring stored = place.Folder + L"\\" + DisabledStoreName + L"\\" + place.Name;
    if (!FileExists(stored))
        return true;
    if (!MoveFileExW(stored.c_str(), target.c_str(), 0))
        return false;
    RemoveDirectoryW((place.Folder + L"\\" + DisabledStoreName).c_str());  // only when empty
    return true;
}

bool StoreFile(const TFilePlace& place, const std::wstring& target)
{
    if (!FileExists(target))
        return false;
    std::wstring store = place.Folder + L"\\" + DisabledStoreName;
    if (CreateDirectoryW(store.c_str(), nullptr))
        SetFileAttributesW(store.c_str(), FILE_ATTRIBUTE_HIDDEN);
    // A rename inside one folder tree: the bytes, times and attributes stay
    // as they were. An earlier stored copy of the same name is never replaced.
    return MoveFileExW(target.c_str(), (store + L"\\" + place.Name).c_str(), 0) != FALSE;
}

bool IsKeyEmpty(HKEY root, const std::wstring& key)
{
    std::vector<std::wstring> names;
    return TReg::ReadValueNames(root, key, names) == 0 && TReg::ReadKeyNames(root, key, names) == 0;
}

// The Run value counterpart of RestoreStoredFile: the value goes back with
// its own type and bytes, and only when its old name is free.
bool RestoreStoredValue(HKEY root, const std::wstring& key, const std::wstring& store, const std::wstring& name)
{
    std::optional<TRegValue> stored = TReg::ReadValue(root, store, name);
    if (!stored)
        return true;
    if (TReg::ValueExists(root, key, name))
        return false;
    if (!TReg::WriteValue(root, key, name, *stored))
        return false;
    TReg::RemoveValue(root, store, name);
    if (IsKeyEmpty(root, store)) {
        size_t slash = store.find_last_of(L'\\');
        TReg::DeleteKey(root, store.substr(0, slash), store.substr(slash + 1));
    }
    return true;
}

bool StoreValue(HKEY root, const std::wstring& key, const std::wstring& store, const std::wstring& name)
{
    std::optional<TRegValue> value = TReg::ReadValue(root, key, name);
    if (!value || TReg::ValueExists(root, store, name))
        return false;
    // The copy is written first; the original goes only once the copy is there.
    if (!TReg::WriteValue(root, store, name, *value))
        return false;
    return TReg::RemoveValue(root, key, name);
}

}  // namespace

bool SetAutorun(const std::wstring& target, const std::wstring& from, bool enabled)
{
    if (AsciiEqualsIgnoreCase(from, L"FILE"))
        return SetStartupFile(target, enabled);
    if (AsciiEqualsIgnoreCase(from, L"SCHE"))
        return SetTask(target, enabled);
    if (AsciiEqualsIgnoreCase(from, L"SERV"))
        return SetService(target, enabled);
    return SetRunValue(target, enabled);
}

bool SetStartupFile(const std::wstring& target, bool enabled)
{
    return SetStartupFile(target, enabled, RealWindowsMajorVersion());
}

bool SetStartupFile(const std::wstring& target, bool enabled, DWORD windowsMajor)
{
    const TFilePlace place = SplitFilePath(target);
    if (place.Folder.empty() || place.Name.empty())
        return false;
    // A file switched off on an older Windows comes back on any version.
    if (enabled && !RestoreStoredFile(place, target))
        return false;
    if (windowsMajor >= FirstApprovalVersion) {
        // Text for text, as the folder was listed.
        HKEY root = place.Folder == GetSpecialFolder(CSIDL_COMMON_STARTUP) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        return WriteApproval(root, ApprovedStartupFolderKey, place.Name, enabled);
    }
    // Older Windows knows no approval record: off means out of the folder,
    // into the store beside it, never deleted.
    return enabled ? FileExists(target) : StoreFile(place, target);
}

bool SetRunValue(const std::wstring& target, bool enabled)
{
    return SetRunValue(target, enabled, RealWindowsMajorVersion());
}

bool SetRunValue(const std::wstring& target, bool enabled, DWORD windowsMajor)
{
    HKEY root = nullptr;
    std::wstring key, name;
    if (!TReg::Parse(target, root, key, name) || !root)
        return false;
    const std::wstring store = key + L"\\" + DisabledStoreName;
    if (enabled && !RestoreStoredValue(root, key, store, name))
        return false;
    if (windowsMajor >= FirstApprovalVersion) {
        const wchar_t* approvalKey =
            AsciiUpper(key).find(L"WOW6432NODE") != std::wstring::npos ? ApprovedRun32Key : ApprovedRunKey;
        return WriteApproval(root, approvalKey, name, enabled);
    }
    return enabled ? TReg::ValueExists(root, key, name) : StoreValue(root, key, store, name);
}

bool SetTask(const std::wstring& target, bool enabled)
{
    TTaskService connection;
    OpenTaskService(connection);
    bool done = SetTask(connection.Get(), target, enabled);
    CloseTaskService(connection);
    return done;
}

bool SetTask(ITaskService* service, const std::wstring& target, bool enabled)
{
    if (!service)
        return false;
    TBstr rootPath(SysAllocString(L"\\"));
    TComInterface<ITaskFolder> folder;
    if (FAILED(service->GetFolder(rootPath.Get(), folder.Put())) || !folder)
        return false;
    TBstr taskPath(SysAllocString(target.c_str()));
    TComInterface<IRegisteredTask> task;
    if (FAILED(folder.Get()->GetTask(taskPath.Get(), task.Put())) || !task)
        return false;
    const VARIANT_BOOL wanted = enabled ? VARIANT_TRUE : VARIANT_FALSE;
    if (FAILED(task.Get()->put_Enabled(wanted)))
        return false;
    // Read back: a scheduler may accept the call and keep the old state.
    VARIANT_BOOL now = VARIANT_FALSE;
    return SUCCEEDED(task.Get()->get_Enabled(&now)) && (now != VARIANT_FALSE) == enabled;
}

bool SetService(const std::wstring& target, bool enabled)
{
    TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return false;
    TServiceHandle service(OpenServiceW(manager.Get(), target.c_str(), SERVICE_CHANGE_CONFIG | SERVICE_STOP));
    if (!service)
        return false;
    // Only the start type changes; a running service keeps running until
    // Windows starts again. Switching on always means automatic.
    return ChangeServiceConfigW(service.Get(), SERVICE_NO_CHANGE, enabled ? SERVICE_AUTO_START : SERVICE_DISABLED,
                                SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr) != FALSE;
}

std::vector<BYTE> MakeApproval(bool enabled)
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    std::vector<BYTE> record(12, 0);
    record[0] = enabled ? 2 : 3;
    // FILETIME in little-endian byte order, whatever the host's order.
    const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    for (int i = 0; i < 8; ++i)
        record[4 + i] = static_cast<BYTE>(ticks >> (8 * i));
    return record;
}
