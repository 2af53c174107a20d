// Benchmark of the autorun reading and the autorun page (not a test). With
// 200 extra Run values and 50 extra services in the prefix it prints:
//   - the first Task Scheduler connection of the process (under Wine this
//     starts the scheduler service; later connections do not pay it);
//   - the time of each reading step;
//   - GetAutorun, as the page calls it (its own task connection), against a
//     bare walk that makes the same system calls and nothing else: under
//     Wine every service call, every registry open and the COM start-up are
//     round trips to other processes, and the figure of interest is what
//     GetAutorun adds to them. A walk that only enumerates names is printed
//     for reference;
//   - a second LoadAutorun of the page (every row present, every icon
//     cached) against GetAutorun alone;
//   - the process's kernel handles and GDI / USER objects before and after
//     50 loads and 50 full reloads of the page.
// The extra values and services are removed again at the end; their names
// start with "AutorunBench", which no default white list hides. The two
// figures that are compared are timed in alternating rounds, so that other
// work on the machine falls on both alike. Run it with scripts/bench.
#include "Autorun.h"
#include "FrmAutorun.h"
#include "Form.h"
#include "ListLoaders.h"
#include "MorvaneStyle.h"
#include "NameList.h"
#include "PathTokens.h"
#include "SystemProc.h"
#include "Win32Handles.h"

#include <windows.h>
#include <shlobj.h>
#include <taskschd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

const wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t ApprovedRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

const wchar_t ApprovedRun32[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32";

// The Task Scheduler's class and interface, spelled out as the program does
// (mingw's uuid library lacks them).
constexpr CLSID TaskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
constexpr IID TaskServiceInterface = {0x2faba4c7, 0x4da9, 0x4013, {0x96, 0x97, 0x20, 0xcc, 0x3f, 0xd4, 0x0f, 0x85}};

struct TRunSource {
    HKEY Root;
    const wchar_t* Key;
    const wchar_t* Approvals;
};
const TRunSource RunKeys[] = {
    {HKEY_LOCAL_MACHINE, RunKey, ApprovedRun},
    {HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", ApprovedRun32},
    {HKEY_CURRENT_USER, RunKey, ApprovedRun},
};

double Now()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / frequency;
}

double Once(const std::function<void()>& work)
{
    const double start = Now();
    work();
    return Now() - start;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Best(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

// Milliseconds of each of `rounds` runs of two pieces of work, taken in turn.
std::pair<std::vector<double>, std::vector<double>> Alternate(int rounds, const std::function<void()>& first,
                                                             const std::function<void()>& second)
{
    std::pair<std::vector<double>, std::vector<double>> times;
    for (int i = 0; i < rounds; ++i) {
        times.first.push_back(Once(first));
        times.second.push_back(Once(second));
    }
    return times;
}

void Print(const char* what, const std::vector<double>& values)
{
    std::printf("%-66s %10.3f ms (best %.3f)\n", what, Median(values), Best(values));
    std::fflush(stdout);
}

void PrintRatio(const char* what, const std::vector<double>& measured, const std::vector<double>& base, double goal)
{
    const double ratio = Median(measured) / Median(base);
    std::printf("%-66s %10.2f x (goal <= %.1f: %s)\n", what, ratio, goal, ratio <= goal ? "met" : "NOT met");
    std::fflush(stdout);
}

// The files of one folder, as a startup folder is read.
size_t WalkFolder(const std::wstring& folder)
{
    size_t count = 0;
    WIN32_FIND_DATAW data{};
    TFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find)
        return 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++count;
    } while (FindNextFileW(find.Get(), &data));
    return count;
}

// One open of a key in the 64-bit view; an empty handle when it is missing.
TRegKeyHandle OpenKey(HKEY root, const std::wstring& path)
{
    TRegKeyHandle key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Put()) != ERROR_SUCCESS)
        key.Release();
    return key;
}

