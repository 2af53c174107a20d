// The small HTML dialect of the toolkit's HTML label: <C> centres the text,
// <FC:colour> colours it (a colour name such as clGray, or #RRGGBB), <B>
// makes it bold; each has its closing tag. Other text is shown as it is.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct THtmlRun {
    std::wstring Text;
    bool Bold = false;
    std::optional<COLORREF> Color;  // none: the label's font colour

    bool operator==(const THtmlRun&) const = default;
};

struct THtmlText {
    bool Centered = false;
    std::vector<THtmlRun> Runs;

    std::wstring PlainText() const;
};

THtmlText ParseHtmlText(std::wstring_view html);
// clGray, clBlack ... or #RRGGBB; nullopt when unknown.
std::optional<COLORREF> HtmlColor(std::wstring_view name);
