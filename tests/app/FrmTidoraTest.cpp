#include "Application.h"
#include "FrmTidora.h"
#include "ListLoaders.h"
#include "MorvaneStyle.h"
#include "Shape.h"
#include "test_env.h"

#include "build_config.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

size_t DefaultCount(const wchar_t* resource)
{
    TNameList list;
    LoadListResource(list, resource);
    return list.Count();
}

class FrmTidora : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterMorvaneStyle();
        form = std::make_unique<TFrmTidora>();
        form->Show();
        PumpMessages();
    }
    void TearDown() override { form.reset(); }

    void Click(TControl* control)
    {
        SendMessageW(control->Handle(), BM_CLICK, 0, 0);
        PumpMessages();
    }

    std::unique_ptr<TFrmTidora> form;
};

TEST_F(FrmTidora, StartsOnTheHomePage)
{
    wchar_t className[64];
    GetClassNameW(form->Handle(), className, 64);
    EXPECT_STREQ(className, L"TFrmTidora");
    EXPECT_EQ(form->Caption(), L"타이도라");
    EXPECT_EQ(Application::Title(), L"타이도라");
    EXPECT_EQ(form->PnlMain->ActiveCardIndex(), 0);
    EXPECT_TRUE(form->BtnHome->Down());
    EXPECT_FALSE(form->BtnAutorun->Down());
    EXPECT_FALSE(form->BtnInstall->Down());
    EXPECT_FALSE(form->Indicator->Visible());
    EXPECT_FALSE(IsWindowVisible(form->Indicator->Handle()));
    EXPECT_EQ(form->BtnStart->Caption(), L"실행하기");
    EXPECT_EQ(form->BtnStart->StyleAppearance(), L"Outline");
    EXPECT_EQ(form->BtnHome->StyleAppearance(), L"Header");
    EXPECT_EQ(form->LblTitle->Caption(), L"타이도라");
}

// Each window shows one of the two texts, in grey, picked at random: more
// windows are made until both have been seen.
TEST_F(FrmTidora, TaglineIsOneOfTheTwoTextsInGrey)
{
    const std::set<std::wstring> texts = {
        L"<C><FC:clGray>윈도우 필수 프로그램만 남기고 <B>종료</B>합니다.</FC></C>",
        L"<C><FC:clGray>프로그램은 종료만 되며, <B>삭제</B>하지 않습니다.</FC></C>",
    };
    std::set<std::wstring> seen = {form->LblContent->Caption()};
    for (int start = 0; start < 40 && seen.size() < 2; ++start) {
        TFrmTidora another;
        seen.insert(another.LblContent->Caption());
    }
    EXPECT_EQ(seen, texts);
}

TEST_F(FrmTidora, ListsHoldTheEmbeddedDefaults)
{
    ASSERT_TRUE(form->FileWhite && form->NameWhite && form->NameBlack);
    EXPECT_EQ(form->FileWhite->Count(), DefaultCount(L"file_white"));
    EXPECT_EQ(form->NameWhite->Count(), DefaultCount(L"name_white"));
    EXPECT_EQ(form->NameBlack->Count(), DefaultCount(L"name_black"));
    EXPECT_GT(form->FileWhite->Count(), 0u);
    EXPECT_TRUE(form->FileWhite->Contains(L"TidoraService.exe*"));
}

// The accent line sits on top; the header and the pages come below it.
TEST_F(FrmTidora, ThemeLineTopsTheWindow)
{
    auto* line = dynamic_cast<TShape*>(form->Controls().front());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->BrushColor(), AccentColor);
    RECT head;
    GetWindowRect(form->PnlHead->Handle(), &head);
    MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&head), 2);
    EXPECT_EQ(head.top, form->Scale(2));
    EXPECT_EQ(head.bottom - head.top, form->Scale(50));
}

// Tab walks the header buttons, the logo and the run button, and around.
TEST_F(FrmTidora, TabReachesEveryControlInOrder)
{
    const HWND expected[] = {form->BtnHome->Handle(), form->BtnAutorun->Handle(), form->BtnInstall->Handle(),
                             form->ImgLogo->Handle(), form->BtnStart->Handle(), form->BtnHome->Handle()};
    HWND at = expected[0];
    for (size_t i = 1; i < std::size(expected); ++i) {
        at = GetNextDlgTabItem(form->Handle(), at, FALSE);
        EXPECT_EQ(at, expected[i]) << i;
    }
}

TEST_F(FrmTidora, HeaderButtonsShowTheirCards)
{
    Click(form->BtnAutorun);
    EXPECT_EQ(form->PnlMain->ActiveCardIndex(), 1);
    EXPECT_TRUE(form->BtnAutorun->Down());
    EXPECT_FALSE(form->BtnHome->Down());
    EXPECT_FALSE(IsWindowVisible(form->BtnStart->Handle()));
    EXPECT_TRUE(IsWindowVisible(form->PnlAutorun->Handle()));

    Click(form->BtnInstall);
    EXPECT_EQ(form->PnlMain->ActiveCardIndex(), 2);
    EXPECT_TRUE(form->BtnInstall->Down());
    EXPECT_FALSE(form->BtnAutorun->Down());

    Click(form->BtnHome);
    EXPECT_EQ(form->PnlMain->ActiveCardIndex(), 0);
    EXPECT_TRUE(IsWindowVisible(form->BtnStart->Handle()));
}

