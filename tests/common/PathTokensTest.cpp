#include "PathTokens.h"

#include "Text.h"
#include "test_env.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <map>

namespace {

// Folders of a made-up machine, so both columns of the table can be checked.
std::wstring FakeFolder(int csidl)
{
    static const std::map<int, std::wstring> folders = {
        {CSIDL_WINDOWS, L"C:\\Windows"},
        {CSIDL_COMMON_DOCUMENTS, L"C:\\Users\\Public\\Documents"},
        {CSIDL_COMMON_APPDATA, L"C:\\ProgramData"},
        {CSIDL_APPDATA, L"C:\\Users\\kim\\AppData\\Roaming"},
        // What a 32-bit process is told on x64 Windows.
        {CSIDL_PROGRAM_FILES, L"C:\\Program Files (x86)"},
        {CSIDL_PROGRAM_FILES_COMMON, L"C:\\Program Files (x86)\\Common Files"},
        {CSIDL_PROGRAM_FILESX86, L"C:\\Program Files (x86)"},
        {CSIDL_PROGRAM_FILES_COMMONX86, L"C:\\Program Files (x86)\\Common Files"},
    };
    auto it = folders.find(csidl);
    return it == folders.end() ? L"" : it->second;
}

std::wstring Folder(const TPathTokenTable& table, const std::wstring& token)
{
    for (const auto& t : table)
        if (t.Token == token)
            return t.Folder;
    return L"?";
}

TEST(PathTokens, TokensInSearchOrder)
{
    const TPathTokenTable table = BuildPathTokens(true, FakeFolder);
    std::vector<std::wstring> order;
    for (const auto& t : table)
        order.push_back(t.Token);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"%SystemRoot%", L"%Public%", L"%ProgramData%", L"%WinDir%",
                                                L"%ProgramFiles(x86)%", L"%CommonProgramFiles%", L"%AppData%",
                                                L"%ProgramFiles%", L"%CommonProgramFiles(x86)%"}));
}

TEST(PathTokens, Amd64ColumnRemovesX86FromNativeFolders)
{
    const TPathTokenTable table = BuildPathTokens(true, FakeFolder);
    EXPECT_EQ(Folder(table, L"%ProgramFiles%"), L"C:\\Program Files");
    EXPECT_EQ(Folder(table, L"%ProgramFiles(x86)%"), L"C:\\Program Files (x86)");
    EXPECT_EQ(Folder(table, L"%CommonProgramFiles%"), L"C:\\Program Files\\Common Files");
    EXPECT_EQ(Folder(table, L"%CommonProgramFiles(x86)%"), L"C:\\Program Files (x86)\\Common Files");
}

TEST(PathTokens, OtherMachinesUseTheProcessFoldersForBothColumns)
{
    auto x86Folder = [](int csidl) {
        if (csidl == CSIDL_PROGRAM_FILES)
            return std::wstring(L"C:\\Program Files");
        if (csidl == CSIDL_PROGRAM_FILES_COMMON)
            return std::wstring(L"C:\\Program Files\\Common Files");
        return FakeFolder(csidl);
    };
    const TPathTokenTable table = BuildPathTokens(false, x86Folder);
    EXPECT_EQ(Folder(table, L"%ProgramFiles%"), L"C:\\Program Files");
    EXPECT_EQ(Folder(table, L"%ProgramFiles(x86)%"), L"C:\\Program Files");
    EXPECT_EQ(Folder(table, L"%CommonProgramFiles(x86)%"), L"C:\\Program Files\\Common Files");
    // Both program-files tokens name one folder: the earlier one wins.
    EXPECT_EQ(CollapsePath(L"C:\\Program Files\\App\\a.exe", table), L"%ProgramFiles(x86)%\\App\\a.exe");
    EXPECT_EQ(CollapsePath(L"C:\\Program Files\\Common Files\\b.exe", table), L"%ProgramFiles(x86)%\\Common Files\\b.exe");
}

