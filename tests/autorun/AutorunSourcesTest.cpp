// Reading the autorun sources: real Run values, real files in both startup
// folders, real services of Wine's service manager, and tasks through the
// in-process fake scheduler.
#include "Autorun.h"

#include "AutorunTestSupport.h"
#include "FakeTaskScheduler.h"
#include "Win32Handles.h"
#include "child_process.h"
#include "test_env.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>

using namespace autoruntest;

namespace {

std::vector<BYTE> Record(BYTE state, size_t size = 12)
{
    std::vector<BYTE> record(size, 0);
    if (!record.empty())
        record[0] = state;
    if (size >= 12)
        record[11] = 0x01;  // some time
    return record;
}

TEST(ApprovalRecord, ReadingRule)
{
    struct TCase {
        std::vector<BYTE> Record;
        bool Enabled;
    } cases[] = {
        {{}, true},
        {Record(2), true},
        {Record(3), false},
        {Record(1), false},
        {Record(7), false},
        {Record(6), true},  // even: on
        {Record(0), true},
        {Record(3, 8), true},  // not a whole record: says nothing
        {Record(3, 13), true},
        {Record(3, 11), true},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(IsApprovalEnabled(c.Record), c.Enabled) << int(c.Record.empty() ? -1 : c.Record[0]) << "/"
                                                          << c.Record.size();
}

TEST(RunKeys, EntriesOfTheThreeKeysWithTheirApprovalRecords)
{
    TCleanup cleanup;
    const std::wstring same = UniqueName(L"TidoraSame");
    const std::wstring wow = UniqueName(L"TidoraWow");
    const std::wstring expand = UniqueName(L"TidoraExpand");
    const std::wstring command = L"\"C:\\Program Files\\Same\\same.exe\" /background";
    SetText(HKEY_LOCAL_MACHINE, RunKey, same, command);
    SetText(HKEY_CURRENT_USER, RunKey, same, command);
    SetText(HKEY_LOCAL_MACHINE, Run32Key, wow, L"C:\\Wow\\wow.exe -x");
    SetText(HKEY_CURRENT_USER, RunKey, expand, L"%SystemRoot%\\expand.exe", REG_EXPAND_SZ);
    cleanup.Value(HKEY_LOCAL_MACHINE, RunKey, same);
    cleanup.Value(HKEY_CURRENT_USER, RunKey, same);
    cleanup.Value(HKEY_LOCAL_MACHINE, Run32Key, wow);
    cleanup.Value(HKEY_CURRENT_USER, RunKey, expand);
    // The Wow6432Node value is judged by Run32 only; the native ones by Run.
    SetBytes(HKEY_LOCAL_MACHINE, ApprovedRun32, wow, Record(3));
    SetBytes(HKEY_LOCAL_MACHINE, ApprovedRun32, same, Record(3));
    SetBytes(HKEY_CURRENT_USER, ApprovedRun, same, Record(3));
    SetBytes(HKEY_LOCAL_MACHINE, ApprovedRun, wow, Record(2));
    cleanup.Value(HKEY_LOCAL_MACHINE, ApprovedRun32, wow);
    cleanup.Value(HKEY_LOCAL_MACHINE, ApprovedRun32, same);
    cleanup.Value(HKEY_CURRENT_USER, ApprovedRun, same);
    cleanup.Value(HKEY_LOCAL_MACHINE, ApprovedRun, wow);

    TAutorunList list;
    GetAutorun(list, nullptr);

    const std::wstring machineTarget = L"HKLM\\" + RunKey + L"\\" + same;
    const std::wstring userTarget = L"HKCU\\" + RunKey + L"\\" + same;
    const std::wstring wowTarget = L"HKLM\\" + Run32Key + L"\\" + wow;
    const TAutorunInfo* machine = FindEntry(list, L"HKLM", machineTarget);
    const TAutorunInfo* user = FindEntry(list, L"HKCU", userTarget);
    const TAutorunInfo* wowEntry = FindEntry(list, L"HKLM", wowTarget);
    const TAutorunInfo* expandEntry = FindEntry(list, L"HKCU", L"HKCU\\" + RunKey + L"\\" + expand);
    ASSERT_TRUE(machine && user && wowEntry && expandEntry);

    EXPECT_EQ(machine->Caption, same);
    EXPECT_EQ(machine->RawData, command);
    EXPECT_EQ(machine->FileName, L"C:\\Program Files\\Same\\same.exe");
    EXPECT_TRUE(machine->Enabled);  // only a Run32 record names it
    EXPECT_FALSE(user->Enabled);
    EXPECT_FALSE(wowEntry->Enabled);
    EXPECT_EQ(wowEntry->FileName, L"C:\\Wow\\wow.exe");
    EXPECT_EQ(expandEntry->RawData, L"%SystemRoot%\\expand.exe");
    EXPECT_TRUE(expandEntry->Enabled);

    // Order of the sources: HKLM, HKLM's Wow6432Node, HKCU.
    EXPECT_LT(machine, wowEntry);
    EXPECT_LT(wowEntry, user);
}

// A shortcut made through the shell, as installers make them.
bool MakeShortcut(const std::wstring& path, const std::wstring& target)
{
    TComScope com;
    TComInterface<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.Put()))))
        return false;
    link.Get()->SetPath(target.c_str());
    TComInterface<IPersistFile> file;
    if (FAILED(link.Get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put()))))
        return false;
    return SUCCEEDED(file.Get()->Save(path.c_str(), TRUE));
}

