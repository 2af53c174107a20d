// Tidora.exe itself, started as a user would start it and checked through
// its windows: class, texts, sizes, pages, the single-instance rule, the
// logo's link and the crash reporter of the test build.
#include "CrashDialog.h"
#include "TidoraProcess.h"
#include "test_env.h"

#include "build_config.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const wchar_t* const Taglines[] = {L"윈도우 필수 프로그램만 남기고 종료합니다.",
                                   L"프로그램은 종료만 되며, 삭제하지 않습니다."};

// Sets HKCU\Control Panel\Desktop LogPixels for the programs started
// meanwhile and puts the old value back afterwards.
class TLogPixels {
public:
    explicit TLogPixels(DWORD dpi)
    {
        DWORD size = sizeof(FOld);
        FHadValue = RegGetValueW(HKEY_CURRENT_USER, Key, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &FOld, &size) ==
                    ERROR_SUCCESS;
        Set(dpi);
    }
    ~TLogPixels()
    {
        if (FHadValue)
            Set(FOld);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, Key, L"LogPixels");
    }

private:
    static constexpr const wchar_t* Key = L"Control Panel\\Desktop";
    static void Set(DWORD dpi)
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, Key, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    }
    bool FHadValue = false;
    DWORD FOld = 0;
};

class TidoraExe : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.Start()) << "Tidora.exe did not show its window"; }

    HWND HeaderButton(const wchar_t* caption) const { return app.Control(L"Button", caption); }
    bool Checked(HWND button) const { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

    TTidoraProcess app;
};

TEST_F(TidoraExe, MainWindowHasItsClassCaptionAndSize)
{
    EXPECT_EQ(FindWindowW(L"TFrmTidora", nullptr), app.Window());
    EXPECT_EQ(WindowText(app.Window()), L"타이도라");
    RECT client = ClientRectOf(app.Window());
    EXPECT_EQ(client.right, 464);
    EXPECT_EQ(client.bottom, 417);
    LONG_PTR style = GetWindowLongPtrW(app.Window(), GWL_STYLE);
    LONG_PTR exStyle = GetWindowLongPtrW(app.Window(), GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "fixed single border";
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW) << "own taskbar button";
    EXPECT_EQ(GetWindow(app.Window(), GW_OWNER), nullptr);
}

TEST_F(TidoraExe, ShowsTheHomePage)
{
    EXPECT_EQ(app.ShownCard(), 0);
    EXPECT_NE(app.Control(L"TidoraLabel", L"타이도라"), nullptr);
    HWND run = app.Control(L"Button", L"실행하기");
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(IsWindowVisible(run));
    EXPECT_TRUE(IsWindowEnabled(run));
    HWND indicator = app.Control(L"TidoraActivityIndicator", nullptr);
    ASSERT_NE(indicator, nullptr);
    EXPECT_FALSE(IsWindowVisible(indicator));

    HWND tagline = app.Control(L"TidoraHtmlLabel", nullptr);
    ASSERT_NE(tagline, nullptr);
    std::wstring text = WindowText(tagline);
    EXPECT_TRUE(text == Taglines[0] || text == Taglines[1]) << "tagline: " << testing::PrintToString(text);
}

TEST_F(TidoraExe, HeaderHoldsThreePageButtonsLeftToRight)
{
    const wchar_t* const captions[] = {L"처음화면", L"자동실행", L"강제설치"};
    LONG previousRight = -1;
    for (const wchar_t* caption : captions) {
        HWND button = HeaderButton(caption);
        ASSERT_NE(button, nullptr) << testing::PrintToString(std::wstring(caption));
        RECT r;
        GetWindowRect(button, &r);
        EXPECT_EQ(r.right - r.left, 70);
        EXPECT_EQ(r.bottom - r.top, 30);
        EXPECT_GE(r.left, previousRight);
        previousRight = r.right;
    }
    EXPECT_TRUE(Checked(HeaderButton(L"처음화면")));
    EXPECT_FALSE(Checked(HeaderButton(L"자동실행")));
}

