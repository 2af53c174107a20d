// Splitting command lines as autorun entries and uninstall registrations
// write them, and finding the file a command runs.
#pragma once

#include <string>
#include <string_view>

struct TCommandParts {
    std::wstring File;
    std::wstring Parameters;
};

TCommandParts SplitCommandLine(std::wstring_view commandLine);
std::wstring ResolveCommandTarget(std::wstring_view command);
