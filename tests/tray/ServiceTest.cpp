// TidoraService.exe end to end under the C locale (English texts): the real
// program, started from a folder of its own, against the local test service.
#include "build_config.h"
#include "child_process.h"
#include "registry_state.h"
#include "service_fixture.h"

namespace {

const std::wstring Site = TIDORA_SITE_URL;
const std::wstring MorvaneKey = L"Software\\Morvane";
const std::wstring Tooltip = L"Tidora 3.7.3";

std::string Header(const nlohmann::json& request, const std::string& name)
{
    return service::Header(request, name);
}

bool HasHeader(const nlohmann::json& request, const std::string& name)
{
    for (const auto& header : request["headers"])
        if (_stricmp(header[0].get<std::string>().c_str(), name.c_str()) == 0)
            return true;
    return false;
}

// Addresses the browser got. Wine's hand-over to the browser writes a site's
// root with a trailing slash whether or not it was asked with one, so a
// trailing slash is taken off before comparing.
std::vector<std::wstring> SiteRootsOpened()
{
    std::vector<std::wstring> opened = testenv::BrowserLog();
    for (auto& address : opened)
        if (!address.empty() && address.back() == L'/')
            address.pop_back();
    return opened;
}

using TrayService = TrayServiceTest;

TEST_F(TrayService, MissingMainProgramShowsTheErrorOpensTheSiteAndEnds)
{
    for (MainProgram main : {MainProgram::None, MainProgram::Folder}) {
        SCOPED_TRACE(main == MainProgram::None ? "no Tidora.exe" : "Tidora.exe is a folder");
        testenv::ClearBrowserLog();
        service::Reset();
        std::wstring folder = MakeInstallFolder(L"missing", main);
        HelperProcess helper(folder);
        HWND box = WaitForMessageBox(helper);
        ASSERT_TRUE(box);
        EXPECT_EQ(WindowText(box), L"Tidora");
        EXPECT_EQ(MessageBoxText(box), L"The application configuration file is invalid.\r\rPlease reinstall and run.");
        EXPECT_TRUE(GetDlgItem(box, IDOK));
        EXPECT_FALSE(GetDlgItem(box, IDYES));
        EXPECT_FALSE(helper.FindWindowOfClass(L"SvcTidora"));
        EXPECT_TRUE(testenv::BrowserLog().empty());  // the site opens once the box is closed

        PressDialogButton(box, IDOK);
        ASSERT_TRUE(helper.WaitForExit(10000));
        EXPECT_EQ(helper.ExitCode(), 0u);
        EXPECT_TRUE(testenv::WaitUntil([] { return !testenv::BrowserLog().empty(); }));
        EXPECT_EQ(SiteRootsOpened(), std::vector<std::wstring>{Site});
        EXPECT_TRUE(UpdateQuestions().empty());
        EXPECT_TRUE(ShownTrayIconsWithTooltip(Tooltip).empty());
    }
}

TEST_F(TrayService, StartsHiddenWithItsIconAndAsksForUpdatesOnce)
{
    SavedRegistryKey saved(HKEY_CURRENT_USER, MorvaneKey);
    const wchar_t id[] = L"0123ABCD3103050BEE140709FEDC4321";
    SetValue(HKEY_CURRENT_USER, MorvaneKey, L"MUID", REG_SZ, id, sizeof(id));
    AnswerUpdateQuestion(R"({"update":""})");

    HelperProcess helper(MakeInstallFolder(L"start", MainProgram::StandIn));
    ASSERT_TRUE(WaitForTrayIcons(Tooltip, 1));

    auto questions = UpdateQuestions();
    ASSERT_EQ(questions.size(), 1u);
    const auto& request = questions[0];
    EXPECT_EQ(request["method"], "GET");
    EXPECT_EQ(Header(request, "User-Agent"),
              "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
              "Chrome/115.0.0.0 Safari/537.36");
    EXPECT_EQ(Header(request, "User-Version"), "3.7.3.0");  // file version, not product version
    EXPECT_EQ(Header(request, "User-Debug"), "false");
    EXPECT_EQ(Header(request, "User-Union"), "0123ABCD3103050BEE140709FEDC4321");
    EXPECT_FALSE(HasHeader(request, "User-Language"));
    EXPECT_EQ(Header(request, "Pragma"), "no-cache");

    // Hidden windows: the application window and the form "SvcTidora" just
    // below the screen.
    HWND form = helper.FindWindowOfClass(L"SvcTidora");
    HWND app = helper.FindWindowOfClass(L"obj_App");
    ASSERT_TRUE(form);
    ASSERT_TRUE(app);
    EXPECT_EQ(WindowText(form), L"Tidora");
    EXPECT_EQ(WindowText(app), L"Tidora");
    EXPECT_FALSE(IsWindowVisible(form));
    EXPECT_FALSE(IsWindowVisible(app));
    RECT rect{};
    GetWindowRect(form, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, GetSystemMetrics(SM_CYSCREEN) + 1);
    EXPECT_EQ(rect.right - rect.left, 240);
    EXPECT_EQ(rect.bottom - rect.top, 40);
    EXPECT_EQ(GetWindow(form, GW_OWNER), app);

    Quit(helper);
}

TEST_F(TrayService, InstallationIdHeaderFollowsTheRegistry)
{
    SavedRegistryKey saved(HKEY_CURRENT_USER, MorvaneKey);
    AnswerUpdateQuestion(R"({"update":""})");
    std::wstring folder = MakeInstallFolder(L"installid", MainProgram::StandIn);
    auto runOnce = [&] {
        service::Reset();
        AnswerUpdateQuestion(R"({"update":""})");
        HelperProcess helper(folder);
        EXPECT_TRUE(WaitForTrayIcons(Tooltip, 1));
        auto questions = UpdateQuestions();
        Quit(helper);
        return questions.size() == 1 ? Header(questions[0], "User-Union") : std::string("(no request)");
    };

    // The key is missing: the header is empty and the key is not made.
    DeleteKeyTree(HKEY_CURRENT_USER, MorvaneKey);
    EXPECT_EQ(runOnce(), "");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, MorvaneKey));

    // The key exists without the value: a new id is stored and sent.
    CreateKey(HKEY_CURRENT_USER, MorvaneKey);
    std::string sent = runOnce();
    std::wstring stored = GetString(HKEY_CURRENT_USER, MorvaneKey, L"MUID");
    EXPECT_TRUE(stored.size() == 31 || stored.size() == 32) << sent;
    EXPECT_EQ(sent, std::string(stored.begin(), stored.end()));
    EXPECT_EQ(runOnce(), sent);  // kept from then on

    // A value of another type: nothing is sent and the value stays.
    DWORD number = 42;
    SetValue(HKEY_CURRENT_USER, MorvaneKey, L"MUID", REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(runOnce(), "");
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(GetValue(HKEY_CURRENT_USER, MorvaneKey, L"MUID", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, std::vector<BYTE>({42, 0, 0, 0}));
}

TEST_F(TrayService, MainProgramWithoutVersionBlockShowsZeros)
{
    AnswerUpdateQuestion(R"({"update":""})");
    HelperProcess helper(MakeInstallFolder(L"noversion", MainProgram::NoVersionBlock));
    ASSERT_TRUE(WaitForTrayIcons(L"Tidora 0.0.0.0", 1));
    auto questions = UpdateQuestions();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(Header(questions[0], "User-Version"), "0.0.0.0");
    Quit(helper);
}

TEST_F(TrayService, SecondStartEndsAtOnce)
{
    AnswerUpdateQuestion(R"({"update":""})");
    std::wstring folder = MakeInstallFolder(L"second", MainProgram::StandIn);
    HelperProcess first(folder);
    ASSERT_TRUE(WaitForTrayIcons(Tooltip, 1));

    HelperProcess second(MakeInstallFolder(L"second-other", MainProgram::None));
    ASSERT_TRUE(second.WaitForExit(10000));
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_FALSE(second.FindWindowOfClass(L"#32770"));
    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(UpdateQuestions().size(), 1u);
    EXPECT_EQ(ShownTrayIconsWithTooltip(Tooltip).size(), 1u);
    EXPECT_TRUE(testenv::BrowserLog().empty());
    Quit(first);
}

TEST_F(TrayService, LeftPressStartsTheMainProgramOrNotifiesItsWindow)
{
    AnswerUpdateQuestion(R"({"update":""})");
    std::wstring folder = MakeInstallFolder(L"leftpress", MainProgram::StandIn);
    HelperProcess helper(folder);
    ASSERT_TRUE(WaitForTrayIcons(Tooltip, 1));
    HWND icon = ShownTrayIconsWithTooltip(Tooltip).at(0).window;

    // Only the two presses act: releases, double clicks, other buttons and
    // moves do nothing.
    for (UINT message : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_RBUTTONDBLCLK,
                         WM_MBUTTONDOWN, WM_MBUTTONUP})
        PressTrayIcon(icon, message);
    Sleep(500);
    EXPECT_TRUE(MainLog(folder).empty());
    EXPECT_FALSE(helper.FindWindowOfClass(L"#32768") && IsWindowVisible(helper.FindWindowOfClass(L"#32768")));

    // No main window yet: the program is started (elevated on Windows).
    PressTrayIcon(icon, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitForMainLog(folder, 1));
    EXPECT_EQ(MainLog(folder)[0].rfind("start ", 0), 0u);
    ASSERT_TRUE(testenv::WaitUntil([] { return FindWindowW(L"TFrmTidora", nullptr) != nullptr; }));

    // Its window exists: it is told (WM_USER 1) and not started again.
    PressTrayIcon(icon, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitForMainLog(folder, 2));
    Sleep(300);
    auto log = MainLog(folder);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "user 1 0");
    Quit(helper);
}

