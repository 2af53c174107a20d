// TidoraService.exe end to end under the Korean locale (LCID 1042).
#include "service_fixture.h"

namespace {

using TrayServiceKorean = TrayServiceTest;

TEST_F(TrayServiceKorean, RunsWithTheUsersLocale)
{
    EXPECT_EQ(GetUserDefaultLCID(), 1042u);
}

TEST_F(TrayServiceKorean, MissingMainProgramExplainsInKorean)
{
    HelperProcess helper(MakeInstallFolder(L"missing-ko", MainProgram::None));
    HWND box = WaitForMessageBox(helper);
    ASSERT_TRUE(box);
    EXPECT_EQ(WindowText(box), L"타이도라");
    EXPECT_EQ(MessageBoxText(box), L"응용 프로그램 구성 파일이 잘못되었습니다.\r\r다시 설치 후 실행해 주십시오.");
    PressDialogButton(box, IDOK);
    ASSERT_TRUE(helper.WaitForExit(10000));
    EXPECT_EQ(helper.ExitCode(), 0u);
}

TEST_F(TrayServiceKorean, IconWindowsAndUpdateOfferInKorean)
{
    AnswerUpdateQuestion(R"({"update":"https:\/\/localhost:47543\/download\/TidoraSetup.exe"})");
    HelperProcess helper(MakeInstallFolder(L"update-ko", MainProgram::StandIn));
    HWND box = WaitForMessageBox(helper);
    ASSERT_TRUE(box);
    EXPECT_EQ(WindowText(box), L"타이도라");
    EXPECT_EQ(MessageBoxText(box),
              L"업데이트가 정보가 있습니다.\r\r"
              L"안정적으로 사용하기 위해 업데이트를 하시길 권장합니다.\r\r"
              L"다운로드 받으시겠습니까?");
    PressDialogButton(box, IDNO);

    ASSERT_TRUE(WaitForTrayIcons(L"타이도라 3.7.3", 1));
    EXPECT_EQ(WindowText(helper.FindWindowOfClass(L"SvcTidora")), L"타이도라");
    EXPECT_EQ(WindowText(helper.FindWindowOfClass(L"obj_App")), L"타이도라");
    Quit(helper);
}

}  // namespace