// The system calls that reading the autorun sources needs at the least:
// both startup folders and their stores; for each Run key one enumeration
// of names with data, of its store, and one approval query per value
// through one open approval key; the task connection (COM on this thread,
// its security, the service object, Connect) and the root folder's task
// count; the service list and each service's configuration, read in one
// call. Returns the number of names seen.
size_t SameCallsWalk(bool tasks)
{
    size_t count = 0;
    for (int csidl : {CSIDL_COMMON_STARTUP, CSIDL_STARTUP}) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) {
            count += WalkFolder(path);
            WalkFolder(std::wstring(path) + L"\\" + DisabledStoreName);
        }
    }
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(64 * 1024);
    for (auto [root, path, approvalKey] : RunKeys) {
        TRegKeyHandle approvals = OpenKey(root, approvalKey);
        for (const std::wstring& keyPath : {std::wstring(path), std::wstring(path) + L"\\" + DisabledStoreName}) {
            TRegKeyHandle key = OpenKey(root, keyPath);
            if (!key)
                continue;
            for (DWORD i = 0;; ++i) {
                DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
                if (RegEnumValueW(key.Get(), i, name.data(), &nameLength, nullptr, &type, data.data(), &size) !=
                    ERROR_SUCCESS)
                    break;
                BYTE record[12];
                DWORD recordSize = sizeof(record);
                if (approvals)
                    RegQueryValueExW(approvals.Get(), name.data(), nullptr, nullptr, record, &recordSize);
                ++count;
            }
        }
    }
    if (tasks) {
        TComScope com;
        CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT, RPC_C_IMP_LEVEL_IMPERSONATE,
                             nullptr, EOAC_NONE, nullptr);
        TComInterface<ITaskService> service;
        if (SUCCEEDED(CoCreateInstance(TaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, TaskServiceInterface,
                                       reinterpret_cast<void**>(service.Put())))) {
            VARIANT empty;
            VariantInit(&empty);
            TBstr root(SysAllocString(L"\\"));
            TComInterface<ITaskFolder> folder;
            TComInterface<IRegisteredTaskCollection> collection;
            LONG tasksCount = 0;
            if (SUCCEEDED(service.Get()->Connect(empty, empty, empty, empty)) &&
                SUCCEEDED(service.Get()->GetFolder(root.Get(), folder.Put())) &&
                SUCCEEDED(folder.Get()->GetTasks(0, collection.Put())) &&
                SUCCEEDED(collection.Get()->get_Count(&tasksCount)))
                count += static_cast<size_t>(tasksCount);
        }
    }
    TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
    std::vector<ENUM_SERVICE_STATUSW> records(64 * 1024 / sizeof(ENUM_SERVICE_STATUSW));
    std::vector<QUERY_SERVICE_CONFIGW> config(8 * 1024 / sizeof(QUERY_SERVICE_CONFIGW) + 1);
    DWORD needed = 0, returned = 0, resume = 0;
    if (EnumServicesStatusW(manager.Get(), SERVICE_WIN32, SERVICE_STATE_ALL, records.data(),
                            static_cast<DWORD>(records.size() * sizeof(ENUM_SERVICE_STATUSW)), &needed, &returned,
                            &resume)) {
        for (DWORD i = 0; i < returned; ++i) {
            TServiceHandle service(OpenServiceW(manager.Get(), records[i].lpServiceName, SERVICE_QUERY_CONFIG));
            DWORD size = 0;
            if (service && QueryServiceConfigW(service.Get(), config.data(),
                                               static_cast<DWORD>(config.size() * sizeof(QUERY_SERVICE_CONFIGW)),
                                               &size))
                ++count;
        }
    }
    return count;
}

