#include "MatchList.h"

#include "ListLoaders.h"
#include "PathTokens.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace {

TNameList ListOf(std::initializer_list<const wchar_t*> entries)
{
    TNameList list;
    for (auto e : entries)
        list.Add(e);
    return list;
}

struct MatchCase {
    const wchar_t* entry;
    std::wstring text;
    bool fileNameMode;
    bool expected;
};

TEST(MatchList, SingleEntryCases)
{
    const std::wstring programFiles = RemoveX86(GetSpecialFolder(CSIDL_PROGRAM_FILES));
    const MatchCase cases[] = {
        {L"  //chrome.exe*  ", L"C:\\x\\chrome.exe", true, false},
        {L"chrome.exe*", L"C:\\Program Files\\Google\\Chrome\\Application\\CHROME.EXE", true, true},
        {L"chrome.exe*", L"chrome.exe", true, true},
        {L"chrome.exe*", L"C:\\x\\chrome.exe.bak", true, false},
        {L"chrome.exe*", L"C:\\x\\mychrome.exe", true, false},
        {L"chrome.exe*", L"D:chrome.exe", true, true},  // a colon also ends the folder part
        {L"TrustedInstaller.ex*", L"C:\\Windows\\servicing\\TrustedInstaller.exe", true, false},
        {L"TrustedInstaller.ex*", L"C:\\Windows\\servicing\\TrustedInstaller.ex", true, true},
        {L"%ProgramFiles%\\Realtek\\Audio\\HDA\\RAVBg64.exe",
         programFiles + L"\\realtek\\audio\\hda\\ravbg64.exe", true, true},
        {L"%programfiles%\\x.exe", programFiles + L"\\x.exe", true, true},
        {L"%ProgramFiles%x.exe", L"C:\\%PROGRAMFILES%X.EXE", true, true},  // not expanded: literal substring
        {L"%ProgramFiles%x.exe", programFiles + L"x.exe", true, false},
        {L"*", L"C:\\x\\a.exe", true, false},
        {L"\\ctfmon.exe", L"C:\\Windows\\System32\\ctfmon.exe --extra", true, true},  // substring
        {L"\t sub\\dir \t", L"C:\\SUB\\DIR\\a.exe", true, true},
        {L"", L"anything", true, false},
        {L"   ", L"anything", false, false},
        {L"Power", L"PowerAudit", false, true},
        {L"power", L"POWER", false, true},
        {L"Power", L"Powe", false, false},
        {L"Power", L"MyPower", false, false},
        {L"Delfino (x86) 버전", L"Delfino (x86)", false, false},
        {L"Delfino G3 (x86)", L"Delfino G3 (x86) 3.1", false, true},
        {L"cbdhsvc_", L"cbdhsvc_4f1e2", false, true},
        {L"cbdhsvc_", L"cbdhsvc", false, false},
        {L"//Power", L"//PowerAudit", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchList(ListOf({c.entry}), c.text, c.fileNameMode), c.expected)
            << "entry [" << testing::PrintToString(std::wstring(c.entry)) << "] text ["
            << testing::PrintToString(c.text) << "] mode " << c.fileNameMode;
}

TEST(MatchList, FirstMatchingEntryAmongMany)
{
    const TNameList list = ListOf({L"// comment", L"", L"a.exe*", L"b.exe*"});
    EXPECT_TRUE(MatchList(list, L"C:\\x\\b.exe", true));
    EXPECT_FALSE(MatchList(list, L"C:\\x\\c.exe", true));
    EXPECT_FALSE(MatchList(TNameList{}, L"C:\\x\\c.exe", true));
}

TEST(MatchList, DefaultFileWhiteProtectsWindowsProcesses)
{
    TNameList fileWhite;
    LoadListResource(fileWhite, L"file_white");
    const std::wstring windows = GetSpecialFolder(CSIDL_WINDOWS);
    EXPECT_TRUE(MatchList(fileWhite, windows + L"\\System32\\svchost.exe", true));
    EXPECT_TRUE(MatchList(fileWhite, windows + L"\\System32\\ctfmon.exe", true));
    EXPECT_TRUE(MatchList(fileWhite, L"System", true));
    EXPECT_TRUE(MatchList(fileWhite, L"C:\\Program Files\\Tidora\\TidoraService.exe", true));
    EXPECT_FALSE(MatchList(fileWhite, L"C:\\Games\\game.exe", true));
    EXPECT_FALSE(MatchList(fileWhite, windows + L"\\System32\\notepad.exe", true));
}

}  // namespace
