#include "UsageReport.h"

#include "JsonText.h"

namespace {

// {"name":"value",...} with every value escaped; names are fixed ASCII.
std::wstring Record(std::initializer_list<std::pair<const wchar_t*, std::wstring>> members)
{
    std::wstring record = L"{";
    bool first = true;
    for (const auto& [name, value] : members) {
        if (!first)
            record += L',';
        first = false;
        record += L'"';
        record += name;
        record += L"\":\"";
        record += JSONEscape(value);
        record += L'"';
    }
    return record + L"}";
}

}  // namespace

std::wstring BuildReportBody(const TReportMemory& memory, const TProcessList& processes,
                             const std::optional<std::vector<TReportStart>>& starts,
                             const std::optional<std::vector<TReportInstall>>& installs,
                             const TPathTokenTable& tokens)
{
    std::wstring body = L"[";
    body += Record({{L"cate", L"memory"},
                    {L"old", std::to_wstring(memory.Old)},
                    {L"new", std::to_wstring(memory.New)},
                    {L"tot", std::to_wstring(memory.Total)}});
    for (const auto& process : processes)
        body += L"," + Record({{L"cate", L"clean"},
                               {L"file", CollapsePath(process.FileName, tokens)},
                               {L"state", std::to_wstring(static_cast<std::int32_t>(process.State))}});
    if (starts)
        for (const auto& start : *starts)
            body += L"," + Record({{L"cate", L"start"}, {L"item", start.Target}, {L"from", start.From}});
    if (installs)
        for (const auto& install : *installs)
            body += L"," + Record({{L"cate", L"install"},
                                   {L"displayname", install.DisplayName},
                                   {L"publisher", install.Publisher}});
    return body + L"]";
}
