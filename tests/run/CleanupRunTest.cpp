// The cleanup run's worker side against real processes and the local test
// service. Every process of the prefix that a test does not mean to end is
// protected through the list, as a user would do with an exclusion file.
#include "CleanupRun.h"
#include "HTTP.h"
#include "ListLoaders.h"
#include "MatchList.h"
#include "Process.h"
#include "ServiceProtocol.h"
#include "Text.h"

#include "child_process.h"
#include "service_client.h"
#include "test_env.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

using nlohmann::json;

TProcessInfo Process(DWORD pid, const wchar_t* file)
{
    TProcessInfo p;
    p.ProcessID = pid;
    p.FileName = file;
    return p;
}

const TProcessInfo* Entry(const TProcessList& list, DWORD pid)
{
    auto it = std::find_if(list.begin(), list.end(), [pid](const TProcessInfo& p) { return p.ProcessID == pid; });
    return it == list.end() ? nullptr : &*it;
}

std::wstring OwnFileName()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(FileNamePart(std::wstring_view(path, n)));
}

// "name.exe*" for every running process but this one, and for Wine's own
// processes that start on demand.
TNameList ProtectEverythingRunning()
{
    TNameList list;
    for (const wchar_t* wine : {L"rpcss.exe*", L"services.exe*", L"winedevice.exe*", L"plugplay.exe*",
                                L"explorer.exe*", L"svchost.exe*", L"conhost.exe*", L"winemenubuilder.exe*"})
        list.Add(wine);
    TProcessList running;
    SnapshotProcesses(running);
    const std::wstring own = OwnFileName();
    for (const auto& p : running)
        if (p.ProcessID != GetCurrentProcessId() && !AsciiEqualsIgnoreCase(FileNamePart(p.FileName), own))
            list.Add(std::wstring(FileNamePart(p.FileName)) + L"*");
    return list;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds)
{
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (!condition()) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        if (GetTickCount64() >= deadline)
            return condition();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

class CleanupRunTest : public ::testing::Test {
protected:
    void SetUp() override { service::Reset(); }
    std::wstring FDir = testenv::MakeTempDir(L"run");
};

}  // namespace

TEST(AppendExclusionFiles, AppendsTheFilesThatExistInOrder)
{
    const std::wstring dir = testenv::MakeTempDir(L"exclusion");
    const std::wstring first = dir + L"\\first.txt";
    const std::wstring second = dir + L"\\second.txt";
    testenv::WriteFileBytes(first, "\xEF\xBB\xBFgame.exe*\r\n// note\r\n");
    TNameList list;
    list.Add(L"default.exe*");
    EXPECT_EQ(AppendExclusionFiles(list, {first, dir + L"\\missing.txt"}), std::nullopt);
    EXPECT_EQ(list.Items(), (std::vector<std::wstring>{L"default.exe*", L"game.exe*", L"// note"}));

    testenv::WriteFileBytes(second, "tool.exe*\n");
    EXPECT_EQ(AppendExclusionFiles(list, {first, second}), std::nullopt);
    EXPECT_EQ(list.Count(), 6u);
    EXPECT_EQ(list.Items().back(), L"tool.exe*");
}

TEST(AppendExclusionFiles, AnUnreadableFileIsNamedAndNothingIsAppended)
{
    const std::wstring dir = testenv::MakeTempDir(L"exclusion");
    const std::wstring first = dir + L"\\first.txt";
    const std::wstring locked = dir + L"\\locked.txt";
    testenv::WriteFileBytes(first, "game.exe*\r\n");
    testenv::WriteFileBytes(locked, "other.exe*\r\n");
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    TNameList list;
    list.Add(L"default.exe*");
    EXPECT_EQ(AppendExclusionFiles(list, {first, locked}), locked);
    EXPECT_EQ(list.Items(), std::vector<std::wstring>{L"default.exe*"});
    CloseHandle(holder);
}

