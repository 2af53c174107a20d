#include "Install.h"

#include "PathTokens.h"
#include "Registry.h"
#include "Text.h"
#include "Win32Handles.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr REGSAM ReadMask = KEY_READ | KEY_WOW64_64KEY;

std::wstring EnvironmentValue(const wchar_t* name)
{
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    for (int attempt = 0; attempt < 3 && size > 0; ++attempt) {
        std::wstring value(size, L'\0');
        const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
        if (length < size) {
            value.resize(length);
            return value;
        }
        size = length;  // it grew meanwhile
    }
    return {};
}

const wchar_t* RelativePath(const std::wstring& key)
{
    const wchar_t* path = key.c_str();
    while (*path == L'\\')
        ++path;
    return path;
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The icon index after the comma of a DisplayIcon value: a decimal number,
// optionally signed, nothing else. Anything outside 0 to 100 (negative
// numbers and numbers too long for an int included) gives index 0.
std::uint16_t IconIndexOf(std::wstring_view text)
{
    size_t at = 0;
    while (at < text.size() && text[at] == L' ')
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == L'-' || text[at] == L'+'))
        negative = text[at++] == L'-';
    if (at == text.size())
        return 0;
    long long value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < L'0' || text[at] > L'9')
            return 0;
        value = value * 10 + (text[at] - L'0');
        if (value > 100)
            return 0;
    }
    return negative ? 0 : static_cast<std::uint16_t>(value);
}

// The icon file and index of a registration, from its DisplayIcon value or,
// without one, its uninstall command.
void SetDisplayIcon(TInstallInfo& info, std::wstring icon)
{
    // Windows Installer products name msiexec; their own icon lies in the
    // installer cache folder of the product code.
    if (AsciiUpper(icon).find(L"MSIEXEC") != std::wstring::npos) {
        icon = FindInstallerIcon(icon);
        if (icon.empty())
            icon = EnvironmentValue(L"WinDir") + L"\\System32\\msiexec.exe";
    }
    // A quoted value loses its first and its last character, whatever the
    // last one is; the comma rule below then works on what is left. So
    // "C:\App\app.exe",3 keeps its closing quote and gets index 0.
    if (!icon.empty() && icon[0] == L'"') {
        icon.erase(0, 1);
        if (!icon.empty())
            icon.pop_back();
    }
    info.DisplayIconIndex = 0;
    const size_t comma = icon.find(L',');
    if (comma != std::wstring::npos) {
        info.DisplayIconIndex = IconIndexOf(std::wstring_view(icon).substr(comma + 1));
        icon.erase(comma);
    }
    info.DisplayIcon = ExpandProgramFiles(icon);
}

