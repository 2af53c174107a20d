#include "CleanupRun.h"

#include "ListLoaders.h"
#include "MatchList.h"
#include "Process.h"
#include "ServiceProtocol.h"
#include "ThreadHandover.h"

#include <thread>

namespace {

constexpr int Checks = 4;
constexpr DWORD CheckInterval = 1000;

}  // namespace

std::optional<std::wstring> AppendExclusionFiles(TNameList& fileWhite)
{
    return AppendExclusionFiles(fileWhite, ExclusionFilePaths());
}

// Loaded into a scratch list first: a run that does not start must not
// leave half of the files in the list (a second press would add them again).
std::optional<std::wstring> AppendExclusionFiles(TNameList& fileWhite, const std::vector<std::wstring>& paths)
{
    TNameList loaded;
    for (const auto& path : paths)
        if (LoadExclusionFile(loaded, path) == TExclusionLoad::Unreadable)
            return path;
    for (const auto& entry : loaded.Items())
        fileWhite.Add(entry);
    return std::nullopt;
}

void SelectForTermination(TProcessList& processes, const TNameList& fileWhite, DWORD ownProcessId)
{
    for (auto& process : processes)
        if (process.ProcessID != ownProcessId && !MatchList(fileWhite, process.FileName, true))
            process.State = TProcessState::Selected;
}

void TerminateSelected(const TProcessList& processes)
{
    for (const auto& process : processes)
        if (process.State == TProcessState::Selected)
            KillProcess(process.ProcessID);
}

// One snapshot serves every process of the check: the same answer as
// asking IsProcessAlive for each, without a snapshot per process.
void CheckTerminated(TProcessList& processes)
{
    const auto alive = LiveProcessIds();
    for (auto& process : processes)
        if (process.State == TProcessState::Selected && !alive.contains(process.ProcessID))
            process.State = TProcessState::Ended;
}

TCleanupRunOutcome RunCleanup(TCleanupRunInput input)
{
    TCleanupRunOutcome outcome;
    SnapshotProcesses(outcome.Processes);
    SelectForTermination(outcome.Processes, input.FileWhite);
    TerminateSelected(outcome.Processes);
    // Always all four checks, also when nothing is left to look for.
    for (int check = 0; check < Checks; ++check) {
        Sleep(CheckInterval);
        CheckTerminated(outcome.Processes);
    }

    const TReportMemory memory{input.OldAvailMemory, GetAvailableMemory(), GetTotalMemory()};
    outcome.Body = BuildReportBody(memory, outcome.Processes, input.StartRecords, input.InstallRecords);
    outcome.Answer =
        RequestService(input.ReportAddress.empty() ? ReportAddress() : input.ReportAddress, outcome.Body);
    if (outcome.Answer)
        outcome.Key = ReadReportKey(*outcome.Answer);
    outcome.ResultAddress = input.SiteAddress.empty() ? ResultPageAddress(outcome.Key)
                                                      : ResultPageAddress(outcome.Key, input.SiteAddress);
    return outcome;
}

void StartCleanupRun(TCleanupRunInput input, TCleanupRunFinished finished)
{
    THandover handover = WindowThreadHandover();
    std::thread([handover = std::move(handover), input = std::move(input), finished = std::move(finished)]() mutable {
        const TCleanupRunOutcome outcome = RunCleanup(std::move(input));
        handover([&] { finished(outcome); });
    }).detach();
}
