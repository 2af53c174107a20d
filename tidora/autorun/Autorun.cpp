#include "Autorun.h"

#include "CommandLine.h"
#include "PathTokens.h"
#include "Registry.h"
#include "Text.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// The Task Scheduler's COM class and its ITaskService interface, spelled out
// so that no GUID library is needed.
constexpr CLSID TaskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
constexpr IID TaskServiceInterface = {0x2faba4c7, 0x4da9, 0x4013, {0x96, 0x97, 0x20, 0xcc, 0x3f, 0xd4, 0x0f, 0x85}};

bool HasStartableExtension(std::wstring_view fileName)
{
    size_t dot = fileName.rfind(L'.');
    if (dot == std::wstring_view::npos)
        return false;
    std::wstring_view extension = fileName.substr(dot);
    for (std::wstring_view allowed : {L".url", L".lnk", L".exe", L".bat", L".cmd", L".com"})
        if (AsciiEqualsIgnoreCase(extension, allowed))
            return true;
    return false;
}

std::wstring WithoutExtension(const std::wstring& fileName)
{
    size_t dot = fileName.rfind(L'.');
    return dot == std::wstring::npos ? fileName : fileName.substr(0, dot);
}

// Names of the plain files directly in `folder` (hidden and system ones
// included), in the file system's order.
std::vector<std::wstring> FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    TFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.emplace_back(data.cFileName);
    } while (FindNextFileW(find.Get(), &data));
    return names;
}

bool IsFolder(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The approval records of one source, read through one open key. A load
// asks for one record per entry; opening the key once per source instead of
// once per entry matters with a few hundred Run values, because every open
// and close is a round trip to the registry. The reading rule is
// IsApprovalEnabled's.
class TApprovalRecords {
public:
    // No key means no records.
    TApprovalRecords(HKEY root, const std::wstring& keyPath) : FKey(OpenForReading(root, keyPath)) {}

    bool IsEnabled(const std::wstring& name) const
    {
        if (!FKey)
            return true;
        // Only a 12-byte record can say "off": a buffer of 12 bytes takes it
        // whole, and a longer value fails with ERROR_MORE_DATA and so says
        // nothing, just as its full bytes would.
        std::vector<BYTE> record(12);
        DWORD size = static_cast<DWORD>(record.size());
        if (RegQueryValueExW(FKey.Get(), name.c_str(), nullptr, nullptr, record.data(), &size) != ERROR_SUCCESS)
            return true;
        record.resize(size);
        return IsApprovalEnabled(record);
    }

private:
    TRegKeyHandle FKey;
};

// Text as TReg::ReadString gives it: REG_SZ or REG_EXPAND_SZ up to the first
// NUL, never expanded; any other type reads as empty.
std::wstring StoredText(DWORD type, const std::vector<BYTE>& data, DWORD size)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return {};
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (!text.empty())
        memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    const size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos)
        text.erase(nul);
    return text;
}