TEST(StartupFolders, OwnFilesWithStartableExtensionsOnly)
{
    TCleanup cleanup;
    const std::wstring common = StartupFolder(CSIDL_COMMON_STARTUP);
    const std::wstring user = StartupFolder(CSIDL_STARTUP);
    ASSERT_FALSE(common.empty());
    ASSERT_FALSE(user.empty());
    ASSERT_NE(common, user);

    const std::wstring tool = UniqueName(L"TidoraTool");
    const std::wstring script = UniqueName(L"TidoraScript");
    const std::wstring lnk = user + L"\\" + tool + L".LNK";
    const std::wstring cmd = common + L"\\" + script + L".CMD";
    ASSERT_TRUE(MakeShortcut(lnk, ChildProcess::TestChildPath()));
    cleanup.File(lnk);
    testenv::WriteFileBytes(cmd, "@echo off\r\n");
    cleanup.File(cmd);
    const std::wstring ini = user + L"\\desktop.ini";
    const bool hadIni = GetFileAttributesW(ini.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!hadIni) {
        testenv::WriteFileBytes(ini, "[.ShellClassInfo]\r\n");
        cleanup.File(ini);
    }
    const std::wstring text = user + L"\\" + UniqueName(L"TidoraNote") + L".txt";
    testenv::WriteFileBytes(text, "x");
    cleanup.File(text);
    const std::wstring sub = user + L"\\" + UniqueName(L"TidoraSub");
    CreateDirectoryW(sub.c_str(), nullptr);
    cleanup.Folder(sub);
    const std::wstring inner = sub + L"\\Inner.lnk";
    ASSERT_TRUE(MakeShortcut(inner, ChildProcess::TestChildPath()));
    cleanup.File(inner);

    // The approval records of the two folders live under different roots.
    SetBytes(HKEY_LOCAL_MACHINE, ApprovedFolder, script + L".CMD", Record(3));
    SetBytes(HKEY_CURRENT_USER, ApprovedFolder, script + L".CMD", Record(2));
    SetBytes(HKEY_LOCAL_MACHINE, ApprovedFolder, tool + L".LNK", Record(3));
    cleanup.Value(HKEY_LOCAL_MACHINE, ApprovedFolder, script + L".CMD");
    cleanup.Value(HKEY_CURRENT_USER, ApprovedFolder, script + L".CMD");
    cleanup.Value(HKEY_LOCAL_MACHINE, ApprovedFolder, tool + L".LNK");

    TAutorunList list;
    GetAutorun(list, nullptr);
    const TAutorunInfo* lnkEntry = FindEntry(list, L"FILE", lnk);
    const TAutorunInfo* cmdEntry = FindEntry(list, L"FILE", cmd);
    ASSERT_TRUE(lnkEntry && cmdEntry);
    EXPECT_EQ(lnkEntry->Caption, tool);
    EXPECT_EQ(lnkEntry->FileName, lnk);
    EXPECT_EQ(lnkEntry->RawData, L"");
    EXPECT_TRUE(lnkEntry->Enabled);  // the HKLM record is not its own
    EXPECT_EQ(cmdEntry->Caption, script);
    EXPECT_FALSE(cmdEntry->Enabled);
    EXPECT_LT(cmdEntry, lnkEntry);  // the all-users folder first
    for (const TAutorunInfo& entry : list) {
        EXPECT_NE(entry.Target, ini);
        EXPECT_NE(entry.Target, text);
        EXPECT_NE(entry.Target, inner);
    }
    // Files come before every Run value.
    auto firstRun = std::find_if(list.begin(), list.end(),
                                 [](const TAutorunInfo& e) { return e.From == L"HKLM" || e.From == L"HKCU"; });
    if (firstRun != list.end()) {
        EXPECT_LT(cmdEntry, &*firstRun);
    }

    // A folder the shell cannot name, or one that does not exist, adds nothing.
    TAutorunList none;
    ReadStartupFolder(L"", none);
    ReadStartupFolder(user + L"\\does-not-exist", none);
    EXPECT_TRUE(none.empty());
}

