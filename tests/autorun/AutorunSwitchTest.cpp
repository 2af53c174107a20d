// Switching entries off and on: approval records as real registry round
// trips (the prefix reports Windows 10), services through the real service
// manager, tasks through the fake scheduler, and the older-Windows way of
// moving entries into their store with the version given to the logic.
#include "Autorun.h"

#include "AutorunTestSupport.h"
#include "FakeTaskScheduler.h"
#include "Process.h"
#include "Registry.h"
#include "test_env.h"

#include <gtest/gtest.h>
#include <shlobj.h>

using namespace autoruntest;

namespace {

constexpr unsigned long long TicksPerSecond = 10'000'000ull;

void ExpectRecord(HKEY root, const std::wstring& key, const std::wstring& name, BYTE state,
                  unsigned long long notBefore)
{
    DWORD type = 0;
    std::vector<BYTE> record;
    ASSERT_TRUE(ReadRaw(root, key, name, type, record)) << name;
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(record.size(), 12u);
    EXPECT_EQ(record[0], state);
    EXPECT_EQ(record[1], 0);
    EXPECT_EQ(record[2], 0);
    EXPECT_EQ(record[3], 0);
    EXPECT_GE(RecordTime(record) + TicksPerSecond, notBefore);  // the clock's own granularity
    EXPECT_LE(RecordTime(record), FileTimeNow() + TicksPerSecond);
}

TEST(Approval, MakeApprovalRecord)
{
    const unsigned long long before = FileTimeNow();
    for (bool enabled : {true, false}) {
        std::vector<BYTE> record = MakeApproval(enabled);
        ASSERT_EQ(record.size(), 12u);
        EXPECT_EQ(record[0], enabled ? 2 : 3);
        EXPECT_EQ(record[1] | record[2] | record[3], 0);
        EXPECT_GE(RecordTime(record) + TicksPerSecond, before);
        EXPECT_LE(RecordTime(record), FileTimeNow() + TicksPerSecond);
        EXPECT_EQ(IsApprovalEnabled(record), enabled);
    }
}

TEST(Approval, TestPrefixReportsWindows10)
{
    EXPECT_GE(RealWindowsMajorVersion(), 10u);
}

TEST(Approval, RunValueRoundTripLeavesTheValue)
{
    TCleanup cleanup;
    const std::wstring name = UniqueName(L"TidoraUpdater");
    SetText(HKEY_CURRENT_USER, RunKey, name, L"C:\\Up\\up.exe");
    cleanup.Value(HKEY_CURRENT_USER, RunKey, name);
    cleanup.Value(HKEY_CURRENT_USER, ApprovedRun, name);
    const std::wstring target = L"HKCU\\" + RunKey + L"\\" + name;

    const unsigned long long before = FileTimeNow();
    EXPECT_TRUE(SetAutorun(target, L"hkcu", false));
    ExpectRecord(HKEY_CURRENT_USER, ApprovedRun, name, 3, before);
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, RunKey, name, L""), L"C:\\Up\\up.exe");
    TAutorunList list;
    GetAutorun(list, nullptr);
    const TAutorunInfo* entry = FindEntry(list, L"HKCU", target);
    ASSERT_TRUE(entry);
    EXPECT_FALSE(entry->Enabled);

    Sleep(20);
    const unsigned long long between = FileTimeNow();
    EXPECT_TRUE(SetAutorun(target, L"HKCU", true));
    ExpectRecord(HKEY_CURRENT_USER, ApprovedRun, name, 2, between);  // rewritten, not deleted
    GetAutorun(list, nullptr);
    entry = FindEntry(list, L"HKCU", target);
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->Enabled);
}