TEST_F(TrayService, QuitTellsTheMainProgramRemovesTheIconAndEnds)
{
    AnswerUpdateQuestion(R"({"update":""})");
    std::wstring folder = MakeInstallFolder(L"quit", MainProgram::StandIn);
    // The main program runs first (started by the test, not by the helper).
    ChildProcess mainProgram({}, folder + L"Tidora.exe");
    ASSERT_TRUE(testenv::WaitUntil([] { return FindWindowW(L"TFrmTidora", nullptr) != nullptr; }));

    HelperProcess helper(folder);
    ASSERT_TRUE(WaitForTrayIcons(Tooltip, 1));
    ChooseMenuItem(helper, 4);
    ASSERT_TRUE(helper.WaitForExit(10000));
    EXPECT_EQ(helper.ExitCode(), 0u);
    auto log = MainLog(folder);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "user 2 0");
    EXPECT_TRUE(WaitForTrayIcons(Tooltip, 0));
    EXPECT_TRUE(mainProgram.IsRunning());
}

TEST_F(TrayService, RightPressShowsTheMenuBelowTheScreenAndItsItemsAct)
{
    AnswerUpdateQuestion(R"({"update":""})");
    HelperProcess helper(MakeInstallFolder(L"rightpress", MainProgram::StandIn));
    ASSERT_TRUE(WaitForTrayIcons(Tooltip, 1));
    HWND icon = ShownTrayIconsWithTooltip(Tooltip).at(0).window;
    HWND form = helper.FindWindowOfClass(L"SvcTidora");
    ASSERT_TRUE(form);
    const int screen = GetSystemMetrics(SM_CYSCREEN);

    PressTrayIcon(icon, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    ASSERT_TRUE(testenv::WaitUntil([&] {
        menu = helper.FindWindowOfClass(L"#32768");
        return menu && IsWindowVisible(menu);
    }));
    // The hidden form shows below the screen while the menu is up.
    EXPECT_TRUE(IsWindowVisible(form));
    RECT rect{};
    GetWindowRect(form, &rect);
    EXPECT_EQ(rect.top, screen + 50);

    // Down, Down, Down passes over the separator to About; Enter chooses it.
    for (int i = 0; i < 3; ++i)
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(testenv::WaitUntil([] { return !testenv::BrowserLog().empty(); }));
    EXPECT_EQ(SiteRootsOpened(), std::vector<std::wstring>{Site});
    EXPECT_TRUE(testenv::WaitUntil([&] { return !IsWindowVisible(form); }));
    GetWindowRect(form, &rect);
    EXPECT_EQ(rect.top, screen + 1);
    EXPECT_TRUE(helper.IsRunning());
    Quit(helper);
}

TEST_F(TrayService, AboutOpensTheSiteAndTheSeparatorDoesNothing)
{
    AnswerUpdateQuestion(R"({"update":""})");
    std::wstring folder = MakeInstallFolder(L"about", MainProgram::StandIn);
    HelperProcess helper(folder);
    ASSERT_TRUE(WaitForTrayIcons(Tooltip, 1));
    ChooseMenuItem(helper, 2);
    ChooseMenuItem(helper, 3);
    ASSERT_TRUE(testenv::WaitUntil([] { return !testenv::BrowserLog().empty(); }));
    Sleep(300);
    EXPECT_EQ(SiteRootsOpened(), std::vector<std::wstring>{Site});
    EXPECT_TRUE(MainLog(folder).empty());
    EXPECT_TRUE(helper.IsRunning());
    Quit(helper);
}

// Notepad's window showing the exclusion list, or null.
HWND FindNotepadWith(const std::wstring& fileName)
{
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"Notepad", nullptr)))
        if (WindowText(window).find(fileName) != std::wstring::npos)
            return window;
    return nullptr;
}

