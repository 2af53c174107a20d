// The report body, byte for byte.
#include "UsageReport.h"

#include <gtest/gtest.h>

namespace {

const TPathTokenTable Tokens = {
    {L"%SystemRoot%", L"C:\\Windows"},
    {L"%ProgramFiles(x86)%", L"C:\\Program Files (x86)"},
    {L"%ProgramFiles%", L"C:\\Program Files"},
};

TProcessInfo Process(DWORD pid, const wchar_t* file, TProcessState state)
{
    TProcessInfo p;
    p.ProcessID = pid;
    p.FileName = file;
    p.State = state;
    return p;
}

const std::wstring Memory = LR"({"cate":"memory","old":"1073741824","new":"5368709120","tot":"17179869184"})";
const TReportMemory Figures{1073741824LL, 5368709120LL, 17179869184LL};

}  // namespace

TEST(BuildReportBody, MemoryAndCleanRecordsOnlyWhenNeitherPageWasOpened)
{
    const TProcessList processes = {Process(4, L"C:\\Windows\\System32\\notepad.exe", TProcessState::Ended),
                                    Process(8, L"Registry", TProcessState::Found)};
    EXPECT_EQ(BuildReportBody(Figures, processes, std::nullopt, std::nullopt, Tokens),
              L"[" + Memory +
                  LR"(,{"cate":"clean","file":"%SystemRoot%\\System32\\notepad.exe","state":"-1"})"
                  LR"(,{"cate":"clean","file":"Registry","state":"1"}])");
    EXPECT_EQ(BuildReportBody({0, 0, 0}, {}, std::nullopt, std::nullopt, Tokens),
              LR"([{"cate":"memory","old":"0","new":"0","tot":"0"}])");
}

TEST(BuildReportBody, StartAndInstallRecordsFollowInListOrder)
{
    const TProcessList processes = {
        Process(12, L"C:\\Program Files (x86)\\Kakao\\KakaoTalk.exe", TProcessState::Selected)};
    const std::vector<TReportStart> starts = {
        {L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater", L"HKCU"},
        {L"\\Tasks\\Update", L"SCHE"},
    };
    const std::vector<TReportInstall> installs = {{L"보안 \"모듈\" 1/2", L"가나"}, {L"", L""}};
    EXPECT_EQ(BuildReportBody(Figures, processes, starts, installs, Tokens),
              L"[" + Memory +
                  LR"(,{"cate":"clean","file":"%ProgramFiles(x86)%\\Kakao\\KakaoTalk.exe","state":"-2"})"
                  LR"(,{"cate":"start","item":"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater","from":"HKCU"})"
                  LR"(,{"cate":"start","item":"\\Tasks\\Update","from":"SCHE"})"
                  LR"(,{"cate":"install","displayname":"\uBCF4\uC548 \"\uBAA8\uB4C8\" 1\/2","publisher":"\uAC00\uB098"})"
                  LR"(,{"cate":"install","displayname":"","publisher":""}])");
}

TEST(BuildReportBody, AnOpenedPageWithNoEntriesAddsNothing)
{
    EXPECT_EQ(BuildReportBody(Figures, {}, std::vector<TReportStart>{}, std::vector<TReportInstall>{}, Tokens),
              L"[" + Memory + L"]");
    EXPECT_EQ(BuildReportBody(Figures, {}, std::nullopt, std::vector<TReportInstall>{{L"A", L"B"}}, Tokens),
              L"[" + Memory + LR"(,{"cate":"install","displayname":"A","publisher":"B"}])");
}

TEST(BuildReportBody, IsPureAsciiWhateverThePathsHold)
{
    const TProcessList processes = {Process(4, L"C:\\게임\\가.exe", TProcessState::Ended),
                                    Process(5, L"C:\\x\\tab\there.exe", TProcessState::Found)};
    const std::wstring body = BuildReportBody(Figures, processes, std::nullopt, std::nullopt, Tokens);
    for (wchar_t c : body)
        ASSERT_LT(c, 0x80) << body;
    EXPECT_NE(body.find(LR"("file":"C:\\\uAC8C\uC784\\\uAC00.exe")"), std::wstring::npos) << body;
    EXPECT_NE(body.find(LR"("file":"C:\\x\\tab\there.exe")"), std::wstring::npos) << body;
}
