#include "Process.h"

#include "ProcessWindows.h"
#include "SystemProc.h"
#include "Win32Handles.h"

#include <tlhelp32.h>

namespace {

// Windows Vista is 6.x: from there on the limited query right exists.
constexpr DWORD VistaMajorVersion = 6;
// QueryFullProcessImageNameW's flags: a Win32 path, not a native one.
constexpr DWORD Win32PathFormat = 0;
constexpr LONG StatusSuccess = 0;

// A Toolhelp snapshot is INVALID_HANDLE_VALUE on failure, like a file.
TFileHandle TakeProcessSnapshot()
{
    return TFileHandle(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
}

// Calls `visit` for each entry of a snapshot until it returns false.
template <typename Visit>
void WalkSnapshot(HANDLE snapshot, Visit visit)
{
    // The record size comes from the compiler: PROCESSENTRY32W holds a
    // pointer-sized field, so it differs between the 32- and 64-bit builds.
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (!visit(entry))
            return;
    }
}

// Vista and later: the limited query right suffices and the call reads no
// memory of the other process, so a 32-bit build also gets the paths of
// 64-bit processes.
std::wstring ImagePathLimited(DWORD processId)
{
    TKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return {};
    using QueryFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
    static const auto query = LoadSystemProc<QueryFn>(L"kernel32.dll", "QueryFullProcessImageNameW");
    if (!query)
        return {};
    wchar_t buffer[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!query(process.Get(), Win32PathFormat, buffer, &size))
        return {};
    return std::wstring(buffer, size);
}

// Older systems: the module file name, from kernel32 where it exists there,
// else from psapi.dll.
std::wstring ImagePathLegacy(DWORD processId)
{
    TKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process)
        return {};
    using ModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    static const auto moduleName = [] {
        auto fromKernel = LoadSystemProc<ModuleNameFn>(L"kernel32.dll", "GetModuleFileNameExW");
        return fromKernel ? fromKernel : LoadSystemProc<ModuleNameFn>(L"psapi.dll", "GetModuleFileNameExW");
    }();
    if (!moduleName)
        return {};
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = moduleName(process.Get(), nullptr, buffer, MAX_PATH);
    if (length == 0)
        return {};
    std::wstring path(buffer, length < MAX_PATH ? length : MAX_PATH);
    if (path.starts_with(L"\\??\\"))
        path.erase(0, 4);
    return path;
}

}  // namespace

DWORD RealWindowsMajorVersion()
{
    static const DWORD major = [] {
        using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
        auto getVersion = LoadSystemProc<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion");
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof(info);
        if (getVersion && getVersion(&info) == StatusSuccess)
            return info.dwMajorVersion;
        return VistaMajorVersion;
    }();
    return major;
}

std::wstring GetProcessImagePath(DWORD processId)
{
    return GetProcessImagePath(processId, RealWindowsMajorVersion());
}

std::wstring GetProcessImagePath(DWORD processId, DWORD windowsMajor)
{
    return windowsMajor >= VistaMajorVersion ? ImagePathLimited(processId) : ImagePathLegacy(processId);
}

// The windows are gathered in one walk for the whole snapshot; each entry
// gets the window that FindProcessWindow would have returned for it.
void SnapshotProcesses(TProcessList& list)
{
    TFileHandle snapshot = TakeProcessSnapshot();
    if (!snapshot)
        return;
    const TProcessWindows windows;
    WalkSnapshot(snapshot.Get(), [&](const PROCESSENTRY32W& entry) {
        if (entry.th32ProcessID == 0)
            return true;
        TProcessInfo info;
        info.ProcessID = entry.th32ProcessID;
        info.Handle = windows.Find(entry.th32ProcessID);
        info.FileName = GetProcessImagePath(entry.th32ProcessID);
        if (info.FileName.empty())
            info.FileName = entry.szExeFile;
        info.State = TProcessState::Found;
        list.push_back(std::move(info));
        return true;
    });
}

bool IsProcessAlive(DWORD processId)
{
    TFileHandle snapshot = TakeProcessSnapshot();
    if (!snapshot)
        return false;
    bool found = false;
    WalkSnapshot(snapshot.Get(), [&](const PROCESSENTRY32W& entry) {
        found = entry.th32ProcessID == processId;
        return !found;
    });
    return found;
}

std::unordered_set<DWORD> LiveProcessIds()
{
    std::unordered_set<DWORD> ids;
    TFileHandle snapshot = TakeProcessSnapshot();
    if (!snapshot)
        return ids;
    WalkSnapshot(snapshot.Get(), [&](const PROCESSENTRY32W& entry) {
        ids.insert(entry.th32ProcessID);
        return true;
    });
    return ids;
}

void KillProcess(DWORD processId)
{
    if (processId == 0 || processId == GetCurrentProcessId())
        return;
    TKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (process)
        TerminateProcess(process.Get(), 0);
}

std::int64_t GetMemoryStatus(int kind)
{
    using StatusExFn = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
    static const auto statusEx = LoadSystemProc<StatusExFn>(L"kernel32.dll", "GlobalMemoryStatusEx");
    if (statusEx) {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof(status);
        if (statusEx(&status)) {
            if (kind == TotalMemory)
                return static_cast<std::int64_t>(status.ullTotalPhys);
            if (kind == AvailableMemory)
                return static_cast<std::int64_t>(status.ullAvailPhys);
            return UnknownMemoryKind;
        }
    }
    MEMORYSTATUS status{};
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    if (kind == TotalMemory)
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(status.dwTotalPhys));
    if (kind == AvailableMemory)
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(status.dwAvailPhys));
    return UnknownMemoryKind;
}