TEST(Approval, DispatchAndPlaceOfTheRecord)
{
    TCleanup cleanup;
    const std::wstring userFolder = StartupFolder(CSIDL_STARTUP);
    const std::wstring commonFolder = StartupFolder(CSIDL_COMMON_STARTUP);
    const std::wstring wowName = UniqueName(L"TidoraWow");
    const std::wstring machineName = UniqueName(L"TidoraMachine");
    const std::wstring userFile = UniqueName(L"TidoraTool") + L".lnk";
    const std::wstring commonFile = UniqueName(L"TidoraAll") + L".lnk";
    SetText(HKEY_LOCAL_MACHINE, Run32Key, wowName, L"C:\\w.exe");
    SetText(HKEY_LOCAL_MACHINE, RunKey, machineName, L"C:\\m.exe");
    testenv::WriteFileBytes(userFolder + L"\\" + userFile, "L");
    testenv::WriteFileBytes(commonFolder + L"\\" + commonFile, "L");
    cleanup.Value(HKEY_LOCAL_MACHINE, Run32Key, wowName);
    cleanup.Value(HKEY_LOCAL_MACHINE, RunKey, machineName);
    cleanup.File(userFolder + L"\\" + userFile);
    cleanup.File(commonFolder + L"\\" + commonFile);
    for (auto [root, key, name] : {std::tuple{HKEY_LOCAL_MACHINE, ApprovedRun32, wowName},
                                   std::tuple{HKEY_LOCAL_MACHINE, ApprovedRun, wowName},
                                   std::tuple{HKEY_LOCAL_MACHINE, ApprovedRun, machineName},
                                   std::tuple{HKEY_CURRENT_USER, ApprovedFolder, userFile},
                                   std::tuple{HKEY_LOCAL_MACHINE, ApprovedFolder, userFile},
                                   std::tuple{HKEY_LOCAL_MACHINE, ApprovedFolder, commonFile},
                                   std::tuple{HKEY_CURRENT_USER, ApprovedFolder, commonFile}})
        cleanup.Value(root, key, name);

    struct TCase {
        std::wstring Target, From;
        HKEY RecordRoot;
        std::wstring RecordKey, RecordName;
        HKEY OtherRoot;
        std::wstring OtherKey;
    } cases[] = {
        {L"HKLM\\" + Run32Key + L"\\" + wowName, L"HKLM", HKEY_LOCAL_MACHINE, ApprovedRun32, wowName,
         HKEY_LOCAL_MACHINE, ApprovedRun},
        {L"hklm\\" + RunKey + L"\\" + machineName, L"hklm", HKEY_LOCAL_MACHINE, ApprovedRun, machineName,
         HKEY_LOCAL_MACHINE, ApprovedRun32},
        {userFolder + L"\\" + userFile, L"file", HKEY_CURRENT_USER, ApprovedFolder, userFile, HKEY_LOCAL_MACHINE,
         ApprovedFolder},
        {commonFolder + L"\\" + commonFile, L"FILE", HKEY_LOCAL_MACHINE, ApprovedFolder, commonFile,
         HKEY_CURRENT_USER, ApprovedFolder},
    };
    for (const TCase& c : cases) {
        const unsigned long long before = FileTimeNow();
        EXPECT_TRUE(SetAutorun(c.Target, c.From, false)) << c.Target;
        ExpectRecord(c.RecordRoot, c.RecordKey, c.RecordName, 3, before);
        DWORD type = 0;
        std::vector<BYTE> data;
        EXPECT_FALSE(ReadRaw(c.OtherRoot, c.OtherKey, c.RecordName, type, data)) << c.Target;
    }
    // The files stay where they are.
    EXPECT_NE(GetFileAttributesW((userFolder + L"\\" + userFile).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SetAutorun(L"HKCU\\Run", L"HKCU", false));  // unparsable
}

TEST(Services, StartTypeThroughTheServiceManager)
{
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_TRUE(manager);
    const std::wstring name = UniqueName(L"TidoraSwitch");
    SC_HANDLE service = CreateServiceW(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                       L"C:\\windows\\system32\\notepad.exe", nullptr, nullptr, nullptr, nullptr,
                                       nullptr);
    ASSERT_TRUE(service);
    auto startType = [&] {
        DWORD size = 0;
        QueryServiceConfigW(service, nullptr, 0, &size);
        std::vector<QUERY_SERVICE_CONFIGW> config(size / sizeof(QUERY_SERVICE_CONFIGW) + 1);
        QueryServiceConfigW(service, config.data(), static_cast<DWORD>(config.size() * sizeof(config[0])), &size);
        return config.front().dwStartType;
    };
    auto enabledInList = [&] {
        TAutorunList list;
        ReadServices(list);
        const TAutorunInfo* entry = FindEntry(list, L"SERV", name);
        return entry && entry->Enabled;
    };
    // A manual service comes back automatic.
    EXPECT_TRUE(SetAutorun(name, L"serv", true));
    EXPECT_EQ(startType(), static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_TRUE(enabledInList());
    EXPECT_TRUE(SetAutorun(name, L"SERV", false));
    EXPECT_EQ(startType(), static_cast<DWORD>(SERVICE_DISABLED));
    EXPECT_FALSE(enabledInList());
    EXPECT_FALSE(SetService(name + L"-missing", false));
    DeleteService(service);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

TEST(Tasks, SwitchThroughTheTaskObject)
{
    TFakeScheduler scheduler;
    scheduler.RootTasks = {{L"Cleanup", true}, {L"Stubborn", true, false, true}};
    {
        TComInterface<ITaskService> service(scheduler.NewService());
        EXPECT_TRUE(SetTask(service.Get(), L"\\Cleanup", false));
        EXPECT_FALSE(scheduler.RootTasks[0].Enabled);
        EXPECT_TRUE(SetTask(service.Get(), L"\\Cleanup", true));
        EXPECT_TRUE(scheduler.RootTasks[0].Enabled);
        // A scheduler that accepts the call and keeps the state is caught.
        EXPECT_FALSE(SetTask(service.Get(), L"\\Stubborn", false));
        EXPECT_TRUE(scheduler.RootTasks[1].Enabled);
        // A task that no longer exists: nothing changes.
        EXPECT_FALSE(SetTask(service.Get(), L"\\Gone", false));
        EXPECT_FALSE(SetTask(nullptr, L"\\Cleanup", false));
    }
    EXPECT_EQ(scheduler.LiveObjects, 0);
    EXPECT_FALSE(SetTask(L"\\" + UniqueName(L"TidoraNoTask"), false));  // real scheduler, no such task
}

// Before Windows 10: off moves the entry into its store, on moves it back.
class OlderWindows : public ::testing::Test {
protected:
    static constexpr DWORD Windows7 = 6;
    TCleanup FCleanup;
};

TEST_F(OlderWindows, RunValuesMoveWithTypeAndBytes)
{
    const std::wstring store = RunKey + L"\\" + DisabledStoreName;
    FCleanup.Key(HKEY_CURRENT_USER, store);
    struct TCase {
        DWORD Type;
        std::wstring Data;
    } cases[] = {
        {REG_SZ, L"\"C:\\Program Files\\Tool\\tool.exe\" /min"},
        {REG_EXPAND_SZ, L"%ProgramFiles%\\Tool\\tool.exe"},
    };
    for (const TCase& c : cases) {
        const std::wstring name = UniqueName(L"TidoraOld");
        const std::wstring target = L"HKCU\\" + RunKey + L"\\" + name;
        SetText(HKEY_CURRENT_USER, RunKey, name, c.Data, c.Type);
        FCleanup.Value(HKEY_CURRENT_USER, RunKey, name);
        FCleanup.Value(HKEY_CURRENT_USER, ApprovedRun, name);

        EXPECT_TRUE(SetRunValue(target, false, Windows7));
        DWORD type = 0;
        std::vector<BYTE> data;
        EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, RunKey, name, type, data));
        ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, store, name, type, data));
        EXPECT_EQ(type, c.Type);
        EXPECT_EQ(data, TextBytes(c.Data));
        EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, ApprovedRun, name, type, data));  // no record before 10

        TAutorunList list;
        GetAutorun(list, nullptr);
        int count = 0;
        const TAutorunInfo* entry = FindEntry(list, L"HKCU", target, &count);
        ASSERT_TRUE(entry);
        EXPECT_EQ(count, 1);
        EXPECT_FALSE(entry->Enabled);
        EXPECT_EQ(entry->Caption, name);
        EXPECT_EQ(entry->RawData, c.Data);

        EXPECT_TRUE(SetRunValue(target, true, Windows7));
        ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, RunKey, name, type, data));
        EXPECT_EQ(type, c.Type);
        EXPECT_EQ(data, TextBytes(c.Data));
        EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, store, name, type, data));
        GetAutorun(list, nullptr);
        entry = FindEntry(list, L"HKCU", target, &count);
        ASSERT_TRUE(entry);
        EXPECT_EQ(count, 1);
        EXPECT_TRUE(entry->Enabled);
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, store));  // an empty store goes away
}