TEST(SelectForTermination, MarksWhatTheDefaultListDoesNotProtect)
{
    TNameList fileWhite;
    LoadListResource(fileWhite, L"file_white");
    ASSERT_GT(fileWhite.Count(), 200u);
    const DWORD own = 4000;
    TProcessList processes = {
        Process(100, L"C:\\Windows\\explorer.exe"),
        Process(104, L"Registry"),
        Process(108, L"C:\\Program Files\\Google\\Chrome\\Application\\CHROME.EXE"),
        Process(112, L"C:\\Users\\user\\AppData\\Local\\Kakao\\KakaoTalk.exe"),
        Process(116, L"C:\\Windows\\servicing\\TrustedInstaller.exe"),
        Process(120, L"C:\\Program Files\\TidoraTray\\TidoraService.exe"),
        Process(own, L"C:\\Program Files\\Tidora\\Tidora.exe"),
        Process(124, L"C:\\Games\\mychrome.exe"),
    };
    SelectForTermination(processes, fileWhite, own);
    using enum TProcessState;
    const TProcessState expected[] = {Found, Found, Found, Selected, Selected, Found, Found, Selected};
    for (size_t i = 0; i < processes.size(); ++i)
        EXPECT_EQ(processes[i].State, expected[i]) << processes[i].FileName;
}

TEST_F(CleanupRunTest, TerminationAndChecksSetTheFinalStates)
{
    ChildProcess keep({}, ChildProcess::CopyAs(FDir, L"keep-me.exe"));
    ChildProcess end({}, ChildProcess::CopyAs(FDir, L"end-me.exe"));
    ChildProcess early({L"", 1500}, ChildProcess::CopyAs(FDir, L"gone-early.exe"));
    ChildProcess stubborn({}, ChildProcess::CopyAs(FDir, L"not-ended.exe"));
    ASSERT_TRUE(keep.Started() && end.Started() && early.Started() && stubborn.Started());
    testenv::WaitUntil([&] { return !GetProcessImagePath(early.Pid()).empty(); });

    TProcessList all;
    SnapshotProcesses(all);
    TProcessList ours;
    for (DWORD pid : {keep.Pid(), end.Pid(), early.Pid(), stubborn.Pid()}) {
        const TProcessInfo* entry = Entry(all, pid);
        ASSERT_NE(entry, nullptr);
        ours.push_back(*entry);
    }
    TNameList fileWhite;
    fileWhite.Add(L"keep-me.exe*");
    SelectForTermination(ours, fileWhite);
    EXPECT_EQ(ours[0].State, TProcessState::Found);
    EXPECT_EQ(ours[1].State, TProcessState::Selected);
    EXPECT_EQ(ours[2].State, TProcessState::Selected);
    EXPECT_EQ(ours[3].State, TProcessState::Selected);

    ASSERT_TRUE(early.WaitForExit(5000));  // ends by itself before the termination pass
    TerminateSelected(TProcessList(ours.begin(), ours.begin() + 3));  // the last one is left running
    ASSERT_TRUE(end.WaitForExit(5000));
    testenv::WaitUntil([&] { return !IsProcessAlive(end.Pid()) && !IsProcessAlive(early.Pid()); });
    CheckTerminated(ours);
    EXPECT_EQ(ours[0].State, TProcessState::Found);
    EXPECT_EQ(ours[1].State, TProcessState::Ended);
    EXPECT_EQ(ours[2].State, TProcessState::Ended);
    EXPECT_EQ(ours[3].State, TProcessState::Selected);
    EXPECT_TRUE(keep.IsRunning());
    EXPECT_TRUE(stubborn.IsRunning());
}

