#include "Arguments.h"

#include <windows.h>

std::vector<std::wstring> SplitArguments(std::wstring_view commandLine)
{
    std::vector<std::wstring> arguments;
    size_t i = 0;
    while (i < commandLine.size()) {
        while (i < commandLine.size() && commandLine[i] <= L' ')
            ++i;
        if (i >= commandLine.size())
            break;
        std::wstring argument;
        bool quoted = false;
        while (i < commandLine.size() && (quoted || commandLine[i] > L' ')) {
            if (commandLine[i] == L'"')
                quoted = !quoted;
            argument += commandLine[i++];
        }
        if (argument.size() >= 2 && argument.front() == L'"' && argument.back() == L'"')
            argument = argument.substr(1, argument.size() - 2);
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::wstring ProgramArgument(size_t index)
{
    if (index == 0) {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (length < path.size()) {
                path.resize(length);
                return path;
            }
            path.resize(path.size() * 2);
        }
    }
    std::vector<std::wstring> arguments = SplitArguments(GetCommandLineW());
    return index < arguments.size() ? arguments[index] : std::wstring();
}

std::wstring FolderOfPath(std::wstring_view path)
{
    size_t last = path.find_last_of(L":\\/");
    return last == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, last + 1));
}

std::wstring OwnFolder()
{
    return FolderOfPath(ProgramArgument(0));
}