TEST_F(OlderWindows, RunValueNothingLostWhenTheNameIsTaken)
{
    const std::wstring store = RunKey + L"\\" + DisabledStoreName;
    FCleanup.Key(HKEY_CURRENT_USER, store);
    const std::wstring name = UniqueName(L"TidoraTaken");
    const std::wstring target = L"HKCU\\" + RunKey + L"\\" + name;
    SetText(HKEY_CURRENT_USER, RunKey, name, L"C:\\old.exe");
    FCleanup.Value(HKEY_CURRENT_USER, RunKey, name);
    FCleanup.Value(HKEY_CURRENT_USER, ApprovedRun, name);
    ASSERT_TRUE(SetRunValue(target, false, Windows7));

    // Something else takes the name meanwhile.
    SetText(HKEY_CURRENT_USER, RunKey, name, L"C:\\new.exe", REG_EXPAND_SZ);
    EXPECT_FALSE(SetRunValue(target, true, Windows7));
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, RunKey, name, L""), L"C:\\new.exe");
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, store, name, L""), L"C:\\old.exe");
    // Switching the newcomer off cannot replace the stored copy either.
    EXPECT_FALSE(SetRunValue(target, false, Windows7));
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, RunKey, name, L""), L"C:\\new.exe");
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, store, name, L""), L"C:\\old.exe");

    TAutorunList list;
    GetAutorun(list, nullptr);
    int enabled = 0, disabled = 0;
    for (const TAutorunInfo& entry : list)
        if (entry.From == L"HKCU" && entry.Target == target)
            ++(entry.Enabled ? enabled : disabled);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(disabled, 1);
    EXPECT_FALSE(SetRunValue(L"HKCU\\" + RunKey + L"\\" + UniqueName(L"TidoraAbsent"), false, Windows7));
}