void CloseNotepads()
{
    HWND window = nullptr;
    while ((window = FindWindowW(L"Notepad", nullptr))) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (process) {
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

TEST_F(TrayService, WhiteListCreatesTheExclusionFileAndOpensItInNotepad)
{
    AnswerUpdateQuestion(R"({"update":""})");
    std::wstring folder = MakeInstallFolder(L"whitelist", MainProgram::StandIn);
    std::wstring appData = testenv::MakeTempDir(L"appdata");
    std::wstring list = appData + L"\\Tidora\\NoClean.txt";
    HelperProcess helper(folder, L"", {L"AppData=" + appData});
    ASSERT_TRUE(WaitForTrayIcons(Tooltip, 1));

    // A fresh profile: folder and an empty file are made.
    ChooseMenuItem(helper, 1);
    HWND notepad = nullptr;
    ASSERT_TRUE(testenv::WaitUntil([&] { return (notepad = FindNotepadWith(L"NoClean")) != nullptr; }));
    DWORD attributes = GetFileAttributesW((appData + L"\\Tidora").c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_NE(GetFileAttributesW(list.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(testenv::ReadFileBytes(list), "");
    CloseNotepads();

    // An existing list keeps its content.
    testenv::WriteFileBytes(list, "game.exe\r\nmessenger.exe\r\n");
    ChooseMenuItem(helper, 1);
    ASSERT_TRUE(testenv::WaitUntil([&] { return FindNotepadWith(L"NoClean") != nullptr; }));
    EXPECT_EQ(testenv::ReadFileBytes(list), "game.exe\r\nmessenger.exe\r\n");
    CloseNotepads();
    Quit(helper);
}

TEST_F(TrayService, InstArgumentOpensTheMainProgramAtStart)
{
    struct Case {
        const wchar_t* arguments;
        bool opens;
    };
    const Case cases[] = {
        {L"/inst", true},      {L"\"/inst\"", true}, {L"/inst other", true}, {L"/INST", false},
        {L"-inst", false},     {L"other /inst", false}, {L"/inst2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "arguments: " << std::string(c.arguments, c.arguments + wcslen(c.arguments)));
        service::Reset();
        AnswerUpdateQuestion(R"({"update":""})");
        std::wstring folder = MakeInstallFolder(L"inst", MainProgram::StandIn);
        HelperProcess helper(folder, c.arguments);
        ASSERT_TRUE(WaitForTrayIcons(Tooltip, 1));
        if (c.opens) {
            // Before the icon shows: the start is already logged, or follows at once.
            ASSERT_TRUE(WaitForMainLog(folder, 1));
            EXPECT_EQ(MainLog(folder)[0].rfind("start ", 0), 0u);
            // Its window must exist before it can be closed for the next case.
            EXPECT_TRUE(testenv::WaitUntil([] { return FindWindowW(L"TFrmTidora", nullptr) != nullptr; }));
        } else {
            Sleep(500);
            EXPECT_TRUE(MainLog(folder).empty());
        }
        Quit(helper);
        CloseStandInMainPrograms();
    }
}

TEST_F(TrayService, InstArgumentNotifiesARunningMainProgram)
{
    AnswerUpdateQuestion(R"({"update":""})");
    std::wstring folder = MakeInstallFolder(L"inst-running", MainProgram::StandIn);
    ChildProcess mainProgram({}, folder + L"Tidora.exe");
    ASSERT_TRUE(testenv::WaitUntil([] { return FindWindowW(L"TFrmTidora", nullptr) != nullptr; }));
    HelperProcess helper(folder, L"/inst");
    ASSERT_TRUE(WaitForTrayIcons(Tooltip, 1));
    auto log = MainLog(folder);
    ASSERT_EQ(log.size(), 2u);  // told before the icon showed
    EXPECT_EQ(log[1], "user 1 0");
    Quit(helper);
}

TEST_F(TrayService, OfferedUpdateYesOpensTheDownloadAndEnds)
{
    AnswerUpdateQuestion(R"({"info":"x","update":"https:\/\/localhost:47543\/download\/TidoraSetup.exe","v":"4"})");
    HelperProcess helper(MakeInstallFolder(L"update-yes", MainProgram::StandIn));
    HWND box = WaitForMessageBox(helper);
    ASSERT_TRUE(box);
    EXPECT_EQ(WindowText(box), L"Tidora");
    EXPECT_EQ(MessageBoxText(box),
              L"This program has been updated.\r\r"
              L"It is recommended to download and execute new for stable use.\r\r"
              L"Do you want to download it?");
    EXPECT_TRUE(GetDlgItem(box, IDYES));
    EXPECT_TRUE(GetDlgItem(box, IDNO));
    PressDialogButton(box, IDYES);
    ASSERT_TRUE(helper.WaitForExit(10000));
    EXPECT_EQ(helper.ExitCode(), 0u);
    ASSERT_TRUE(testenv::WaitUntil([] { return !testenv::BrowserLog().empty(); }));
    EXPECT_EQ(testenv::BrowserLog(), std::vector<std::wstring>{L"https://localhost:47543/download/TidoraSetup.exe"});
    EXPECT_TRUE(ShownTrayIconsWithTooltip(Tooltip).empty());
}

TEST_F(TrayService, OfferedUpdateNoKeepsTheHelperWithItsIcon)
{
    AnswerUpdateQuestion(R"({"update":"http://localhost:47545/TidoraSetup.exe"})");
    HelperProcess helper(MakeInstallFolder(L"update-no", MainProgram::StandIn));
    HWND box = WaitForMessageBox(helper);
    ASSERT_TRUE(box);
    PressDialogButton(box, IDNO);
    ASSERT_TRUE(WaitForTrayIcons(Tooltip, 1));
    EXPECT_TRUE(testenv::BrowserLog().empty());
    Quit(helper);
}

TEST_F(TrayService, AnswersWithoutAWebAddressShowNothing)
{
    struct Case {
        int status;
        const char* body;
    };
    const Case cases[] = {
        {200, R"({"update":""})"},
        {200, R"({"Update":"https:\/\/localhost:47543\/x.exe"})"},       // key spelled otherwise
        {200, R"({"version":"4.0.0"})"},
        {500, "<html><body><h1>500 Internal Server Error</h1></body></html>"},
        {200, R"({"update":"C:\\Windows\\System32\\calc.exe"})"},        // not a web address
        {200, R"({"update":"file:\/\/\/C:\/Windows\/System32\/calc.exe"})"},
        {200, R"({"update":"\"https://localhost:47543/x.exe"})"},        // ends at the escaped quote
    };
    std::wstring folder = MakeInstallFolder(L"no-update", MainProgram::StandIn);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        service::Reset();
        AnswerUpdateQuestion(c.body, c.status, c.status == 200 ? "application/json" : "text/html");
        HelperProcess helper(folder);
        // A box would hold the helper before its icon.
        ASSERT_TRUE(WaitForTrayIcons(Tooltip, 1));
        EXPECT_FALSE(helper.FindWindowOfClass(L"#32770"));
        EXPECT_EQ(UpdateQuestions().size(), 1u);
        Quit(helper);
    }
    EXPECT_TRUE(testenv::BrowserLog().empty());
}

}  // namespace