TEST(PathTokens, CollapseCases)
{
    const TPathTokenTable table = BuildPathTokens(true, FakeFolder);
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\Windows\\System32\\svchost.exe", L"%SystemRoot%\\System32\\svchost.exe"},
        {L"c:\\windows\\notepad.exe", L"%SystemRoot%\\notepad.exe"},
        {L"D:\\Games\\run.exe", L"D:\\Games\\run.exe"},
        {L"C:\\Program Files (x86)\\App\\x.exe", L"%ProgramFiles(x86)%\\App\\x.exe"},
        {L"C:\\Program Files\\App\\x.exe", L"%ProgramFiles%\\App\\x.exe"},
        {L"C:\\Program Files\\Common Files\\x.dll", L"%CommonProgramFiles%\\x.dll"},
        {L"C:\\Program Files (x86)\\Common Files\\x.dll", L"%ProgramFiles(x86)%\\Common Files\\x.dll"},
        {L"C:\\Users\\kim\\AppData\\Roaming\\a.exe", L"%AppData%\\a.exe"},
        {L"C:\\ProgramData\\a.exe", L"%ProgramData%\\a.exe"},
        {L"C:\\WindowsApps\\a.exe", L"C:\\WindowsApps\\a.exe"},  // not below the folder
        {L"C:\\Windows", L"C:\\Windows"},                        // the folder itself has no backslash after it
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(CollapsePath(path, table), expected) << path;
}

TEST(PathTokens, ExpandCases)
{
    const TPathTokenTable table = BuildPathTokens(true, FakeFolder);
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"%WINDIR%\\x.exe", L"C:\\Windows\\x.exe"},
        {L"%programfiles%\\x.exe", L"C:\\Program Files\\x.exe"},
        {L"%ProgramFiles(x86)%\\y\\z.exe", L"C:\\Program Files (x86)\\y\\z.exe"},
        {L"%ProgramFiles%x.exe", L"%ProgramFiles%x.exe"},  // no backslash after the token
        {L"C:\\%SystemRoot%\\x", L"C:\\%SystemRoot%\\x"},  // only a leading token
        {L"%Unknown%\\x", L"%Unknown%\\x"},
        {L"", L""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ExpandPath(text, table), expected) << text;
}

TEST(PathTokens, UnknownFolderCollapsesALeadingBackslash)
{
    auto noPublic = [](int csidl) { return csidl == CSIDL_COMMON_DOCUMENTS ? std::wstring() : FakeFolder(csidl); };
    const TPathTokenTable table = BuildPathTokens(true, noPublic);
    EXPECT_EQ(CollapsePath(L"\\server\\share\\a.exe", table), L"%Public%\\server\\share\\a.exe");
}

TEST(PathTokens, RemoveX86RemovesOnlyTheFirstOccurrence)
{
    EXPECT_EQ(RemoveX86(L"C:\\Program Files (x86)\\Tool (X86)\\a.exe"), L"C:\\Program Files\\Tool (X86)\\a.exe");
    EXPECT_EQ(RemoveX86(L"C:\\PROGRAM FILES (X86)"), L"C:\\PROGRAM FILES");
    EXPECT_EQ(RemoveX86(L"C:\\Program Files"), L"C:\\Program Files");
}

// The real table of this machine (64-bit Windows as Wine reports it).
TEST(PathTokens, RealShellFoldersOfThisMachine)
{
    EXPECT_TRUE(IsAmd64Machine());
    const std::wstring windows = GetSpecialFolder(CSIDL_WINDOWS);
    ASSERT_FALSE(windows.empty());
    EXPECT_NE(windows.back(), L'\\');
    EXPECT_TRUE(GetSpecialFolder(0x7FFF).empty());

    EXPECT_EQ(CollapsePath(windows + L"\\System32\\svchost.exe"), L"%SystemRoot%\\System32\\svchost.exe");
    EXPECT_EQ(ExpandPath(L"%WinDir%\\x.exe"), windows + L"\\x.exe");

    const std::wstring programFiles = GetSpecialFolder(CSIDL_PROGRAM_FILES);
    const std::wstring programFilesX86 = GetSpecialFolder(CSIDL_PROGRAM_FILESX86);
    ASSERT_FALSE(programFilesX86.empty());
    EXPECT_EQ(CollapsePath(programFilesX86 + L"\\App\\a.exe"), L"%ProgramFiles(x86)%\\App\\a.exe");
    EXPECT_EQ(CollapsePath(RemoveX86(programFiles) + L"\\App\\a.exe"), L"%ProgramFiles%\\App\\a.exe");
    EXPECT_EQ(CollapsePath(GetSpecialFolder(CSIDL_APPDATA) + L"\\Tidora\\NoClean.txt"),
              L"%AppData%\\Tidora\\NoClean.txt");
}

TEST(PathTokens, ShellOpenHandsAnAddressToTheBrowser)
{
    testenv::ClearBrowserLog();
    ShellOpen(L"https://example.test/tidora?x=1");
    ASSERT_TRUE(testenv::WaitUntil([] { return !testenv::BrowserLog().empty(); }));
    EXPECT_EQ(testenv::BrowserLog().back(), L"https://example.test/tidora?x=1");
}

}  // namespace