// Only the names of the Run keys and the service list.
size_t NamesOnlyWalk()
{
    size_t count = 0;
    std::vector<wchar_t> name(16384);
    for (const TRunSource& source : RunKeys) {
        TRegKeyHandle key = OpenKey(source.Root, source.Key);
        if (!key)
            continue;
        for (DWORD i = 0;; ++i) {
            DWORD length = static_cast<DWORD>(name.size());
            if (RegEnumValueW(key.Get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            ++count;
        }
    }
    TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
    DWORD needed = 0, returned = 0, resume = 0;
    EnumServicesStatusW(manager.Get(), SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &returned, &resume);
    std::vector<ENUM_SERVICE_STATUSW> records(needed / sizeof(ENUM_SERVICE_STATUSW) + 1);
    resume = 0;
    if (EnumServicesStatusW(manager.Get(), SERVICE_WIN32, SERVICE_STATE_ALL, records.data(),
                            static_cast<DWORD>(records.size() * sizeof(ENUM_SERVICE_STATUSW)), &needed, &returned,
                            &resume))
        count += returned;
    return count;
}

// The time of each reading step, GetAutorun's pieces one by one.
void PrintSteps()
{
    TAutorunList part;
    const std::wstring commonStartup = GetSpecialFolder(CSIDL_COMMON_STARTUP);
    const std::wstring userStartup = GetSpecialFolder(CSIDL_STARTUP);
    const auto step = [&](const char* what, const std::function<void()>& work) {
        std::vector<double> times;
        for (int i = 0; i < 7; ++i)
            times.push_back(Once([&] {
                part.clear();
                work();
            }));
        char label[128];
        std::snprintf(label, sizeof(label), "autorun step: %s (%zu entries)", what, part.size());
        Print(label, times);
    };
    step("ReadStartupFolder, both folders", [&] {
        ReadStartupFolder(commonStartup, part);
        ReadStartupFolder(userStartup, part);
    });
    step("ReadRunKey HKLM", [&] { ReadRunKey(HKEY_LOCAL_MACHINE, RunKeys[0].Key, part); });
    step("ReadRunKey HKLM Wow6432Node", [&] { ReadRunKey(HKEY_LOCAL_MACHINE, RunKeys[1].Key, part); });
    step("ReadRunKey HKCU", [&] { ReadRunKey(HKEY_CURRENT_USER, RunKeys[2].Key, part); });
    step("OpenTaskService + ReadTaskFolder + close", [&] {
        TTaskService connection;
        OpenTaskService(connection);
        ReadTaskFolder(connection.Get(), L"\\", part);
    });
    {
        TTaskService connection;
        OpenTaskService(connection);
        step("ReadTaskFolder on an open connection", [&] { ReadTaskFolder(connection.Get(), L"\\", part); });
    }
    step("ReadServices", [&] { ReadServices(part); });
}

// A hidden form for the page, as the main window holds it.
class TBenchForm : public TForm {
public:
    TBenchForm() : TForm(nullptr, L"TidoraBenchForm", L"BenchForm") { SetClientSize(375, 444); }
};

struct TResources {
    DWORD Handles = 0;
    DWORD Gdi = 0;
    DWORD User = 0;
};

// The process's handles as the system's handle table lists them, for where
// GetProcessHandleCount reports nothing (Wine); 0 when that fails too.
DWORD HandlesInSystemTable()
{
    // SystemExtendedHandleInformation (64) and its records.
    struct TEntry {
        void* Object;
        ULONG_PTR ProcessId;
        ULONG_PTR HandleValue;
        ULONG GrantedAccess;
        USHORT CreatorBackTraceIndex;
        USHORT ObjectTypeIndex;
        ULONG HandleAttributes;
        ULONG Reserved;
    };
    struct THeader {
        ULONG_PTR Count;
        ULONG_PTR Reserved;
    };
    using TQuery = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    static const auto query = LoadSystemProc<TQuery>(L"ntdll.dll", "NtQuerySystemInformation");
    if (!query)
        return 0;
    std::vector<ULONG_PTR> buffer(64 * 1024);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(64, buffer.data(), static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), &needed);
        if (status == 0) {
            const auto* header = reinterpret_cast<const THeader*>(buffer.data());
            const auto* entries = reinterpret_cast<const TEntry*>(header + 1);
            DWORD own = 0;
            for (ULONG_PTR i = 0; i < header->Count; ++i)
                if (entries[i].ProcessId == GetCurrentProcessId())
                    ++own;
            return own;
        }
        // STATUS_INFO_LENGTH_MISMATCH: a larger buffer; anything else: none.
        if (status != static_cast<LONG>(0xC0000004L))
            return 0;
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed / sizeof(ULONG_PTR) + 4096));
    }
    return 0;
}

TResources CurrentResources()
{
    TResources now;
    GetProcessHandleCount(GetCurrentProcess(), &now.Handles);
    if (now.Handles == 0)
        now.Handles = HandlesInSystemTable();
    now.Gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    now.User = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return now;
}

void PrintGrowth(const char* what, const TResources& before, const TResources& after)
{
    // Under Wine GetProcessHandleCount gives 0; the count then comes from the
    // system's handle table.
    std::printf("%s: handles %lu -> %lu, GDI objects %lu -> %lu, USER objects %lu -> %lu%s\n", what,
                static_cast<unsigned long>(before.Handles), static_cast<unsigned long>(after.Handles),
                static_cast<unsigned long>(before.Gdi), static_cast<unsigned long>(after.Gdi),
                static_cast<unsigned long>(before.User), static_cast<unsigned long>(after.User),
                after.Handles > before.Handles || after.Gdi > before.Gdi || after.User > before.User ? "  GROWTH"
                                                                                                        : "  (no growth)");
    if (after.Handles == 0)
        std::printf("  (neither GetProcessHandleCount nor the system handle table gives a count here)\n");
    if (after.Gdi == 0 && after.User == 0)
        std::printf("  (GetGuiResources reports 0 here: Wine does not count GDI and USER objects)\n");
    std::fflush(stdout);
}

