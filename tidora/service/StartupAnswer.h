// What the program reads from the service's start-up answer.
#pragma once

#include "NameList.h"

#include <string>
#include <string_view>

// The "info" object's members, unescaped.
struct TNoticeInfo {
    std::wstring Style;
    std::wstring Text;
    std::wstring Flag;
    std::wstring Url;  // empty unless a web address
};

// The "update" address, unescaped; empty when absent or not a web address.
std::wstring ReadUpdateAddress(std::wstring_view answer);
TNoticeInfo ReadNoticeInfo(std::wstring_view answer);
// Merges "file_white", "name_white" and "name_black" into the lists of the
// same names; an answer that is not a JSON object changes nothing.
void MergeStartupLists(std::wstring_view answer, TNameList& fileWhite, TNameList& nameWhite, TNameList& nameBlack);
