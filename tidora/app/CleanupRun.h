// The cleanup run: every process that the file white list does not protect
// is ended, four one-second checks see which are gone, and the report goes
// to the service, whose answer names the result page.
//
// Window thread, when the run button is pressed:
//   1. blank and disable the button, show the indicator;
//   2. note GetAvailableMemory();
//   3. AppendExclusionFiles(FileWhite); on an unreadable file show its name,
//      restore the button and stop;
//   4. StartCleanupRun with a copy of FileWhite and copies of the pages'
//      lists (those of pages that exist).
// The worker uses only what it was given. `finished` runs on the window
// thread through the synchronous hand-over of ui/ThreadHandover.h; the
// window must keep serving messages until then (a close asked for meanwhile
// waits for it). When the window thread is gone, `finished` is dropped.
#pragma once

#include "NameList.h"
#include "ProcessInfo.h"
#include "UsageReport.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct TCleanupRunInput {
    TNameList FileWhite;  // a copy taken when the run starts
    std::int64_t OldAvailMemory = 0;
    std::optional<std::vector<TReportStart>> StartRecords;      // the autorun page exists
    std::optional<std::vector<TReportInstall>> InstallRecords;  // the install page exists
    std::wstring ReportAddress;  // empty: "/report.php" on the product web site
    std::wstring SiteAddress;    // empty: the product web site
};

struct TCleanupRunOutcome {
    TProcessList Processes;     // with their final states
    std::wstring Body;          // the report as sent
    std::optional<std::wstring> Answer;  // the service's answer; nullopt when none arrived
    std::wstring Key;           // the answer's "pk"; empty without an answer
    std::wstring ResultAddress; // the page to open; empty when there is none
};

using TCleanupRunFinished = std::function<void(const TCleanupRunOutcome& outcome)>;

// Appends the two "NoClean.txt" files that exist, all or nothing. Returns
// the path of a file that exists but cannot be read (the list is then
// unchanged), or nullopt.
std::optional<std::wstring> AppendExclusionFiles(TNameList& fileWhite);
std::optional<std::wstring> AppendExclusionFiles(TNameList& fileWhite, const std::vector<std::wstring>& paths);

// Selected for every process but `ownProcessId` that the list does not protect.
void SelectForTermination(TProcessList& processes, const TNameList& fileWhite,
                          DWORD ownProcessId = GetCurrentProcessId());
// KillProcess for every process selected, one after another.
void TerminateSelected(const TProcessList& processes);
// One check: a selected process that a fresh snapshot lacks is marked ended.
void CheckTerminated(TProcessList& processes);

// The worker's part of a run, on the calling thread; at least four checks'
// intervals long.
TCleanupRunOutcome RunCleanup(TCleanupRunInput input);

// Call on the window thread: runs RunCleanup on a worker, then `finished`
// on this thread.
void StartCleanupRun(TCleanupRunInput input, TCleanupRunFinished finished);
