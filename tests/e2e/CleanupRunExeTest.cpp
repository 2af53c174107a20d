// The real Tidora.exe doing its job: a run started with the "실행하기"
// button ends what the lists do not protect, reports to the local test
// service, opens the result page and ends the program; the start-up answer
// adds to the lists and brings the update notice.
//
// A run ends every process it does not protect, in this prefix Wine's own
// (services.exe, explorer.exe ...) and this test program as well. Each run
// therefore starts from a copy of Tidora.exe in a folder of its own whose
// "NoClean.txt" names every process alive before the test's children were
// started, as a user would protect what must survive.
#include "TidoraProcess.h"
#include "child_process.h"
#include "service_client.h"
#include "test_env.h"

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::wstring Lower(std::wstring text)
{
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool EndsWithIgnoringCase(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() && Lower(text.substr(text.size() - tail.size())) == Lower(tail);
}

// File names of the processes alive now.
std::set<std::wstring> LiveProcessNames()
{
    std::set<std::wstring> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return names;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        names.insert(Lower(entry.szExeFile));
    CloseHandle(snapshot);
    return names;
}

std::wstring RoamingFolder()
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring FileVersionOf(const std::wstring& exe)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoW(exe.c_str(), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
        return L"";
    return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(info->dwFileVersionLS));
}

std::wstring InstallId()
{
    wchar_t value[256] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Morvane", L"MUID", RRF_RT_REG_SZ, nullptr,
                     value, &size) != ERROR_SUCCESS)
        return L"";
    return value;
}

