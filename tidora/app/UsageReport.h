// The usage report that a cleanup run sends: a JSON array of records
// ("memory", "clean", "start", "install"), written by hand, pure ASCII.
#pragma once

#include "PathTokens.h"
#include "ProcessInfo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TReportMemory {
    std::int64_t Old = 0;    // available when the run started
    std::int64_t New = 0;    // available after the checks
    std::int64_t Total = 0;  // total physical memory
};

// One autorun entry as the autorun page found it.
struct TReportStart {
    std::wstring Target;
    std::wstring From;
};

// One installed program as the install page found it.
struct TReportInstall {
    std::wstring DisplayName;
    std::wstring Publisher;
};

// The memory record, one clean record per process in list order (path in
// token form), then the start and install records when those are present.
std::wstring BuildReportBody(const TReportMemory& memory, const TProcessList& processes,
                             const std::optional<std::vector<TReportStart>>& starts,
                             const std::optional<std::vector<TReportInstall>>& installs,
                             const TPathTokenTable& tokens = PathTokens());
