// What starts together with Windows: the entries of the two startup
// folders, the three Run keys, the Task Scheduler's root folder and the
// Win32 services, read into one list, and the switching of one entry off or
// on. No windows here: the autorun page calls these on its window thread;
// every function may be called from any one thread at a time (the task
// functions use COM on the calling thread).
#pragma once

#include "Win32Handles.h"

#include <windows.h>
#include <taskschd.h>

#include <optional>
#include <string>
#include <vector>

// One autorun entry, identified by (From, Target).
struct TAutorunInfo {
    std::wstring FileName;  // the file it runs, for version text and icon; may be empty
    std::wstring Caption;   // the entry's own name
    std::wstring RawData;   // the command as stored (Run values, services), else empty
    std::wstring Target;    // its address inside its source; SetAutorun takes it
    std::wstring From;      // "FILE", "SCHE", "SERV", or "HKLM" / "HKCU" for a Run value
    bool Enabled = false;   // starts with Windows at present
};
using TAutorunList = std::vector<TAutorunInfo>;

// Where an entry that was switched off before Windows 10 is kept: a subkey
// of its Run key and a subfolder of its startup folder, with the same name.
// Windows runs neither the values of a Run key's subkeys nor the files of a
// startup folder's subfolders.
inline constexpr wchar_t DisabledStoreName[] = L"Tidora Disabled";

// Approval keys beside the startup sources (relative to their root).
inline constexpr wchar_t ApprovedStartupFolderKey[] =
    L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";
inline constexpr wchar_t ApprovedRunKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
inline constexpr wchar_t ApprovedRun32Key[] =
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32";

// A connection to the Task Scheduler of the local machine: COM initialised
// on the opening thread and the service object connected as the current
// user. Closed by CloseTaskService or when it goes out of scope; use it on
// the thread that opened it only.
class TTaskService {
public:
    TTaskService() = default;
    ~TTaskService();
    TTaskService(const TTaskService&) = delete;
    TTaskService& operator=(const TTaskService&) = delete;

    // The connected service, or nullptr when none is open.
    ITaskService* Get() const noexcept { return FService.Get(); }

private:
    friend void OpenTaskService(TTaskService& connection);
    friend void CloseTaskService(TTaskService& connection);

    std::optional<TComScope> FCom;
    TComInterface<ITaskService> FService;
};
// Does nothing when the connection is already open; leaves it closed when
// COM, its security or the Task Scheduler cannot be had.
void OpenTaskService(TTaskService& connection);
void CloseTaskService(TTaskService& connection);

// --- Reading ---------------------------------------------------------------

// Empties the list and refills it from every source in this order: the
// all-users and the user's startup folder, the Run keys of HKLM, HKLM's
// Wow6432Node and HKCU, the root tasks, the services. Never fails; what
// cannot be read is missing. The second form reads tasks through the given
// service (nullptr: no tasks) instead of opening a connection.
void GetAutorun(TAutorunList& list);
void GetAutorun(TAutorunList& list, ITaskService* tasks);

// Appends the folder's own files with a startable extension, then the files
// switched off into its store (disabled, listed under their old path).
void ReadStartupFolder(const std::wstring& folder, TAutorunList& list);
// Appends the key's values, then the values switched off into its store.
void ReadRunKey(HKEY root, const std::wstring& keyPath, TAutorunList& list);
// Appends the folder's registered tasks (hidden ones not included). Returns
// false when reading stopped on an error; what came before stays appended.
bool ReadTaskFolder(ITaskService* service, const std::wstring& folderPath, TAutorunList& list);
// Appends the Win32 services; automatic ones count as enabled.
void ReadServices(TAutorunList& list);

// Whether the approval record `name` below root\keyPath lets the entry start.
bool IsApproved(HKEY root, const std::wstring& keyPath, const std::wstring& name);
// The reading rule of an approval record: only a record of exactly 12 bytes
// with an odd state byte means switched off.
bool IsApprovalEnabled(const std::vector<BYTE>& record);

// --- Switching -------------------------------------------------------------

// Puts one entry (From, Target as GetAutorun gave them) into the wanted
// state. True when that state is now in place, as far as can be seen;
// nothing is ever destroyed on failure.
bool SetAutorun(const std::wstring& target, const std::wstring& from, bool enabled);

// The steps SetAutorun picks from. The forms with `windowsMajor` decide by
// the version given instead of the one the system really has: from 10 on,
// the approval records switch files and Run values; before 10 they are
// moved into and out of their store.
bool SetStartupFile(const std::wstring& target, bool enabled);
bool SetStartupFile(const std::wstring& target, bool enabled, DWORD windowsMajor);
bool SetRunValue(const std::wstring& target, bool enabled);
bool SetRunValue(const std::wstring& target, bool enabled, DWORD windowsMajor);
bool SetTask(const std::wstring& target, bool enabled);
bool SetTask(ITaskService* service, const std::wstring& target, bool enabled);
bool SetService(const std::wstring& target, bool enabled);

// A new 12-byte approval record: state 2 (enabled) or 3 (disabled), three
// zero bytes, the current UTC time as a little-endian FILETIME.
std::vector<BYTE> MakeApproval(bool enabled);