// Writes a file for the duration of a test and puts back what was there.
class TScopedFile {
public:
    TScopedFile(std::wstring path, const std::string& bytes) : FPath(std::move(path))
    {
        FHadFile = GetFileAttributesW(FPath.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (FHadFile)
            FOld = testenv::ReadFileBytes(FPath);
        CreateDirectoryW(FPath.substr(0, FPath.find_last_of(L'\\')).c_str(), nullptr);
        testenv::WriteFileBytes(FPath, bytes);
    }
    ~TScopedFile()
    {
        if (FHadFile)
            testenv::WriteFileBytes(FPath, FOld);
        else
            DeleteFileW(FPath.c_str());
    }
    const std::wstring& Path() const { return FPath; }

private:
    std::wstring FPath;
    bool FHadFile = false;
    std::string FOld;
};

std::string Lines(const std::vector<std::wstring>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += Utf8(line) + "\r\n";
    return text;
}

std::vector<json> RequestsTo(const std::string& path)
{
    std::vector<json> found;
    for (const auto& request : service::Requests())
        if (request["path"].get<std::string>() == path)
            found.push_back(request);
    return found;
}

std::string StartupAnswer(const json& fileWhite, const std::string& update = "", const json& info = json::object())
{
    json answer = {{"update", update},       {"info", info},         {"file_white", fileWhite},
                   {"name_white", json::array()}, {"name_black", json::array()}};
    return answer.dump();
}

// The notice: a visible top-level window of the process with a Yes button.
HWND FindNoticeOf(DWORD pid)
{
    for (HWND window : ProcessWindows(pid, nullptr))
        if (IsWindowVisible(window) && WindowClass(window) != L"TFrmTidora" && GetDlgItem(window, IDYES))
            return window;
    return nullptr;
}

HWND WaitForNotice(DWORD pid, std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    HWND notice = nullptr;
    testenv::WaitUntil([&] { return (notice = FindNoticeOf(pid)) != nullptr; }, timeout);
    return notice;
}

void PressDialogButton(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool BrowserOpened(const std::wstring& address)
{
    auto log = testenv::BrowserLog();
    return std::find(log.begin(), log.end(), address) != log.end();
}

// A copy of Tidora.exe in a folder of its own, beside an exclusion file that
// protects every process alive now, plus `extra` lines.
class TidoraRun : public testing::Test {
protected:
    void SetUp() override
    {
        service::Reset();
        testenv::ClearBrowserLog();
        folder = testenv::MakeTempDir(L"run");
        exe = folder + L"\\Tidora.exe";
        ASSERT_TRUE(CopyFileW((testenv::BinDir() + L"\\Tidora.exe").c_str(), exe.c_str(), FALSE));
        for (const auto& name : LiveProcessNames())
            protectLines.push_back(name + L"*");
        roamingKids = RoamingFolder() + L"\\TidoraRunTest";
        CreateDirectoryW(roamingKids.c_str(), nullptr);
    }

    void WriteLocalExclusions(const std::vector<std::wstring>& extra)
    {
        std::vector<std::wstring> lines = {L"// kept alive for the test run"};
        lines.insert(lines.end(), protectLines.begin(), protectLines.end());
        lines.insert(lines.end(), extra.begin(), extra.end());
        testenv::WriteFileBytes(folder + L"\\NoClean.txt", Lines(lines));
    }

    // Starts the copy and waits until its start-up request has been answered
    // and handled.
    void StartTidora()
    {
        ASSERT_TRUE(app.Start(true, exe)) << "Tidora.exe did not show its window";
        ASSERT_TRUE(testenv::WaitUntil([] { return !RequestsTo("/api.init.php").empty(); },
                                       std::chrono::seconds(20)));
        Sleep(1000);
    }

    HWND PressRun()
    {
        HWND button = app.Control(L"Button", L"실행하기");
        EXPECT_NE(button, nullptr);
        pressed = Clock::now();
        ClickButton(button);
        return button;
    }

    double SecondsSincePress() const
    {
        return std::chrono::duration<double>(Clock::now() - pressed).count();
    }

    std::map<std::string, std::string> Reports() const
    {
        std::map<std::string, std::string> reports;
        json all = json::parse(service::Call(L"GET", L"/_test/reports"));
        for (auto& [key, body] : all.items())
            reports[key] = body.get<std::string>();
        return reports;
    }

    std::wstring folder;
    std::wstring exe;
    std::wstring roamingKids;
    std::vector<std::wstring> protectLines;
    TTidoraProcess app;
    Clock::time_point pressed;
};

struct TChild {
    const wchar_t* Name;
    bool InRoaming;  // below the roaming application-data folder, else beside the copy
    bool Protected;
    DWORD ExitAfterMs;
};

TEST_F(TidoraRun, EndsWhatTheListsDoNotProtectReportsAndOpensTheResultPage)
{
    const TChild children[] = {
        {L"keep_local.exe", false, true, 0},      // exclusion file beside the program
        {L"keep_roaming.exe", true, true, 0},     // roaming exclusion file, path token
        {L"keep_service.exe", false, true, 0},    // the start-up answer's "file_white"
        {L"end_plain.exe", false, false, 0},
        {L"end_roaming.exe", true, false, 0},
        {L"end_early.exe", false, false, 2500},   // ends by itself about when the run starts
    };
    service::SetRoute({{"path", "/api.init.php"}, {"body", StartupAnswer(json::array({"keep_service.exe*"}))}});
    WriteLocalExclusions({L"keep_local.exe*"});
    TScopedFile roaming(RoamingFolder() + L"\\Tidora\\NoClean.txt",
                        Lines({L"%AppData%\\TidoraRunTest\\keep_roaming.exe"}));

    std::map<std::wstring, std::unique_ptr<ChildProcess>> running;
    for (const auto& child : children) {
        std::wstring path = ChildProcess::CopyAs(child.InRoaming ? roamingKids : folder, child.Name);
        ChildProcess::Options options;
        options.window = child.ExitAfterMs ? L"" : child.Name;
        options.exitAfterMs = child.ExitAfterMs;
        running[child.Name] = std::make_unique<ChildProcess>(options, path);
        ASSERT_TRUE(running[child.Name]->Started()) << testing::PrintToString(std::wstring(child.Name));
    }
    StartTidora();
    HWND window = app.Window();

    HWND button = PressRun();
    EXPECT_EQ(WindowText(button), L"") << "the button goes blank";
    EXPECT_FALSE(IsWindowEnabled(button));
    HWND indicator = app.Control(L"TidoraActivityIndicator", nullptr);
    EXPECT_TRUE(indicator && IsWindowVisible(indicator));

    ASSERT_TRUE(app.WaitForExit(90000)) << "the program did not end after its run";
    EXPECT_GE(SecondsSincePress(), 4.0) << "four one-second checks";
    EXPECT_FALSE(IsWindow(window));

    for (const auto& child : children)
        EXPECT_EQ(running[child.Name]->IsRunning(), child.Protected)
            << testing::PrintToString(std::wstring(child.Name));

    // The report as the service stored it.
    auto reports = Reports();
    ASSERT_EQ(reports.size(), 1u);
    const auto& [key, body] = *reports.begin();
    json records = json::parse(body);
    ASSERT_TRUE(records.is_array());
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(body.rfind(R"([{"cate":"memory","old":")", 0), 0u) << body.substr(0, 80);
    EXPECT_GT(std::stoll(records[0]["tot"].get<std::string>()), 0);
    EXPECT_GT(std::stoll(records[0]["old"].get<std::string>()), 0);
    EXPECT_GT(std::stoll(records[0]["new"].get<std::string>()), 0);

    std::map<std::wstring, std::string> stateOf;
    for (size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(records[i]["cate"], "clean") << "only clean records follow: no page was opened";
        const std::string state = records[i]["state"].get<std::string>();
        EXPECT_TRUE(state == "1" || state == "-1") << records[i].dump();
        stateOf[Wide(records[i]["file"].get<std::string>())] = state;
    }
    auto stateEndingWith = [&](const std::wstring& tail) -> std::optional<std::string> {
        for (const auto& [file, state] : stateOf)
            if (EndsWithIgnoringCase(file, L"\\" + tail))
                return state;
        return std::nullopt;
    };
    EXPECT_EQ(stateEndingWith(L"Tidora.exe"), "1") << "the program's own process";
    for (const auto& child : children) {
        auto state = stateEndingWith(child.Name);
        if (child.ExitAfterMs) {
            // Gone before the snapshot, or ended by itself or by the run.
            EXPECT_TRUE(!state || *state == "-1") << *state;
            continue;
        }
        ASSERT_TRUE(state) << testing::PrintToString(std::wstring(child.Name));
        EXPECT_EQ(*state, child.Protected ? "1" : "-1") << testing::PrintToString(std::wstring(child.Name));
    }
    // Paths below a token folder go out in token form, escaped.
    EXPECT_NE(body.find(R"({"cate":"clean","file":"%AppData%\\TidoraRunTest\\end_roaming.exe","state":"-1"})"),
              std::string::npos);
    EXPECT_NE(body.find(R"({"cate":"clean","file":"%AppData%\\TidoraRunTest\\keep_roaming.exe","state":"1"})"),
              std::string::npos);

    // The report request and its identification headers.
    auto posts = RequestsTo("/report.php");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0]["method"], "POST");
    EXPECT_EQ(service::Body(posts[0]), body);
    EXPECT_NE(service::Header(posts[0], "Content-Type").find("application/json"), std::string::npos);
    EXPECT_EQ(service::Header(posts[0], "User-Version"), Utf8(FileVersionOf(exe)));
    EXPECT_EQ(service::Header(posts[0], "User-Union"), Utf8(InstallId()));
    EXPECT_EQ(InstallId().size(), 32u);
    EXPECT_EQ(service::Header(posts[0], "User-Command"), "");

    auto starts = RequestsTo("/api.init.php");
    ASSERT_GE(starts.size(), 1u);
    EXPECT_EQ(service::Header(starts[0], "User-Union"), Utf8(InstallId()));
    EXPECT_EQ(service::Header(starts[0], "User-Version"), Utf8(FileVersionOf(exe)));

    const std::wstring page = testenv::ServiceUrl() + L"/?report=" + Wide(key);
    EXPECT_TRUE(testenv::WaitUntil([&] { return BrowserOpened(page); }))
        << "result page " << testing::PrintToString(page);
}

// A close asked for during a run waits for the run: the report still goes
// out and the result page still opens.
TEST_F(TidoraRun, CloseDuringARunWaitsForItsEnd)
{
    WriteLocalExclusions({});
    ChildProcess victim({L"close_victim.exe"}, ChildProcess::CopyAs(folder, L"close_victim.exe"));
    StartTidora();
    HWND window = app.Window();
    PressRun();
    PostMessageW(window, WM_CLOSE, 0, 0);
    Sleep(1500);
    EXPECT_TRUE(IsWindow(window)) << "the window closed while the run lasted";
    ASSERT_TRUE(app.WaitForExit(90000));
    EXPECT_GE(SecondsSincePress(), 4.0);
    EXPECT_FALSE(victim.IsRunning());

    auto reports = Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports.begin()->second.find(R"(\\close_victim.exe","state":"-1"})"), std::string::npos);
    const std::wstring page = testenv::ServiceUrl() + L"/?report=" + Wide(reports.begin()->first);
    EXPECT_TRUE(testenv::WaitUntil([&] { return BrowserOpened(page); }));
}

