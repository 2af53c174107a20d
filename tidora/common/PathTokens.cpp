#include "PathTokens.h"

#include "Text.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

// The search order matters: a folder below C:\Windows must always collapse
// to %SystemRoot% (never %WinDir%), and program-files folders nested in one
// another collapse to the first token that covers them. Reports rely on it.
TPathTokenTable BuildPathTokens(bool isAmd64, const std::function<std::wstring(int)>& folder)
{
    const std::wstring programFiles = folder(CSIDL_PROGRAM_FILES);
    const std::wstring commonFiles = folder(CSIDL_PROGRAM_FILES_COMMON);
    return {
        {L"%SystemRoot%", folder(CSIDL_WINDOWS)},
        {L"%Public%", folder(CSIDL_COMMON_DOCUMENTS)},
        {L"%ProgramData%", folder(CSIDL_COMMON_APPDATA)},
        {L"%WinDir%", folder(CSIDL_WINDOWS)},
        {L"%ProgramFiles(x86)%", isAmd64 ? folder(CSIDL_PROGRAM_FILESX86) : programFiles},
        {L"%CommonProgramFiles%", isAmd64 ? RemoveX86(commonFiles) : commonFiles},
        {L"%AppData%", folder(CSIDL_APPDATA)},
        {L"%ProgramFiles%", isAmd64 ? RemoveX86(programFiles) : programFiles},
        {L"%CommonProgramFiles(x86)%", isAmd64 ? folder(CSIDL_PROGRAM_FILES_COMMONX86) : commonFiles},
    };
}

const TPathTokenTable& PathTokens()
{
    static const TPathTokenTable table = BuildPathTokens(IsAmd64Machine(), GetSpecialFolder);
    return table;
}

bool IsAmd64Machine()
{
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

std::wstring GetSpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    std::wstring result = path;
    if (!result.empty() && result.back() == L'\\')
        result.pop_back();
    return result;
}

std::wstring RemoveX86(std::wstring_view path)
{
    static constexpr std::wstring_view marker = L" (x86)";
    std::wstring upper = AsciiUpper(path);
    size_t at = upper.find(AsciiUpper(marker));
    std::wstring result(path);
    if (at != std::wstring::npos)
        result.erase(at, marker.size());
    return result;
}

std::wstring ExpandPath(std::wstring_view text, const TPathTokenTable& tokens)
{
    for (const auto& t : tokens) {
        if (AsciiStartsWithIgnoreCase(text, t.Token) && text.size() > t.Token.size() &&
            text[t.Token.size()] == L'\\')
            return t.Folder + std::wstring(text.substr(t.Token.size()));
    }
    return std::wstring(text);
}

std::wstring CollapsePath(std::wstring_view path, const TPathTokenTable& tokens)
{
    for (const auto& t : tokens) {
        // A token whose folder is unknown compares against a lone "\".
        if (AsciiStartsWithIgnoreCase(path, t.Folder) && path.size() > t.Folder.size() &&
            path[t.Folder.size()] == L'\\')
            return t.Token + std::wstring(path.substr(t.Folder.size()));
    }
    return std::wstring(path);
}

void ShellOpen(const std::wstring& target)
{
    ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