// Every value of one key with its text, in the registry's order, through
// one open key: RegEnumValueW hands name and data together, so a Run key of
// a few hundred values costs one open instead of one per value.
std::vector<std::pair<std::wstring, std::wstring>> ReadTextValues(HKEY root, const std::wstring& keyPath)
{
    std::vector<std::pair<std::wstring, std::wstring>> values;
    const TRegKeyHandle key = OpenForReading(root, keyPath);
    if (!key)
        return values;
    DWORD longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::vector<wchar_t> name(longestName + 1);
    std::vector<BYTE> data(longestData + sizeof(wchar_t));
    for (DWORD index = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        const LONG result = RegEnumValueW(key.Get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (result == ERROR_MORE_DATA) {
            // A longer name or value appeared since the sizes were asked for.
            name.resize(name.size() * 2 + 256);
            data.resize(std::max<size_t>(data.size() * 2, size + sizeof(wchar_t)));
            continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        values.emplace_back(std::wstring(name.data(), nameLength), StoredText(type, data, size));
        ++index;
    }
    return values;
}

// ReadStartupFolder with its approval root already known.
void ReadStartupFolderOf(const std::wstring& folder, HKEY approvalRoot, TAutorunList& list)
{
    if (folder.empty() || !IsFolder(folder))
        return;
    const TApprovalRecords approvals(approvalRoot, ApprovedStartupFolderKey);
    for (const std::wstring& name : FilesIn(folder)) {
        if (!HasStartableExtension(name))
            continue;
        std::wstring path = folder + L"\\" + name;
        list.push_back({path, WithoutExtension(name), L"", path, L"FILE", approvals.IsEnabled(name)});
    }
    // Files switched off before Windows 10 wait in the store; they are
    // listed under the place they came from, so that switching them on
    // finds them, and their file for icon and version is where they lie now.
    const std::wstring store = folder + L"\\" + DisabledStoreName;
    for (const std::wstring& name : FilesIn(store)) {
        if (!HasStartableExtension(name))
            continue;
        list.push_back({store + L"\\" + name, WithoutExtension(name), L"", folder + L"\\" + name, L"FILE", false});
    }
}

void ReadFilesAndRunKeys(TAutorunList& list)
{
    ReadStartupFolderOf(GetSpecialFolder(CSIDL_COMMON_STARTUP), HKEY_LOCAL_MACHINE, list);
    ReadStartupFolderOf(GetSpecialFolder(CSIDL_STARTUP), HKEY_CURRENT_USER, list);
    ReadRunKey(HKEY_LOCAL_MACHINE, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", list);
    ReadRunKey(HKEY_LOCAL_MACHINE, L"\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", list);
    ReadRunKey(HKEY_CURRENT_USER, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", list);
}

}  // namespace

TTaskService::~TTaskService()
{
    CloseTaskService(*this);
}

void OpenTaskService(TTaskService& connection)
{
    if (connection.FService)
        return;
    connection.FCom.emplace(COINIT_APARTMENTTHREADED);
    if (!connection.FCom->Usable()) {
        connection.FCom.reset();
        return;
    }
    // Process-wide security can be set once only; when something set it
    // before (an earlier connection, or the toolkit), that setting serves.
    HRESULT security = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT,
                                            RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    if (FAILED(security) && security != RPC_E_TOO_LATE) {
        connection.FCom.reset();
        return;
    }
    TComInterface<ITaskService> service;
    if (FAILED(CoCreateInstance(TaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, TaskServiceInterface,
                                reinterpret_cast<void**>(service.Put()))) ||
        !service) {
        service.Release();
        connection.FCom.reset();
        return;
    }
    // Local machine, current user: every argument empty.
    VARIANT empty;
    VariantInit(&empty);
    if (FAILED(service.Get()->Connect(empty, empty, empty, empty))) {
        service.Reset();
        connection.FCom.reset();
        return;
    }
    connection.FService = std::move(service);
}

void CloseTaskService(TTaskService& connection)
{
    connection.FService.Reset();
    connection.FCom.reset();
}

void GetAutorun(TAutorunList& list)
{
    list.clear();
    ReadFilesAndRunKeys(list);
    {
        TTaskService connection;
        OpenTaskService(connection);
        if (connection.Get())
            ReadTaskFolder(connection.Get(), L"\\", list);
        CloseTaskService(connection);
    }
    ReadServices(list);
}

void GetAutorun(TAutorunList& list, ITaskService* tasks)
{
    list.clear();
    ReadFilesAndRunKeys(list);
    if (tasks)
        ReadTaskFolder(tasks, L"\\", list);
    ReadServices(list);
}

void ReadStartupFolder(const std::wstring& folder, TAutorunList& list)
{
    // Text for text: the shell gives both folders in the same spelling.
    ReadStartupFolderOf(folder, folder == GetSpecialFolder(CSIDL_COMMON_STARTUP) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                        list);
}

void ReadRunKey(HKEY root, const std::wstring& keyPath, TAutorunList& list)
{
    const std::wstring path = keyPath.starts_with(L'\\') ? keyPath : L"\\" + keyPath;
    const std::wstring rootName = RootKeyToName(root, true);
    const std::wstring approvalKey =
        AsciiUpper(path).find(L"WOW6432NODE") != std::wstring::npos ? ApprovedRun32Key : ApprovedRunKey;
    const TApprovalRecords approvals(root, approvalKey);
    for (const auto& [name, command] : ReadTextValues(root, path))
        list.push_back({ResolveCommandTarget(command), name, command, rootName + path + L"\\" + name, rootName,
                        approvals.IsEnabled(name)});
    for (const auto& [name, command] : ReadTextValues(root, path + L"\\" + DisabledStoreName))
        list.push_back({ResolveCommandTarget(command), name, command, rootName + path + L"\\" + name, rootName, false});
}

bool ReadTaskFolder(ITaskService* service, const std::wstring& folderPath, TAutorunList& list)
{
    if (!service)
        return false;
    TBstr path(SysAllocString(folderPath.c_str()));
    TComInterface<ITaskFolder> folder;
    if (FAILED(service->GetFolder(path.Get(), folder.Put())) || !folder)
        return false;
    // Flags 0: hidden tasks are left out. Subfolders are not visited.
    TComInterface<IRegisteredTaskCollection> tasks;
    if (FAILED(folder.Get()->GetTasks(0, tasks.Put())) || !tasks)
        return false;
    LONG count = 0;
    if (FAILED(tasks.Get()->get_Count(&count)))
        return false;
    std::wstring prefix = folderPath;
    while (!prefix.empty() && prefix.back() == L'\\')
        prefix.pop_back();
    // The collection counts from 1.
    for (LONG index = 1; index <= count; ++index) {
        VARIANT item;
        VariantInit(&item);
        item.vt = VT_I4;
        item.lVal = index;
        TComInterface<IRegisteredTask> task;
        if (FAILED(tasks.Get()->get_Item(item, task.Put())) || !task)
            return false;
        TBstr name;
        VARIANT_BOOL enabled = VARIANT_FALSE;
        if (FAILED(task.Get()->get_Name(name.Put())) || FAILED(task.Get()->get_Enabled(&enabled)))
            return false;
        std::wstring caption = name ? std::wstring(name.Get(), SysStringLen(name.Get())) : std::wstring();
        list.push_back({L"", caption, L"", prefix + L"\\" + caption, L"SCHE", enabled != VARIANT_FALSE});
    }
    return true;
}

void ReadServices(TAutorunList& list)
{
    TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager)
        return;
    // Sizes in whole records, so that the buffer is aligned for them; the
    // texts the records point to follow them in the same buffer. Every call
    // to the service manager is a round trip to another process, so the
    // buffers start at a size that usually suffices at once (64 KB of
    // records, 8 KB per configuration, the most a configuration takes)
    // instead of asking for the size first.
    std::vector<ENUM_SERVICE_STATUSW> records(64 * 1024 / sizeof(ENUM_SERVICE_STATUSW));
    std::vector<QUERY_SERVICE_CONFIGW> config(8 * 1024 / sizeof(QUERY_SERVICE_CONFIGW) + 1);
    DWORD resume = 0;
    // The resume handle carries on where a full buffer stopped; the bound
    // only guards against a manager that keeps asking for more.
    for (int round = 0; round < 64; ++round) {
        DWORD needed = 0, returned = 0;
        BOOL done = EnumServicesStatusW(manager.Get(), SERVICE_WIN32, SERVICE_STATE_ALL, records.data(),
                                        static_cast<DWORD>(records.size() * sizeof(ENUM_SERVICE_STATUSW)), &needed,
                                        &returned, &resume);
        DWORD error = done ? ERROR_SUCCESS : GetLastError();
        if (!done && error != ERROR_MORE_DATA && error != ERROR_INSUFFICIENT_BUFFER)
            return;
        for (DWORD i = 0; i < returned; ++i) {
            const ENUM_SERVICE_STATUSW& status = records[i];
            TServiceHandle service(OpenServiceW(manager.Get(), status.lpServiceName, SERVICE_QUERY_CONFIG));
            if (!service)
                continue;
            DWORD size = 0;
            BOOL read = QueryServiceConfigW(service.Get(), config.data(),
                                            static_cast<DWORD>(config.size() * sizeof(QUERY_SERVICE_CONFIGW)), &size);
            if (!read && GetLastError() == ERROR_INSUFFICIENT_BUFFER && size > 0) {
                config.resize((size + sizeof(QUERY_SERVICE_CONFIGW) - 1) / sizeof(QUERY_SERVICE_CONFIGW));
                read = QueryServiceConfigW(service.Get(), config.data(),
                                           static_cast<DWORD>(config.size() * sizeof(QUERY_SERVICE_CONFIGW)), &size);
            }
            if (!read)
                continue;
            const QUERY_SERVICE_CONFIGW& info = config.front();
            std::wstring binary = info.lpBinaryPathName ? info.lpBinaryPathName : L"";
            list.push_back({binary, info.lpDisplayName ? info.lpDisplayName : L"", binary, status.lpServiceName,
                            L"SERV", info.dwStartType == SERVICE_AUTO_START});
        }
        if (done)
            return;
        // More to come: a buffer of the size asked for, when that is larger.
        if (needed == 0 && returned == 0)
            return;
        const size_t wanted = (needed + sizeof(ENUM_SERVICE_STATUSW) - 1) / sizeof(ENUM_SERVICE_STATUSW) + 1;
        if (wanted > records.size())
            records.assign(wanted, {});
    }
}

bool IsApprovalEnabled(const std::vector<BYTE>& record)
{
    // Windows writes 2 for on and 3 for off, and other even and odd states in
    // the same sense; anything but a whole 12-byte record says nothing.
    return !(record.size() == 12 && (record[0] & 1) != 0);
}

bool IsApproved(HKEY root, const std::wstring& keyPath, const std::wstring& name)
{
    return IsApprovalEnabled(TReg::ReadBinary(root, keyPath, name));
}
