#include "CommandLine.h"

#include "PathTokens.h"
#include "Text.h"

TCommandParts SplitCommandLine(std::wstring_view commandLine)
{
    const std::wstring line = Trim(commandLine);
    if (line.empty())
        return {};

    if (line[0] == L'"') {
        size_t close = line.find(L'"', 1);
        if (close == std::wstring::npos)
            return {line.substr(1), L""};
        return {Trim(std::wstring_view(line).substr(1, close - 1)), Trim(std::wstring_view(line).substr(close + 1))};
    }

    // Unquoted paths with spaces are common in the registry: cut after the
    // first executable extension, wherever it stands. A plain substring
    // search, so "C:\Tools\App.Exec\run.exe" cuts after "App.Exe".
    const std::wstring upper = AsciiUpper(line);
    size_t cut = std::wstring::npos;
    for (std::wstring_view ext : {L".EXE", L".BAT", L".COM", L".CMD", L".MSI"}) {
        size_t at = upper.find(ext);
        if (at < cut)
            cut = at;
    }
    if (cut != std::wstring::npos) {
        std::wstring_view view(line);
        return {Trim(view.substr(0, cut + 4)), Trim(view.substr(cut + 4))};
    }

    size_t space = line.find(L' ');
    if (space == std::wstring::npos)
        return {line, L""};
    std::wstring_view view(line);
    return {Trim(view.substr(0, space)), Trim(view.substr(space + 1))};
}

std::wstring ResolveCommandTarget(std::wstring_view command)
{
    if (command.substr(0, 4) == L"\\??\\")
        command.remove_prefix(4);
    TCommandParts parts = SplitCommandLine(command);
    std::wstring target = parts.File;

    // rundll32 runs a library: the target is that library.
    if (AsciiEqualsIgnoreCase(FileNamePart(target), L"rundll32.exe") && !parts.Parameters.empty()) {
        target = Trim(parts.Parameters);
        if (!target.empty() && target[0] == L'"') {
            size_t close = target.find(L'"', 1);
            target = close == std::wstring::npos ? std::wstring() : target.substr(1, close - 1);
        }
        size_t comma = target.find(L',');
        if (comma != std::wstring::npos)
            target.erase(comma);
    }

    target = ExpandPath(target);
    for (size_t at = target.find(L"\\\\"); at != std::wstring::npos; at = target.find(L"\\\\", at))
        target.erase(at, 1);
    return target;
}
