// The helper's command line: argument 0 is its own executable's full path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits a command line: characters up to U+0020 separate arguments, a
// stretch in double quotes may hold them, and an argument of at least two
// characters that starts and ends with a double quote loses that one pair.
std::vector<std::wstring> SplitArguments(std::wstring_view commandLine);

// Argument `index` of this process (0: GetModuleFileNameW); empty if absent.
std::wstring ProgramArgument(size_t index);

// The path up to and including its last ':', '\' or '/'.
std::wstring FolderOfPath(std::wstring_view path);
// FolderOfPath(ProgramArgument(0)): where the helper expects "Tidora.exe".
std::wstring OwnFolder();