// Clicking the current page's button does nothing, not even pressing it
// again once it was released by hand.
TEST_F(FrmTidora, CurrentPageButtonDoesNothing)
{
    form->BtnHome->SetDown(false);
    Click(form->BtnHome);
    EXPECT_EQ(form->PnlMain->ActiveCardIndex(), 0);
    EXPECT_FALSE(form->BtnHome->Down());
}

TEST_F(FrmTidora, LogoOpensTheShortLinkAndKeepsThePage)
{
    Click(form->BtnInstall);
    testenv::ClearBrowserLog();
    Click(form->ImgLogo);
    const std::wstring link = std::wstring(TIDORA_SHORT_URL) + L"/tidora";
    EXPECT_TRUE(testenv::WaitUntil([&] {
        auto log = testenv::BrowserLog();
        return !log.empty() && log.back() == link;
    }));
    EXPECT_EQ(form->PnlMain->ActiveCardIndex(), 2);
    EXPECT_TRUE(form->BtnInstall->Down());
}

TEST_F(FrmTidora, OtherSendersAreIgnored)
{
    form->BtnHomeClick(form->PnlHead);
    form->BtnHomeClick(nullptr);
    EXPECT_EQ(form->PnlMain->ActiveCardIndex(), 0);
    EXPECT_TRUE(form->BtnHome->Down());
}

struct TAnswerRow {
    const char* Name;
    std::wstring Answer;
    size_t AddedFileWhite, AddedNameWhite, AddedNameBlack;
};

TEST(FrmTidoraStartupAnswer, MergesOnlyTheListsOfAJsonObject)
{
    RegisterMorvaneStyle();
    const TAnswerRow rows[] = {
        {"empty answer", L"", 0, 0, 0},
        {"HTML error page", L"<html><body>502 Bad Gateway</body></html>", 0, 0, 0},
        {"JSON array", L"[\"file_white\",\"new.exe*\"]", 0, 0, 0},
        {"no list members", L"{\"update\":\"\",\"info\":\"\"}", 0, 0, 0},
        {"one new file entry", L"{\"file_white\":[\"NewTool.exe*\"]}", 1, 0, 0},
        {"known entries are not added twice",
         L"{\"file_white\":[\"TidoraService.exe*\",\"Other.exe*\"],\"name_white\":[\"새 프로그램\"],"
         L"\"name_black\":[\"BadModule\",\"BadModule\"]}",
         1, 1, 1},
    };
    for (const auto& row : rows) {
        TFrmTidora form;
        const size_t file = form.FileWhite->Count(), nameWhite = form.NameWhite->Count(),
                     nameBlack = form.NameBlack->Count();
        form.StartupAnswer(false, row.Answer);
        EXPECT_EQ(form.FileWhite->Count(), file + row.AddedFileWhite) << row.Name;
        EXPECT_EQ(form.NameWhite->Count(), nameWhite + row.AddedNameWhite) << row.Name;
        EXPECT_EQ(form.NameBlack->Count(), nameBlack + row.AddedNameBlack) << row.Name;
        EXPECT_TRUE(IsWindow(form.Handle())) << row.Name;
    }
    TFrmTidora form;
    form.StartupAnswer(false, L"{\"file_white\":[\"NewTool.exe*\"],\"name_black\":[\"나쁜 모듈\"]}");
    EXPECT_EQ(form.FileWhite->Items().back(), L"NewTool.exe*");
    EXPECT_EQ(form.NameBlack->Items().back(), L"나쁜 모듈");
}

TEST(FrmTidoraStartupAnswer, TakenUpdateClosesTheWindowAndReleasesTheLists)
{
    RegisterMorvaneStyle();
    TFrmTidora form;
    form.StartupAnswer(true, L"{\"file_white\":[\"NewTool.exe*\"]}");
    PumpMessages();
    EXPECT_EQ(form.Handle(), nullptr);
    EXPECT_EQ(form.FileWhite, nullptr);
    EXPECT_EQ(form.NameWhite, nullptr);
    EXPECT_EQ(form.NameBlack, nullptr);
    // An answer after the close changes nothing and does not fail.
    form.StartupAnswer(false, L"{\"file_white\":[\"Late.exe*\"]}");
}

TEST_F(FrmTidora, TrayNotificationsLeaveTheWindowOpen)
{
    SendMessageW(form->Handle(), WM_USER, 2, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    ShowWindow(form->Handle(), SW_MINIMIZE);
    SendMessageW(form->Handle(), WM_USER, 1, 0);
    PumpMessages();
    EXPECT_FALSE(IsIconic(form->Handle())) << "brought back for the user";
    EXPECT_TRUE(form->FileWhite != nullptr);
}

}  // namespace

namespace {

// A close that the install page's load serves (its message pass, or a
// watch's hand-over) waits for the load; then the window closes.
TEST_F(FrmTidora, ACloseDuringAPageLoadWaitsForTheLoadToEnd)
{
    Click(form->BtnInstall);
    TFrmInstall* page = form->FrmInstall;
    ASSERT_NE(page, nullptr);
    PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
    page->LoadInstall();
    EXPECT_EQ(form->FrmInstall, page) << "the page outlives its own load";
    EXPECT_TRUE(IsWindow(form->Handle()));
    PumpMessages();
    EXPECT_EQ(form->FrmInstall, nullptr) << "and the window closes after it";
    EXPECT_FALSE(IsWindow(form->Handle()));
}

}  // namespace