TEST_F(OlderWindows, StartupFilesMoveWithTheirBytes)
{
    const std::wstring folder = StartupFolder(CSIDL_STARTUP);
    const std::wstring store = folder + L"\\" + DisabledStoreName;
    const std::wstring name = UniqueName(L"TidoraFile") + L".lnk";
    const std::wstring target = folder + L"\\" + name;
    std::string bytes("L\0\0\0\x01\x14\x02", 7);
    for (int i = 0; i < 300; ++i)
        bytes += static_cast<char>(i * 7);
    testenv::WriteFileBytes(target, bytes);
    FCleanup.Folder(store);
    FCleanup.File(target);
    FCleanup.File(store + L"\\" + name);
    FCleanup.Value(HKEY_CURRENT_USER, ApprovedFolder, name);

    EXPECT_TRUE(SetStartupFile(target, false, Windows7));
    EXPECT_EQ(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(testenv::ReadFileBytes(store + L"\\" + name), bytes);
    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, ApprovedFolder, name, type, data));

    TAutorunList list;
    GetAutorun(list, nullptr);
    const TAutorunInfo* entry = FindEntry(list, L"FILE", target);
    ASSERT_TRUE(entry);
    EXPECT_FALSE(entry->Enabled);
    EXPECT_EQ(entry->FileName, store + L"\\" + name);  // where the file lies now

    // The old place is taken: the stored file stays, both are intact.
    testenv::WriteFileBytes(target, "newcomer");
    EXPECT_FALSE(SetStartupFile(target, true, Windows7));
    EXPECT_EQ(testenv::ReadFileBytes(target), "newcomer");
    EXPECT_EQ(testenv::ReadFileBytes(store + L"\\" + name), bytes);

    DeleteFileW(target.c_str());
    EXPECT_TRUE(SetStartupFile(target, true, Windows7));
    EXPECT_EQ(testenv::ReadFileBytes(target), bytes);
    EXPECT_EQ(GetFileAttributesW((store + L"\\" + name).c_str()), INVALID_FILE_ATTRIBUTES);
    GetAutorun(list, nullptr);
    entry = FindEntry(list, L"FILE", target);
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->Enabled);
}

TEST_F(OlderWindows, SwitchedOnUnderWindows10ComesBackAndGetsARecord)
{
    const std::wstring store = RunKey + L"\\" + DisabledStoreName;
    FCleanup.Key(HKEY_CURRENT_USER, store);
    const std::wstring name = UniqueName(L"TidoraUpgrade");
    const std::wstring target = L"HKCU\\" + RunKey + L"\\" + name;
    SetText(HKEY_CURRENT_USER, RunKey, name, L"C:\\up.exe");
    FCleanup.Value(HKEY_CURRENT_USER, RunKey, name);
    FCleanup.Value(HKEY_CURRENT_USER, ApprovedRun, name);
    ASSERT_TRUE(SetRunValue(target, false, Windows7));

    const unsigned long long before = FileTimeNow();
    EXPECT_TRUE(SetRunValue(target, true, 10));
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, RunKey, name, L""), L"C:\\up.exe");
    ExpectRecord(HKEY_CURRENT_USER, ApprovedRun, name, 2, before);
}

}  // namespace
