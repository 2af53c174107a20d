// The installed-program inventory: every usable registration of the four
// uninstall sources as one TInstallInfo, newest install first. No windows:
// the install page rebuilds its list with GetInstall on its window thread.
// The functions keep no state; a list is used by one thread at a time (a
// worker that needs it gets a copy).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One installed program as registered for uninstalling.
struct TInstallInfo {
    std::wstring DisplayIcon;           // file whose icon stands for the program
    std::uint16_t DisplayIconIndex = 0; // icon index from DisplayIcon, 0 to 100
    std::wstring DisplayName;           // trimmed, never empty
    std::wstring DisplayVersion;
    int EstimatedSize = 0;
    std::wstring HelpLink;
    std::wstring InstallDate;           // digits only, normally yyyymmdd
    std::wstring InstallLocation;
    std::wstring Publisher;             // trimmed, may be empty
    std::wstring UninstallString;       // trimmed, %ProgramFiles% expanded, never empty
    std::wstring URLInfoAbout;
};
using TInstallList = std::vector<TInstallInfo>;

// An uninstall key; the path is relative to the root and opened in the
// 64-bit view.
struct TUninstallSource {
    HKEY Root;
    const wchar_t* Path;
};
// The sources in the order they are read (and watched): the machine's
// native and 32-bit registrations, then the user's.
const std::array<TUninstallSource, 4>& UninstallSources();

// Empties `list` and refills it from the four sources, sorted by install
// date, newest first; equal dates keep the order they were read in.
void GetInstall(TInstallList& list);
// Appends the usable registrations below root\path that `list` does not
// hold yet (same display name and publisher).
void ReadUninstallKey(HKEY root, const std::wstring& path, TInstallList& list);
// Index of the first record with exactly this display name and publisher
// (both trimmed first), or -1.
int IndexOfInstall(const TInstallList& list, const std::wstring& name, const std::wstring& publisher);
// The first file of the Windows Installer's cache folder of the product
// code in braces that `text` holds; empty when there is none.
std::wstring FindInstallerIcon(const std::wstring& text);
// Replaces every "%ProgramFiles%" (any case) by the program folder of the
// machine's native architecture.
std::wstring ExpandProgramFiles(const std::wstring& text);
std::wstring DigitsOnly(const std::wstring& text);
// The local date (yyyymmdd) the folder holding `file` was last written;
// empty when that folder cannot be found.
std::wstring GetFolderDate(const std::wstring& file);
