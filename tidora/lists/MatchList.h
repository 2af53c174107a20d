// The one matching rule that every user of the name lists applies.
#pragma once

#include "NameList.h"

#include <string_view>

// File-name mode: "name.exe*" compares the file-name part of `text` (ASCII
// case), any other entry is searched for inside `text` (locale upper case).
// Name mode: the entry is a prefix of `text` (locale, ignoring case).
bool MatchList(const TNameList& list, std::wstring_view text, bool fileNameMode);