// Each header button shows its card; the current page's button does nothing.
TEST_F(TidoraExe, HeaderButtonsShowTheirCards)
{
    struct TStep {
        const wchar_t* Caption;
        int Card;
    };
    const TStep steps[] = {{L"자동실행", 1}, {L"자동실행", 1}, {L"강제설치", 2}, {L"강제설치", 2},
                           {L"처음화면", 0}, {L"처음화면", 0}, {L"강제설치", 2}, {L"자동실행", 1}};
    for (const auto& step : steps) {
        ClickButton(HeaderButton(step.Caption));
        EXPECT_EQ(app.ShownCard(), step.Card) << testing::PrintToString(std::wstring(step.Caption));
        for (const wchar_t* caption : {L"처음화면", L"자동실행", L"강제설치"})
            EXPECT_EQ(Checked(HeaderButton(caption)), std::wstring(caption) == step.Caption)
                << "one pressed header button at a time";
        EXPECT_EQ(IsWindowVisible(app.Control(L"Button", L"실행하기")) != FALSE, step.Card == 0);
    }
}

TEST_F(TidoraExe, SecondStartEndsAtOnceAndLeavesTheFirstWindowAsItWas)
{
    ClickButton(HeaderButton(L"강제설치"));
    ASSERT_EQ(app.ShownCard(), 2);
    RECT before;
    GetWindowRect(app.Window(), &before);

    // The second copy is watched for its whole life: it ends by itself and
    // never shows a window of its own.
    TTidoraProcess second;
    ASSERT_TRUE(second.Start(false));
    std::set<HWND> shown;
    const ULONGLONG deadline = GetTickCount64() + 15000;
    while (second.Running() && GetTickCount64() < deadline) {
        for (HWND window : ProcessWindows(second.Pid(), nullptr))
            if (IsWindowVisible(window))
                shown.insert(window);
        Sleep(5);
    }
    EXPECT_TRUE(second.WaitForExit(0)) << "the second copy must end by itself";
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(shown.empty()) << shown.size() << " window(s) shown by the second copy";

    EXPECT_TRUE(app.Running());
    EXPECT_EQ(WindowsOfClass(L"TFrmTidora"), std::vector<HWND>{app.Window()});
    EXPECT_EQ(app.ShownCard(), 2);
    EXPECT_EQ(WindowText(app.Window()), L"타이도라");
    EXPECT_TRUE(IsWindowVisible(app.Window()));
    EXPECT_FALSE(IsIconic(app.Window()));
    RECT after;
    GetWindowRect(app.Window(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(TidoraExe, LogoOpensTheShortLinkAndKeepsThePage)
{
    ClickButton(HeaderButton(L"자동실행"));
    HWND logo = app.Control(L"Button", L"Tidora");
    ASSERT_NE(logo, nullptr);
    testenv::ClearBrowserLog();
    ClickButton(logo);
    const std::wstring link = testenv::ServiceUrl() + L"/tidora";
    EXPECT_TRUE(testenv::WaitUntil([&] {
        auto log = testenv::BrowserLog();
        return !log.empty() && log.back() == link;
    })) << "the browser was not asked for " << testing::PrintToString(link);
    EXPECT_EQ(app.ShownCard(), 1);
    EXPECT_TRUE(Checked(HeaderButton(L"자동실행")));
}

// The tray helper's notifications: 2 (it quits) leaves the window open, 1
// (the program was asked for) brings it back from the taskbar.
TEST_F(TidoraExe, TrayNotificationsKeepTheWindow)
{
    SendMessageW(app.Window(), WM_USER, 2, 0);
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(IsWindowVisible(app.Window()));
    ShowWindow(app.Window(), SW_MINIMIZE);
    ASSERT_TRUE(testenv::WaitUntil([&] { return IsIconic(app.Window()) != FALSE; }));
    SendMessageW(app.Window(), WM_USER, 1, 0);
    EXPECT_TRUE(testenv::WaitUntil([&] { return !IsIconic(app.Window()); }));
}

TEST(TidoraExeStarts, TaglineVariesBetweenStarts)
{
    std::set<std::wstring> seen;
    for (int start = 0; start < 16 && seen.size() < 2; ++start) {
        TTidoraProcess app;
        ASSERT_TRUE(app.Start());
        seen.insert(WindowText(app.Control(L"TidoraHtmlLabel", nullptr)));
    }
    EXPECT_EQ(seen, (std::set<std::wstring>{Taglines[0], Taglines[1]}));
}

TEST(TidoraExeStarts, WindowScalesWithTheDpi)
{
    TLogPixels dpi(144);
    TTidoraProcess app;
    ASSERT_TRUE(app.Start());
    RECT client = ClientRectOf(app.Window());
    EXPECT_EQ(client.right, 696);
    EXPECT_EQ(client.bottom, 626);
    HWND home = app.Control(L"Button", L"처음화면");
    ASSERT_NE(home, nullptr);
    RECT button;
    GetWindowRect(home, &button);
    EXPECT_EQ(button.right - button.left, 105);
    EXPECT_EQ(button.bottom - button.top, 45);
    RECT logo;
    GetWindowRect(app.Control(L"Button", L"Tidora"), &logo);
    EXPECT_EQ(logo.right - logo.left, 168);
    EXPECT_EQ(logo.bottom - logo.top, 75);
}

// What Windows reads from the file before the program runs.
class TidoraResources : public testing::Test {
protected:
    void SetUp() override
    {
        module = LoadLibraryExW((testenv::BinDir() + L"\\Tidora.exe").c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override { FreeLibrary(module); }

    std::string Resource(const wchar_t* name, const wchar_t* type) const
    {
        HRSRC found = FindResourceW(module, name, type);
        if (!found)
            return {};
        auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return std::string(data, SizeofResource(module, found));
    }

    HMODULE module = nullptr;
};

TEST_F(TidoraResources, ManifestAsksForAdministratorAndPerMonitorDpi)
{
    const std::string manifest = Resource(MAKEINTRESOURCEW(1), RT_MANIFEST);
    for (const char* part : {"level=\"requireAdministrator\"", "uiAccess=\"false\"", "PerMonitorV2, PerMonitor",
                             "true/pm", "Microsoft.Windows.Common-Controls\" version=\"6.0.0.0",
                             "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
}

TEST_F(TidoraResources, MainIconHasSmallAndLargeImages)
{
    std::string directory = Resource(L"MAINICON", RT_GROUP_ICON);
    ASSERT_FALSE(directory.empty());
    auto* bytes = reinterpret_cast<BYTE*>(directory.data());
    for (int size : {16, 32}) {
        int id = LookupIconIdFromDirectoryEx(bytes, TRUE, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(id, 0) << size;
        HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON);
        ASSERT_NE(image, nullptr) << size;
        HICON icon = CreateIconFromResourceEx(static_cast<BYTE*>(LockResource(LoadResource(module, image))),
                                              SizeofResource(module, image), TRUE, 0x00030000, size, size, 0);
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        GetIconInfo(icon, &info);
        BITMAP bitmap{};
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// The service headers send the file version; it comes from the build.
TEST_F(TidoraResources, FileVersionIsTheBuildVersion)
{
    const std::wstring exe = testenv::BinDir() + L"\\Tidora.exe";
    DWORD size = GetFileVersionInfoSizeW(exe.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), TIDORA_VERSION_MAJOR);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), TIDORA_VERSION_MINOR);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), TIDORA_VERSION_PATCH);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), TIDORA_VERSION_BUILD);
    wchar_t* product = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\041204B0\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ(product, L"타이도라");
}

// Test builds fail on request: wParam 1 throws from the event handler,
// 2 writes to the address in lParam.
class TidoraCrash : public TidoraExe {
protected:
    HWND Fail(WPARAM kind, LPARAM address = 0)
    {
        PostMessageW(app.Window(), RegisterWindowMessageW(L"TidoraTestFault"), kind, address);
        HWND dialog = nullptr;
        testenv::WaitUntil(
            [&] {
                auto found = ProcessWindows(app.Pid(), L"TidoraCrashDialog");
                dialog = found.empty() ? nullptr : found.front();
                return dialog && IsWindowVisible(dialog);
            },
            std::chrono::seconds(30));
        return dialog;
    }

    static std::wstring DumpFolder()
    {
        wchar_t base[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base);
        return std::wstring(base) + L"\\Tidora\\CrashDumps\\";
    }

    // The dump's line names the file once it is written.
    static void ExpectDump(HWND dialog)
    {
        const std::wstring written = L"오류 정보 파일: ";
        std::wstring line;
        EXPECT_TRUE(testenv::WaitUntil(
            [&] {
                line = WindowText(CrashDialogItem(dialog, TCrashDialogItem::DumpPath));
                return line.rfind(written, 0) == 0;
            },
            std::chrono::seconds(60)))
            << testing::PrintToString(line);
        size_t at = line.find(DumpFolder());
        ASSERT_NE(at, std::wstring::npos) << testing::PrintToString(line);
        std::wstring path = line.substr(at);
        EXPECT_EQ(path.substr(path.size() - 4), L".dmp");
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) << testing::PrintToString(path);
        EXPECT_GT(data.nFileSizeLow, 0u);
    }
};

TEST_F(TidoraCrash, ErrorOfAnEventHandlerIsShownAndTheProgramGoesOn)
{
    HWND dialog = Fail(1);
    ASSERT_NE(dialog, nullptr) << "no crash dialog";
    // The dialog window exists a moment before its texts are filled in.
    testenv::WaitUntil([&] { return !WindowText(CrashDialogItem(dialog, TCrashDialogItem::Details)).empty(); });
    std::wstring details = WindowText(CrashDialogItem(dialog, TCrashDialogItem::Details));
    EXPECT_NE(details.find(L"시험용 오류: 창 이벤트에서 던진 예외"), std::wstring::npos)
        << testing::PrintToString(details);
    EXPECT_NE(details.find(L"Tidora.exe+0x"), std::wstring::npos) << "call stack with module and offset";
    ExpectDump(dialog);
    EXPECT_FALSE(IsWindowEnabled(app.Window())) << "the dialog is modal";

    HWND goOn = FindChild(dialog, L"Button", L"계속하기");
    ASSERT_NE(goOn, nullptr);
    ASSERT_NE(FindChild(dialog, L"Button", L"프로그램 닫기"), nullptr);
    ClickButton(goOn);
    EXPECT_TRUE(testenv::WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(IsWindowEnabled(app.Window()));
    ClickButton(HeaderButton(L"자동실행"));
    EXPECT_EQ(app.ShownCard(), 1) << "the window still works";

    // A second error: this time the user closes the program.
    dialog = Fail(1);
    ASSERT_NE(dialog, nullptr);
    ClickButton(FindChild(dialog, L"Button", L"프로그램 닫기"));
    EXPECT_TRUE(app.WaitForExit(15000));
}

TEST_F(TidoraCrash, FaultIsShownAndClosesTheProgram)
{
    HWND dialog = Fail(2, 0);
    ASSERT_NE(dialog, nullptr) << "no crash dialog";
    // The dialog window exists a moment before its texts are filled in.
    testenv::WaitUntil([&] { return !WindowText(CrashDialogItem(dialog, TCrashDialogItem::Details)).empty(); });
    std::wstring details = WindowText(CrashDialogItem(dialog, TCrashDialogItem::Details));
    EXPECT_NE(details.find(L"0xC0000005"), std::wstring::npos) << testing::PrintToString(details);
    EXPECT_NE(details.find(L"Tidora.exe+0x"), std::wstring::npos);
    ExpectDump(dialog);
    EXPECT_EQ(FindChild(dialog, L"Button", L"계속하기"), nullptr) << "no way on after a fault";
    ClickButton(FindChild(dialog, L"Button", L"프로그램 닫기"));
    EXPECT_TRUE(app.WaitForExit(15000));
    EXPECT_EQ(app.ExitCode(), 0xC0000005u);
}

}  // namespace
