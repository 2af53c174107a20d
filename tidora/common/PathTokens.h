// Path tokens ("%SystemRoot%", "%ProgramFiles%" ...) with which name lists and
// reports write folders portably, and the shell folders behind them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TPathToken {
    std::wstring Token;   // e.g. L"%SystemRoot%"
    std::wstring Folder;  // without trailing backslash; empty when unknown
};
using TPathTokenTable = std::vector<TPathToken>;

// The program-wide table, in search order; built on first use.
const TPathTokenTable& PathTokens();
// Builds a table from a folder source (CSIDL value -> folder), for either
// kind of machine.
TPathTokenTable BuildPathTokens(bool isAmd64, const std::function<std::wstring(int)>& specialFolder);

bool IsAmd64Machine();
std::wstring GetSpecialFolder(int csidl);
std::wstring RemoveX86(std::wstring_view path);
std::wstring ExpandPath(std::wstring_view text, const TPathTokenTable& tokens = PathTokens());
std::wstring CollapsePath(std::wstring_view path, const TPathTokenTable& tokens = PathTokens());
void ShellOpen(const std::wstring& target);
