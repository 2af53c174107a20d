// The update notice, shown for real and driven from a helper thread.
#include "NoticeTexts.h"
#include "StartupCheck.h"
#include "UpdateDialog.h"

#include "notice_driver.h"
#include "service_client.h"
#include "test_env.h"
#include "Translation.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

int Scaled(HWND window, int pixels)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = getDpi ? getDpi(window) : 96;
    return MulDiv(pixels, static_cast<int>(dpi ? dpi : 96), 96);
}

std::wstring WithLineFeeds(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        out += c;
        if (c == L'\r')
            out += L'\n';
    }
    return out;
}

std::wstring Answer(const std::wstring& info)
{
    return L"{\"update\":\"https:\\/\\/example.kr\\/Tidora_Setup.exe\"" +
           (info.empty() ? std::wstring() : L",\"info\":{" + info + L"}") + L"}";
}

// The notice's hold request goes to the address of the last CheckUpdate;
// each test starts with a quiet check against the test service.
class UpdateDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        service::Reset();
        testenv::ClearBrowserLog();
        SetCurrentLanguage(L"ko");
        CheckUpdate(testenv::ServiceUrl() + L"/api.init.php", nullptr, 0);
        service::Reset();
    }
};

}  // namespace

TEST(GetUpdateText, PicksTheLanguageByItsExactCode)
{
    struct Case {
        const wchar_t* language;
        const wchar_t* first;
        const wchar_t* yes;
        const wchar_t* no;
    } cases[] = {
        {L"ko", L"업데이트가 정보가 있습니다.", L"예", L"아니오"},
        {L"ja", L"このプログラムがアップデートされました。", L"はい", L"いいえ"},
        {L"zh", L"该程序已更新。", L"是", L"否"},
        {L"de", L"Dieses Programm ist aktualisiert worden.", L"Ja", L"Nein"},
        {L"ru", L"Данная программа была обновлена.", L"Да", L"Нет"},
        {L"it", L"È disponibile una nuova versione del programma.", L"Sì", L"No"},
        {L"fr", L"Ce programme a été mis à jour.", L"Oui", L"Non"},
        {L"pt", L"This program has been updated.", L"Yes", L"No"},
        {L"KO", L"This program has been updated.", L"Yes", L"No"},
        {L"", L"This program has been updated.", L"Yes", L"No"},
    };
    for (const auto& c : cases) {
        const std::wstring message = GetUpdateText(0, c.language);
        EXPECT_EQ(message.substr(0, message.find(L'\r')), c.first) << c.language;
        EXPECT_EQ(GetUpdateText(1, c.language), c.yes) << c.language;
        EXPECT_EQ(GetUpdateText(2, c.language), c.no) << c.language;
    }
    EXPECT_EQ(GetUpdateText(0, L"en"), L"This program has been updated.\r\rIt is recommended to download and execute "
                                       L"new for stable use.\r\rDo you want to download it?");
    SetCurrentLanguage(L"de");
    EXPECT_EQ(GetUpdateText(1), L"Ja");
    EXPECT_EQ(GetUpdateText(3), L"");
}

TEST_F(UpdateDialogTest, PlainNoticeShowsTheWarningWithYesAndNoInTheUsersLanguage)
{
    for (const wchar_t* language : {L"ko", L"de", L"pt"}) {
        SetCurrentLanguage(language);
        NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDNO); });
        EXPECT_FALSE(UpdateDialog(Answer(L"")));
        const NoticeFacts& f = driver.Facts();
        ASSERT_NE(f.Dialog, nullptr) << language;
        EXPECT_EQ(f.Title, L"타이도라");
        EXPECT_EQ(f.Message, WithLineFeeds(GetUpdateText(0)));
        EXPECT_EQ(f.Yes, GetUpdateText(1));
        EXPECT_EQ(f.No, GetUpdateText(2));
        EXPECT_EQ(f.DefaultId, IDYES);
        EXPECT_TRUE(f.HasIcon);
        EXPECT_EQ(f.Line, nullptr);
        EXPECT_EQ(f.Hold, nullptr);
        EXPECT_EQ(f.Link, nullptr);
        EXPECT_FALSE(f.Topmost);
        EXPECT_EQ(f.Background, RGB(255, 255, 255));
        const int centreX = (f.Window.left + f.Window.right) / 2;
        const int centreY = (f.Window.top + f.Window.bottom) / 2;
        EXPECT_LE(std::abs(centreX - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
        EXPECT_LE(std::abs(centreY - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    }
}

TEST_F(UpdateDialogTest, YesClosesWithTrueAndTheTitleIsTranslated)
{
    SetApplicationTitle(L"Tidora title");
    NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDYES); });
    EXPECT_TRUE(UpdateDialog(Answer(L"")));
    EXPECT_EQ(driver.Facts().Title, L"Tidora title");
    SetApplicationTitle(L"타이도라");
}

