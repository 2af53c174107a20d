#include "CommandLine.h"

#include "PathTokens.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const wchar_t* line;
    const wchar_t* file;
    const wchar_t* parameters;
};

TEST(SplitCommandLine, Cases)
{
    const SplitCase cases[] = {
        {L"\"C:\\Program Files\\App\\app.exe\" -min", L"C:\\Program Files\\App\\app.exe", L"-min"},
        {L"C:\\Program Files\\App\\app.exe -min", L"C:\\Program Files\\App\\app.exe", L"-min"},
        {L"notepad readme.txt", L"notepad", L"readme.txt"},
        {L"  notepad  ", L"notepad", L""},
        {L"", L"", L""},
        {L"   ", L"", L""},
        {L"\" C:\\a b\\x.exe \"  /s ", L"C:\\a b\\x.exe", L"/s"},
        {L"\"C:\\unclosed path\\x.exe /s", L"C:\\unclosed path\\x.exe /s", L""},
        {L"\"C:\\unclosed path ", L"C:\\unclosed path", L""},  // the line is trimmed first
        {L"C:\\Tools\\App.Exec\\run.exe /s", L"C:\\Tools\\App.Exe", L"c\\run.exe /s"},
        {L"C:\\x\\setup.msi /quiet", L"C:\\x\\setup.msi", L"/quiet"},
        {L"C:\\my tools\\go.bat now", L"C:\\my tools\\go.bat", L"now"},
        {L"C:\\a.cmd x C:\\b.exe", L"C:\\a.cmd", L"x C:\\b.exe"},  // earliest extension wins
        {L"C:\\PROGRA~1\\X.COM", L"C:\\PROGRA~1\\X.COM", L""},
    };
    for (const auto& c : cases) {
        TCommandParts parts = SplitCommandLine(c.line);
        EXPECT_EQ(parts.File, c.file) << c.line;
        EXPECT_EQ(parts.Parameters, c.parameters) << c.line;
    }
}

TEST(ResolveCommandTarget, Cases)
{
    const std::wstring windows = ExpandPath(L"%SystemRoot%\\");
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"rundll32.exe \"C:\\x\\lib.dll\",Entry", L"C:\\x\\lib.dll"},
        {L"C:\\Windows\\System32\\RUNDLL32.EXE C:\\x\\lib.dll,Entry arg", L"C:\\x\\lib.dll"},
        {L"rundll32.exe \"C:\\x\\lib.dll", L""},  // no closing quote
        {L"rundll32.exe", L"rundll32.exe"},
        {L"\\??\\C:\\x\\y.exe", L"C:\\x\\y.exe"},
        {L"\\??\\C:\\x\\\\y.exe /a", L"C:\\x\\y.exe"},
        {L"%SystemRoot%\\system32\\ctfmon.exe", windows + L"system32\\ctfmon.exe"},
        {L"\"C:\\a\\b.exe\" --background", L"C:\\a\\b.exe"},
    };
    for (const auto& [command, target] : cases)
        EXPECT_EQ(ResolveCommandTarget(command), target) << command;
}

}  // namespace