// Services made through the service manager for one test, deleted after it.
class TTestServices {
public:
    TTestServices() : FManager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {}
    ~TTestServices()
    {
        for (const std::wstring& name : FNames) {
            TServiceHandle service(OpenServiceW(FManager.Get(), name.c_str(), DELETE));
            if (service)
                DeleteService(service.Get());
        }
    }
    bool Create(const std::wstring& name, const std::wstring& display, DWORD startType, const std::wstring& binary)
    {
        TServiceHandle service(CreateServiceW(FManager.Get(), name.c_str(), display.c_str(), SERVICE_ALL_ACCESS,
                                              SERVICE_WIN32_OWN_PROCESS, startType, SERVICE_ERROR_IGNORE,
                                              binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
        if (service)
            FNames.push_back(name);
        return static_cast<bool>(service);
    }
    DWORD StartType(const std::wstring& name) const
    {
        TServiceHandle service(OpenServiceW(FManager.Get(), name.c_str(), SERVICE_QUERY_CONFIG));
        DWORD size = 0;
        QueryServiceConfigW(service.Get(), nullptr, 0, &size);
        std::vector<QUERY_SERVICE_CONFIGW> config(size / sizeof(QUERY_SERVICE_CONFIGW) + 1);
        if (!service || !QueryServiceConfigW(service.Get(), config.data(),
                                             static_cast<DWORD>(config.size() * sizeof(QUERY_SERVICE_CONFIGW)), &size))
            return 0xFFFFFFFF;
        return config.front().dwStartType;
    }

private:
    TServiceHandle FManager;
    std::vector<std::wstring> FNames;
};

TEST(Services, EveryStartTypeListedAutomaticOnesEnabled)
{
    TTestServices services;
    const std::wstring binary = L"\"" + ChildProcess::TestChildPath() + L"\" --service";
    struct TCase {
        std::wstring Name;
        DWORD StartType;
        bool Enabled;
    } cases[] = {
        {UniqueName(L"TidoraAuto"), SERVICE_AUTO_START, true},
        {UniqueName(L"TidoraManual"), SERVICE_DEMAND_START, false},
        {UniqueName(L"TidoraOff"), SERVICE_DISABLED, false},
        {UniqueName(L"TidoraPerUser") + L"_5f3a1", SERVICE_AUTO_START, true},
    };
    for (const TCase& c : cases)
        ASSERT_TRUE(services.Create(c.Name, L"Display " + c.Name, c.StartType, binary)) << GetLastError();

    TAutorunList list;
    ReadServices(list);
    for (const TCase& c : cases) {
        int count = 0;
        const TAutorunInfo* entry = FindEntry(list, L"SERV", c.Name, &count);
        ASSERT_TRUE(entry) << c.Name;
        EXPECT_EQ(count, 1);
        EXPECT_EQ(entry->Caption, L"Display " + c.Name);
        EXPECT_EQ(entry->RawData, binary);
        EXPECT_EQ(entry->FileName, binary);
        EXPECT_EQ(entry->Enabled, c.Enabled) << c.Name;
    }
    // Wine's own services are there too: the enumeration is not cut short.
    EXPECT_GT(list.size(), 10u);
}

TEST(Tasks, RootTasksOnlyHiddenSkippedDisabledListed)
{
    TFakeScheduler scheduler;
    scheduler.RootTasks = {{L"Updater", true}, {L"Secret", true, true}, {L"Paused", false}};
    scheduler.SubfolderTasks = {{L"Deep", true}};
    {
        TComInterface<ITaskService> service(scheduler.NewService());
        TAutorunList list;
        EXPECT_TRUE(ReadTaskFolder(service.Get(), L"\\", list));
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[0].Caption, L"Updater");
        EXPECT_EQ(list[0].Target, L"\\Updater");
        EXPECT_EQ(list[0].From, L"SCHE");
        EXPECT_EQ(list[0].FileName, L"");
        EXPECT_TRUE(list[0].Enabled);
        EXPECT_EQ(list[1].Target, L"\\Paused");
        EXPECT_FALSE(list[1].Enabled);

        // A folder path below the root gives paths below it.
        TAutorunList sub;
        EXPECT_TRUE(ReadTaskFolder(service.Get(), L"\\Sub", sub));
        ASSERT_EQ(sub.size(), 1u);
        EXPECT_EQ(sub[0].Target, L"\\Sub\\Deep");

        // Between the Run keys and the services.
        TAutorunList all;
        GetAutorun(all, service.Get());
        auto updater = std::find_if(all.begin(), all.end(), [](auto& e) { return e.Target == L"\\Updater"; });
        auto firstService = std::find_if(all.begin(), all.end(), [](auto& e) { return e.From == L"SERV"; });
        auto lastRun = std::find_if(all.rbegin(), all.rend(), [](auto& e) { return e.From == L"HKLM" || e.From == L"HKCU"; });
        ASSERT_NE(updater, all.end());
        EXPECT_EQ(FindEntry(all, L"SCHE", L"\\Deep"), nullptr);
        if (firstService != all.end()) {
            EXPECT_LT(updater, firstService);
        }
        if (lastRun != all.rend()) {
            EXPECT_GT(&*updater, &*lastRun);
        }
    }
    EXPECT_EQ(scheduler.LiveObjects, 0);  // every COM reference released
}

TEST(Tasks, AnErrorHalfWayKeepsTheEntriesBeforeIt)
{
    TFakeScheduler scheduler;
    scheduler.RootTasks = {{L"One"}, {L"Two"}, {L"Three"}, {L"Four"}};
    scheduler.FailItemAt = 3;
    {
        TComInterface<ITaskService> service(scheduler.NewService());
        TAutorunList list{{L"", L"earlier", L"", L"x", L"FILE", true}};
        EXPECT_FALSE(ReadTaskFolder(service.Get(), L"\\", list));
        ASSERT_EQ(list.size(), 3u);
        EXPECT_EQ(list[1].Caption, L"One");
        EXPECT_EQ(list[2].Caption, L"Two");
        TAutorunList missing;
        EXPECT_FALSE(ReadTaskFolder(service.Get(), L"\\Nowhere", missing));
        EXPECT_TRUE(missing.empty());
    }
    EXPECT_EQ(scheduler.LiveObjects, 0);
}

TEST(Tasks, RealSchedulerConnectsAndReadsWithoutError)
{
    // Wine's scheduler connects but lists no tasks; this checks the COM set-up
    // (security already set counts as success) on the real object, and that
    // reading through it adds nothing and does not fail hard.
    for (int round = 0; round < 2; ++round) {
        TTaskService connection;
        OpenTaskService(connection);
        ASSERT_NE(connection.Get(), nullptr) << "round " << round;
        OpenTaskService(connection);  // already open: stays the same
        TAutorunList list;
        ReadTaskFolder(connection.Get(), L"\\", list);
        EXPECT_TRUE(list.empty());
        CloseTaskService(connection);
        EXPECT_EQ(connection.Get(), nullptr);
    }
    TAutorunList list;
    GetAutorun(list);
    EXPECT_FALSE(list.empty());
}

}  // namespace