TEST_F(UpdateDialogTest, HoldStyleAddsACheckBoxWhoseTickSendsTheHoldRequest)
{
    RECT plainClient{};
    {
        NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDNO); });
        UpdateDialog(Answer(L""));
        plainClient = driver.Facts().Client;
    }
    NoticeDriver driver([](HWND dialog, NoticeFacts&) {
        SendMessageW(GetDlgItem(dialog, IDC_NOTICE_HOLD), BM_SETCHECK, BST_CHECKED, 0);
        ClickNoticeButton(dialog, IDNO);
    });
    EXPECT_FALSE(UpdateDialog(Answer(L"\"style\":\"hold\",\"text\":\"\\uB2E4\\uC2DC \\uBCF4\\uC9C0 \\uC54A\\uAE30\"")));
    const NoticeFacts& f = driver.Facts();
    ASSERT_NE(f.Hold, nullptr);
    EXPECT_EQ(f.HoldText, L"다시 보지 않기");
    EXPECT_FALSE(f.HoldChecked);
    EXPECT_EQ(f.Link, nullptr);
    ASSERT_NE(f.Line, nullptr);
    EXPECT_EQ(f.LineRect.bottom - f.LineRect.top, 1);
    EXPECT_EQ(f.LineRect.left, 0);
    EXPECT_EQ(f.LineRect.right, f.Client.right);
    EXPECT_EQ(f.ExtraRect.left, Scaled(f.Dialog, 10));
    EXPECT_EQ(f.ExtraRect.right - f.ExtraRect.left, f.Client.right);
    EXPECT_EQ(f.Client.bottom - plainClient.bottom, Scaled(f.Dialog, 40));
    EXPECT_GE(f.LineRect.top, plainClient.bottom);
    EXPECT_GT(f.ExtraRect.top, f.LineRect.top);
    EXPECT_LE(f.ExtraRect.bottom, f.Client.bottom);

    ASSERT_TRUE(testenv::WaitUntil([] {
        return !nlohmann::json::parse(service::Call(L"GET", L"/_test/holds")).empty();
    }));
    auto holds = nlohmann::json::parse(service::Call(L"GET", L"/_test/holds"));
    ASSERT_EQ(holds.size(), 1u);
    EXPECT_EQ(holds[0]["path"], "/api.init.php");
    auto requests = service::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(service::Header(requests[0], "User-Version"), "3.7.12.345");
    EXPECT_EQ(service::Header(requests[0], "User-Command"), "hold");
    EXPECT_EQ(service::Header(requests[0], "User-Union"), "");
    EXPECT_EQ(service::Header(requests[0], "User-Language"), "");
}

TEST_F(UpdateDialogTest, TheNoticeOffsetShortensTheAddedSpace)
{
    service::SetRoute({{"path", "/api.init.php"}, {"body", "{}"}});
    CheckUpdate(testenv::ServiceUrl() + L"/api.init.php", nullptr, 10);
    RECT plain{}, extended{};
    {
        NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDNO); });
        UpdateDialog(Answer(L""));
        plain = driver.Facts().Client;
    }
    NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDNO); });
    UpdateDialog(Answer(L"\"style\":\"hold\",\"text\":\"t\""));
    const NoticeFacts& f = driver.Facts();
    extended = f.Client;
    ASSERT_NE(f.Hold, nullptr);
    EXPECT_EQ(extended.bottom - plain.bottom, Scaled(f.Dialog, 30));
    EXPECT_LE(f.ExtraRect.bottom, extended.bottom);
    CheckUpdate(testenv::ServiceUrl() + L"/api.init.php", nullptr, 0);
}

