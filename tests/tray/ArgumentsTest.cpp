#include "Arguments.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

TEST(SplitArguments, Cases)
{
    const std::pair<std::wstring, std::vector<std::wstring>> cases[] = {
        {L"\"C:\\Program Files\\Tidora\\TidoraService.exe\" /inst",
         {L"C:\\Program Files\\Tidora\\TidoraService.exe", L"/inst"}},
        {L"x \"/inst\"", {L"x", L"/inst"}},
        {L"x\t/inst\r\nnext", {L"x", L"/inst", L"next"}},     // every code up to 32 separates
        {L"  x   /inst  ", {L"x", L"/inst"}},
        {L"x \"/in st\"", {L"x", L"/in st"}},
        {L"x a\"b c\"d", {L"x", L"a\"b c\"d"}},              // inner quotes stay
        {L"x \"\"", {L"x", L""}},                             // two characters: the pair goes
        {L"x \"", {L"x", L"\""}},                             // one character: stays
        {L"x \"/inst", {L"x", L"\"/inst"}},                  // unclosed quote runs to the end
        {L"x \"a\"\"b\"", {L"x", L"a\"\"b"}},                // only the outer pair goes
        {L"", {}},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(SplitArguments(line), expected) << std::string(line.begin(), line.end());
}

TEST(FolderOfPath, Cases)
{
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\Program Files\\Tidora\\TidoraService.exe", L"C:\\Program Files\\Tidora\\"},
        {L"C:TidoraService.exe", L"C:"},
        {L"dir/sub\\x.exe", L"dir/sub\\"},
        {L"dir\\sub/x.exe", L"dir\\sub/"},
        {L"TidoraService.exe", L""},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(FolderOfPath(path), expected);
}

TEST(ProgramArgument, ZeroIsTheModulePathAndMissingOnesAreEmpty)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    EXPECT_EQ(ProgramArgument(0), path);
    EXPECT_EQ(ProgramArgument(50), L"");
    std::wstring own = path;
    EXPECT_EQ(OwnFolder(), own.substr(0, own.find_last_of(L'\\') + 1));
}

}  // namespace