// The service cannot be reached for the report: nothing is opened, and the
// program still ends after the four checks. With everything protected,
// every clean record keeps "state" "1".
TEST_F(TidoraRun, UnreachableServiceOpensNoPageAndStillEnds)
{
    struct TCase {
        const char* Name;
        json Route;
    };
    const TCase cases[] = {
        {"connection dropped", {{"path", "/report.php"}, {"method", "POST"}, {"drop", 5}, {"body", ""}}},
        {"server error", {{"path", "/report.php"}, {"method", "POST"}, {"status", 500},
                          {"body", "<html><body>500 Internal Server Error</body></html>"}}},
    };
    WriteLocalExclusions({});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        service::Reset();
        testenv::ClearBrowserLog();
        service::SetRoute(c.Route);
        TTidoraProcess run;
        ASSERT_TRUE(run.Start(true, exe));
        ASSERT_TRUE(testenv::WaitUntil([] { return !RequestsTo("/api.init.php").empty(); },
                                       std::chrono::seconds(20)));
        Sleep(500);
        pressed = Clock::now();
        ClickButton(run.Control(L"Button", L"실행하기"));
        ASSERT_TRUE(run.WaitForExit(90000));
        EXPECT_GE(SecondsSincePress(), 4.0);

        auto posts = RequestsTo("/report.php");
        ASSERT_GE(posts.size(), 1u) << "the report was sent";
        json records = json::parse(service::Body(posts[0]));
        for (size_t i = 1; i < records.size(); ++i)
            EXPECT_EQ(records[i]["state"], "1") << records[i].dump();
        Sleep(1500);  // the browser stand-in would have written by now
        EXPECT_TRUE(testenv::BrowserLog().empty()) << Utf8(testenv::BrowserLog().front());
    }
}