TEST_F(CleanupRunTest, ARunEndsWhatIsNotProtectedReportsItAndNamesTheResultPage)
{
    ChildProcess keep({}, ChildProcess::CopyAs(FDir, L"keep-run.exe"));
    ChildProcess first({}, ChildProcess::CopyAs(FDir, L"end-run-1.exe"));
    ChildProcess second({L"End run window"}, ChildProcess::CopyAs(FDir, L"end-run-2.exe"));
    ASSERT_TRUE(keep.Started() && first.Started() && second.Started());
    std::vector<std::wstring> entries = ProtectEverythingRunning().Items();
    for (const wchar_t* unprotected : {L"end-run-1.exe*", L"end-run-2.exe*"})
        entries.erase(std::remove(entries.begin(), entries.end(), unprotected), entries.end());
    TNameList fileWhite(std::move(entries));
    ASSERT_TRUE(MatchList(fileWhite, L"keep-run.exe", true));

    TCleanupRunInput input;
    input.FileWhite = fileWhite;
    input.OldAvailMemory = GetAvailableMemory();
    input.StartRecords = std::vector<TReportStart>{{L"HKCU\\Run\\Updater", L"HKCU"}};
    input.InstallRecords = std::vector<TReportInstall>{{L"보안 모듈", L"회사"}};

    std::optional<TCleanupRunOutcome> outcome;
    DWORD finishedOn = 0;
    const ULONGLONG started = GetTickCount64();
    StartCleanupRun(std::move(input), [&](const TCleanupRunOutcome& result) {
        outcome = result;
        finishedOn = GetCurrentThreadId();
    });
    fileWhite.Clear();  // the run works on its own copy
    ASSERT_TRUE(PumpUntil([&] { return outcome.has_value(); }, 60000));
    EXPECT_GE(GetTickCount64() - started, 4000u);  // the four checks are always spent
    EXPECT_EQ(finishedOn, GetCurrentThreadId());

    EXPECT_TRUE(first.WaitForExit(0));
    EXPECT_TRUE(second.WaitForExit(0));
    EXPECT_TRUE(keep.IsRunning());
    const TProcessInfo* own = Entry(outcome->Processes, GetCurrentProcessId());
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->State, TProcessState::Found);
    EXPECT_EQ(Entry(outcome->Processes, first.Pid())->State, TProcessState::Ended);
    EXPECT_EQ(Entry(outcome->Processes, second.Pid())->State, TProcessState::Ended);
    EXPECT_EQ(Entry(outcome->Processes, keep.Pid())->State, TProcessState::Found);

    // What went to the service is the body, with the report's headers.
    auto requests = service::Requests();
    ASSERT_EQ(requests.size(), 1u);
    const json& sent = requests[0];
    EXPECT_EQ(sent["path"], "/report.php");
    EXPECT_EQ(service::Body(sent), WideToUtf8(outcome->Body));
    EXPECT_EQ(service::Header(sent, "Content-Type"), "application/json");
    EXPECT_EQ(service::Header(sent, "User-Version"), WideToUtf8(MainExeVersion()));
    EXPECT_EQ(service::Header(sent, "User-Union").size(), 32u);
    EXPECT_EQ(service::Header(sent, "Accept-Language"), "ko-KR");

    const std::string body = service::Body(sent);
    EXPECT_EQ(body.rfind("[{\"cate\":\"memory\",\"old\":\"", 0), 0u);
    EXPECT_NE(body.find("end-run-1.exe\",\"state\":\"-1\"}"), std::string::npos);
    EXPECT_NE(body.find("keep-run.exe\",\"state\":\"1\"}"), std::string::npos);
    EXPECT_NE(body.find("{\"cate\":\"start\",\"item\":\"HKCU\\\\Run\\\\Updater\",\"from\":\"HKCU\"}"),
              std::string::npos);
    EXPECT_TRUE(body.ends_with(
        "{\"cate\":\"install\",\"displayname\":\"\\uBCF4\\uC548 \\uBAA8\\uB4C8\",\"publisher\":\"\\uD68C\\uC0AC\"}]"));

    ASSERT_TRUE(outcome->Answer.has_value());
    ASSERT_FALSE(outcome->Key.empty()) << *outcome->Answer;
    EXPECT_EQ(outcome->ResultAddress, testenv::ServiceUrl() + L"/?report=" + outcome->Key);
    THTTP page;
    const std::wstring html = page.Get(outcome->ResultAddress);
    EXPECT_NE(html.find(L"end-run-1.exe</li>"), std::wstring::npos) << html;
    EXPECT_NE(html.find(L"end-run-2.exe</li>"), std::wstring::npos) << html;
}

TEST_F(CleanupRunTest, WithTheServiceDownNoPageIsNamed)
{
    TCleanupRunInput input;
    input.FileWhite = ProtectEverythingRunning();
    input.ReportAddress = L"http://127.0.0.1:1/report.php";
    const ULONGLONG started = GetTickCount64();
    const TCleanupRunOutcome outcome = RunCleanup(std::move(input));
    EXPECT_GE(GetTickCount64() - started, 4000u);
    EXPECT_EQ(outcome.Answer, std::nullopt);
    EXPECT_EQ(outcome.Key, L"");
    EXPECT_EQ(outcome.ResultAddress, L"");
    for (const auto& p : outcome.Processes)
        EXPECT_EQ(p.State, TProcessState::Found) << p.FileName;
}

TEST_F(CleanupRunTest, TheKeyIsPercentEncodedIntoTheResultAddress)
{
    service::SetRoute({{"path", "/report.php"}, {"body", R"({"pk":"a b/c?d"})"}});
    TCleanupRunInput input;
    input.FileWhite = ProtectEverythingRunning();
    const TCleanupRunOutcome outcome = RunCleanup(std::move(input));
    EXPECT_EQ(outcome.Key, L"a b/c?d");
    EXPECT_EQ(outcome.ResultAddress, testenv::ServiceUrl() + L"/?report=a%20b%2Fc%3Fd");
}