void PageFigures()
{
    RegisterMorvaneStyle();
    TNameList fileWhite, nameWhite, nameBlack;
    LoadListResource(fileWhite, L"FILE_WHITE");
    LoadListResource(nameWhite, L"NAME_WHITE");
    LoadListResource(nameBlack, L"NAME_BLACK");
    TBenchForm form;
    auto* page = new TFrmAutorun(&form, &form, fileWhite, nameWhite, nameBlack);

    const double first = Once([&] { page->LoadAutorun(); });
    std::printf("%-66s %10.3f ms (%d rows, %zu icons cached)\n", "autorun page: first LoadAutorun", first,
                page->ListAutorun->RowCount(), page->ListIconObj.size());
    TAutorunList list;
    const auto [loads, reads] = Alternate(9, [&] { page->LoadAutorun(); }, [&] { GetAutorun(list); });
    Print("autorun page: LoadAutorun again, every row and icon there", loads);
    Print("autorun page: GetAutorun alone", reads);
    PrintRatio("autorun page: second LoadAutorun / GetAutorun", loads, reads, 1.5);

    // A first full reload, so that whatever the toolkit makes once (the
    // list's image list, fonts) is there before counting.
    page->ListAutorunKeyDown(nullptr, VK_F5);
    TResources before = CurrentResources();
    for (int i = 0; i < 50; ++i)
        page->LoadAutorun();
    TResources after = CurrentResources();
    PrintGrowth("autorun page, 50 LoadAutorun", before, after);
    before = CurrentResources();
    // F5 empties the list and loads it anew: every row made again.
    for (int i = 0; i < 50; ++i)
        page->ListAutorunKeyDown(nullptr, VK_F5);
    after = CurrentResources();
    PrintGrowth("autorun page, 50 full reloads (F5)", before, after);
}

}  // namespace

int wmain()
{
    // The very first connection of the process, before anything else used
    // COM: under Wine it starts the Task Scheduler service.
    const double firstConnection = Once([] {
        TTaskService connection;
        OpenTaskService(connection);
    });
    std::printf("%-66s %10.3f ms\n", "autorun: first Task Scheduler connection of the process", firstConnection);

    const std::wstring prefix = L"AutorunBench" + std::to_wstring(GetCurrentProcessId()) + L"_";
    TRegKeyHandle run;
    RegCreateKeyExW(HKEY_CURRENT_USER, RunKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, run.Put(),
                    nullptr);
    for (int i = 0; i < 200; ++i) {
        std::wstring command = L"\"C:\\Program Files\\Bench\\tool" + std::to_wstring(i) + L".exe\" /background";
        RegSetValueExW(run.Get(), (prefix + std::to_wstring(i)).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    std::vector<std::wstring> services;
    for (int i = 0; i < 50; ++i) {
        std::wstring name = prefix + L"svc" + std::to_wstring(i);
        TServiceHandle service(CreateServiceW(manager.Get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                              SERVICE_WIN32_OWN_PROCESS, i % 2 ? SERVICE_AUTO_START : SERVICE_DEMAND_START,
                                              SERVICE_ERROR_IGNORE, L"C:\\windows\\system32\\notepad.exe", nullptr,
                                              nullptr, nullptr, nullptr, nullptr));
        if (service)
            services.push_back(name);
    }

    TAutorunList list;
    GetAutorun(list);  // warm
    PrintSteps();

    size_t same = 0;
    const auto [full, walk] = Alternate(9, [&] { GetAutorun(list); }, [&] { same = SameCallsWalk(true); });
    std::printf("autorun: %zu entries (%zu extra Run values, %zu extra services); the same-calls walk saw %zu names\n",
                list.size(), size_t{200}, services.size(), same);
    Print("autorun: GetAutorun, own task connection (as the page)", full);
    Print("autorun: same-calls walk, task connection included", walk);
    PrintRatio("autorun: GetAutorun / same-calls walk", full, walk, 1.3);

    const auto [noTasks, walkNoTasks] =
        Alternate(9, [&] { GetAutorun(list, nullptr); }, [&] { SameCallsWalk(false); });
    Print("autorun: GetAutorun without tasks", noTasks);
    Print("autorun: same-calls walk without tasks", walkNoTasks);
    PrintRatio("autorun: GetAutorun / same-calls walk, without tasks", noTasks, walkNoTasks, 1.3);
    size_t names = 0;
    std::vector<double> namesOnly;
    for (int i = 0; i < 9; ++i)
        namesOnly.push_back(Once([&] { names = NamesOnlyWalk(); }));
    char label[128];
    std::snprintf(label, sizeof(label), "autorun: names-only walk, for reference (%zu names)", names);
    Print(label, namesOnly);

    PageFigures();

    for (int i = 0; i < 200; ++i)
        RegDeleteValueW(run.Get(), (prefix + std::to_wstring(i)).c_str());
    for (const std::wstring& name : services) {
        TServiceHandle service(OpenServiceW(manager.Get(), name.c_str(), DELETE));
        if (service)
            DeleteService(service.Get());
    }
    return 0;
}