// The record of one uninstall subkey, or false when the registration is
// skipped. The skip rules are tested in this order.
bool ReadRegistration(HKEY key, const TInstallList& list, TInstallInfo& info)
{
    info.DisplayName = Trim(ReadText(key, L"DisplayName", L""));
    info.UninstallString = Trim(ReadText(key, L"UninstallString", L""));
    info.Publisher = Trim(ReadText(key, L"Publisher", L""));
    if (info.DisplayName.empty() || info.UninstallString.empty())
        return false;
    // A part of another product (an update, a language pack) is removed
    // with its parent; a value of any type marks it.
    if (RegQueryValueExW(key, L"ParentKeyName", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        return false;
    if (ReadFlag(key, L"NoRemove", false) || ReadFlag(key, L"SystemComponent", false))
        return false;
    if (IndexOfInstall(list, info.DisplayName, info.Publisher) >= 0)
        return false;

    info.DisplayVersion = ReadText(key, L"DisplayVersion", L"");
    info.HelpLink = ReadText(key, L"HelpLink", L"");
    info.InstallLocation = ReadText(key, L"InstallLocation", L"");
    info.URLInfoAbout = ReadText(key, L"URLInfoAbout", L"");
    info.InstallDate = ReadText(key, L"InstallDate", L"");
    info.EstimatedSize = ReadNumber(key, L"EstimatedSize", 0);

    std::wstring icon = ReadText(key, L"DisplayIcon", L"");
    SetDisplayIcon(info, icon.empty() ? info.UninstallString : icon);
    info.UninstallString = ExpandProgramFiles(info.UninstallString);

    // Dates are written with and without separators, and sometimes not as
    // a whole date at all; then the icon file's folder tells when the
    // program was put there.
    info.InstallDate = DigitsOnly(info.InstallDate);
    if (info.InstallDate.size() != 8 && FileExists(info.DisplayIcon))
        info.InstallDate = GetFolderDate(info.DisplayIcon);
    return true;
}

}  // namespace

const std::array<TUninstallSource, 4>& UninstallSources()
{
    static const std::array<TUninstallSource, 4> sources = {{
        {HKEY_LOCAL_MACHINE, L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
        {HKEY_LOCAL_MACHINE, L"\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
        {HKEY_CURRENT_USER, L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
        {HKEY_CURRENT_USER, L"\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    }};
    return sources;
}

void GetInstall(TInstallList& list)
{
    list.clear();
    for (const TUninstallSource& source : UninstallSources())
        ReadUninstallKey(source.Root, source.Path, list);
    // Newest first, comparing the digit texts code unit by code unit, so
    // empty dates come last. Stable: registrations of one day keep the
    // order of the sources and of the registry's enumeration.
    std::stable_sort(list.begin(), list.end(),
                     [](const TInstallInfo& a, const TInstallInfo& b) { return a.InstallDate > b.InstallDate; });
}

void ReadUninstallKey(HKEY root, const std::wstring& path, TInstallList& list)
{
    TRegKeyHandle parent;
    if (RegOpenKeyExW(root, RelativePath(path), 0, ReadMask, parent.Put()) != ERROR_SUCCESS) {
        parent.Release();
        return;
    }
    std::vector<std::wstring> names;
    TReg::ReadKeyNames(root, path, names);
    for (const std::wstring& name : names) {
        TRegKeyHandle key;
        if (RegOpenKeyExW(parent.Get(), name.c_str(), 0, ReadMask, key.Put()) != ERROR_SUCCESS) {
            key.Release();
            continue;
        }
        TInstallInfo info;
        if (ReadRegistration(key.Get(), list, info))
            list.push_back(std::move(info));
    }
}

int IndexOfInstall(const TInstallList& list, const std::wstring& name, const std::wstring& publisher)
{
    const std::wstring wantedName = Trim(name);
    const std::wstring wantedPublisher = Trim(publisher);
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].DisplayName == wantedName && list[i].Publisher == wantedPublisher)
            return static_cast<int>(i);
    return -1;
}

std::wstring FindInstallerIcon(const std::wstring& text)
{
    const size_t open = text.find(L'{');
    const size_t close = text.find(L'}');
    if (open == std::wstring::npos || close == std::wstring::npos || open >= close)
        return {};
    const std::wstring folder =
        EnvironmentValue(L"WinDir") + L"\\Installer\\" + text.substr(open, close - open + 1) + L"\\";
    WIN32_FIND_DATAW found{};
    TFindHandle find(FindFirstFileW((folder + L"*.*").c_str(), &found));
    if (!find)
        return {};
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return folder + found.cFileName;
    } while (FindNextFileW(find.Get(), &found));
    return {};
}

std::wstring ExpandProgramFiles(const std::wstring& text)
{
    static constexpr std::wstring_view Token = L"%PROGRAMFILES%";
    const std::wstring upper = AsciiUpper(text);
    size_t at = upper.find(Token);
    if (at == std::wstring::npos)
        return text;
    // The native architecture, not the process's: a 32-bit build on 64-bit
    // Windows sees the x86 folder as "ProgramFiles", while registrations
    // that write the token mean the native one.
    const std::wstring folder = EnvironmentValue(IsAmd64Machine() ? L"ProgramW6432" : L"ProgramFiles");
    std::wstring result;
    size_t from = 0;
    while (at != std::wstring::npos) {
        result.append(text, from, at - from);
        result += folder;
        from = at + Token.size();
        at = upper.find(Token, from);
    }
    result.append(text, from, std::wstring::npos);
    return result;
}

std::wstring DigitsOnly(const std::wstring& text)
{
    std::wstring digits;
    for (wchar_t c : text)
        if (c >= L'0' && c <= L'9')
            digits += c;
    return digits;
}

std::wstring GetFolderDate(const std::wstring& file)
{
    const size_t separator = file.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return {};
    std::wstring folder = file.substr(0, separator);
    if (folder.size() == 2 && folder[1] == L':')
        folder += L'\\';  // "C:" alone would name the drive's current folder
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &data) ||
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&data.ftLastWriteTime, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return {};
    wchar_t text[16];
    swprintf(text, 16, L"%04u%02u%02u", static_cast<unsigned>(local.wYear), static_cast<unsigned>(local.wMonth),
             static_cast<unsigned>(local.wDay));
    return text;
}