// An exclusion file that exists but cannot be read: a message names it, the
// button comes back and nothing is ended.
TEST_F(TidoraRun, UnreadableExclusionFileStopsTheRunAndRestoresTheButton)
{
    WriteLocalExclusions({});
    TScopedFile roaming(RoamingFolder() + L"\\Tidora\\NoClean.txt", "end_nothing.exe*\r\n");
    HANDLE locked = CreateFileW(roaming.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    ChildProcess bystander({L"bystander.exe"}, ChildProcess::CopyAs(folder, L"bystander.exe"));
    StartTidora();

    HWND button = PressRun();
    HWND message = nullptr;
    testenv::WaitUntil([&] {
        for (HWND window : ProcessWindows(app.Pid(), L"#32770"))
            if (IsWindowVisible(window))
                message = window;
        return message != nullptr;
    });
    ASSERT_NE(message, nullptr) << "no message about the file";
    std::wstring text;
    for (HWND child : FindChildren(message, L"Static", nullptr))
        text += WindowText(child);
    EXPECT_NE(Lower(text).find(Lower(roaming.Path())), std::wstring::npos) << Utf8(text);
    EXPECT_EQ(WindowText(button), L"실행하기");
    EXPECT_TRUE(IsWindowEnabled(button));
    EXPECT_FALSE(IsWindowVisible(app.Control(L"TidoraActivityIndicator", nullptr)));

    Sleep(5000);
    EXPECT_TRUE(bystander.IsRunning()) << "nothing may be ended";
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(RequestsTo("/report.php").empty());
    PressDialogButton(message, IDOK);
    CloseHandle(locked);
    app.Close();
    EXPECT_FALSE(app.Running());
}

// The update notice at start-up, from the real program.
class TidoraNotice : public testing::Test {
protected:
    void SetUp() override
    {
        service::Reset();
        testenv::ClearBrowserLog();
    }
    void StartWith(const std::string& answer)
    {
        service::SetRoute({{"path", "/api.init.php"}, {"body", answer}});
        ASSERT_TRUE(app.Start());
    }

    const std::string download = Utf8(testenv::ServiceUrl()) + "/download/Tidora-setup.exe";
    TTidoraProcess app;
};

TEST_F(TidoraNotice, EachStyleShowsTheNoticeWithItsExtras)
{
    struct TCase {
        const char* Style;
        bool Line;
        bool Hold;
        bool Link;
    };
    const TCase cases[] = {
        {"", false, false, false},
        {"hold", true, true, false},
        {"note", true, false, true},
        {"HOLD", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Style);
        service::Reset();
        TTidoraProcess run;
        service::SetRoute({{"path", "/api.init.php"},
                           {"body", StartupAnswer(json::array(), download,
                                                  {{"style", c.Style},
                                                   {"text", "다시 보지 않기"},
                                                   {"flag", ""},
                                                   {"url", Utf8(testenv::ServiceUrl()) + "/notes"}})}});
        ASSERT_TRUE(run.Start());
        HWND notice = WaitForNotice(run.Pid());
        ASSERT_NE(notice, nullptr);
        EXPECT_EQ(GetDlgItem(notice, 1003) != nullptr, c.Line);
        EXPECT_EQ(GetDlgItem(notice, 1004) != nullptr, c.Hold);
        EXPECT_EQ(GetDlgItem(notice, 1005) != nullptr, c.Link);
        PressDialogButton(notice, IDNO);
        EXPECT_TRUE(testenv::WaitUntil([&] { return !IsWindow(notice); }));
        Sleep(300);
        EXPECT_TRUE(run.Running()) << "No keeps the program";
        EXPECT_TRUE(testenv::BrowserLog().empty());
    }
}

TEST_F(TidoraNotice, YesOpensTheDownloadAndEndsTheProgram)
{
    StartWith(StartupAnswer(json::array(), download));
    HWND notice = WaitForNotice(app.Pid());
    ASSERT_NE(notice, nullptr);
    PressDialogButton(notice, IDYES);
    EXPECT_TRUE(app.WaitForExit(20000)) << "the program did not end";
    EXPECT_TRUE(testenv::WaitUntil([&] { return BrowserOpened(Wide(download)); }));
}

TEST_F(TidoraNotice, NoWithHoldTickedSendsTheHoldRequest)
{
    StartWith(StartupAnswer(json::array(), download, {{"style", "hold"}, {"text", "다시 보지 않기"}}));
    HWND notice = WaitForNotice(app.Pid());
    ASSERT_NE(notice, nullptr);
    HWND hold = GetDlgItem(notice, 1004);
    ASSERT_NE(hold, nullptr);
    ClickButton(hold);
    EXPECT_EQ(SendMessageW(hold, BM_GETCHECK, 0, 0), BST_CHECKED);
    PressDialogButton(notice, IDNO);

    ASSERT_TRUE(testenv::WaitUntil([] { return !json::parse(service::Call(L"GET", L"/_test/holds")).empty(); }));
    json holds = json::parse(service::Call(L"GET", L"/_test/holds"));
    ASSERT_EQ(holds.size(), 1u);
    EXPECT_EQ(service::Header(holds[0], "User-Command"), "hold");
    EXPECT_EQ(service::Header(holds[0], "User-Version"), Utf8(FileVersionOf(testenv::BinDir() + L"\\Tidora.exe")));
    EXPECT_TRUE(app.Running());
    Sleep(500);
    EXPECT_TRUE(testenv::BrowserLog().empty()) << "No opens nothing";
}

}  // namespace