TEST_F(UpdateDialogTest, AnUntickedHoldBoxSendsNothing)
{
    NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDYES); });
    EXPECT_TRUE(UpdateDialog(Answer(L"\"style\":\"hold\",\"text\":\"hold it\"")));
    ASSERT_NE(driver.Facts().Hold, nullptr);
    Sleep(500);
    EXPECT_TRUE(service::Requests().empty());
}

TEST_F(UpdateDialogTest, NoteStyleAddsALinkThatOpensItsAddressAndKeepsTheNoticeOpen)
{
    bool openAfterClick = false;
    std::vector<std::wstring> opened;
    NoticeDriver driver([&](HWND dialog, NoticeFacts&) {
        HWND link = GetDlgItem(dialog, IDC_NOTICE_LINK);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_NOTICE_LINK, STN_CLICKED), reinterpret_cast<LPARAM>(link));
        testenv::WaitUntil([&] { return !(opened = testenv::BrowserLog()).empty(); });
        openAfterClick = IsWindow(dialog) && IsWindowVisible(dialog);
        ClickNoticeButton(dialog, IDYES);
    });
    EXPECT_TRUE(UpdateDialog(Answer(
        L"\"style\":\"note\",\"text\":\"\\uC790\\uC138\\uD788\",\"url\":\"https:\\/\\/example.kr\\/note?id=1\"")));
    const NoticeFacts& f = driver.Facts();
    ASSERT_NE(f.Link, nullptr);
    EXPECT_EQ(f.LinkText, L"자세히");
    EXPECT_EQ(f.Hold, nullptr);
    EXPECT_NE(f.Line, nullptr);
    EXPECT_TRUE(openAfterClick);
    EXPECT_EQ(opened, std::vector<std::wstring>{L"https://example.kr/note?id=1"});
}

TEST_F(UpdateDialogTest, ALinkToSomethingOtherThanAWebAddressOpensNothing)
{
    NoticeDriver driver([](HWND dialog, NoticeFacts&) {
        HWND link = GetDlgItem(dialog, IDC_NOTICE_LINK);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_NOTICE_LINK, STN_CLICKED), reinterpret_cast<LPARAM>(link));
        Sleep(1000);
        ClickNoticeButton(dialog, IDNO);
    });
    UpdateDialog(Answer(L"\"style\":\"note\",\"text\":\"x\",\"url\":\"C:\\\\Windows\\\\notepad.exe\""));
    ASSERT_NE(driver.Facts().Link, nullptr);
    EXPECT_TRUE(testenv::BrowserLog().empty());
}

TEST_F(UpdateDialogTest, OtherStylesAddOnlyTheSpaceAndTheLine)
{
    for (const wchar_t* style : {L"HOLD", L"banner"}) {
        NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDNO); });
        UpdateDialog(Answer(L"\"style\":\"" + std::wstring(style) + L"\",\"text\":\"t\""));
        const NoticeFacts& f = driver.Facts();
        ASSERT_NE(f.Dialog, nullptr) << style;
        EXPECT_NE(f.Line, nullptr) << style;
        EXPECT_EQ(f.Hold, nullptr) << style;
        EXPECT_EQ(f.Link, nullptr) << style;
    }
}

TEST_F(UpdateDialogTest, StayOnTopFlagMakesTheNoticeTopmost)
{
    for (const wchar_t* flag : {L"stayontop", L"big,stayontop,x"}) {
        NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDNO); });
        UpdateDialog(Answer(L"\"flag\":\"" + std::wstring(flag) + L"\""));
        EXPECT_TRUE(driver.Facts().Topmost) << flag;
    }
    NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDNO); });
    UpdateDialog(Answer(L"\"flag\":\"StayOnTop\""));
    EXPECT_FALSE(driver.Facts().Topmost);
}

TEST_F(UpdateDialogTest, EscapeAnswersNo)
{
    NoticeDriver driver([](HWND dialog, NoticeFacts&) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(UpdateDialog(Answer(L"")));
    EXPECT_NE(driver.Facts().Dialog, nullptr);
}
