// Filling name lists from the embedded defaults and the user exclusion files.
#pragma once

#include "NameList.h"

#include <string>
#include <vector>

// Replaces the list's contents with the lines of the RCDATA resource `name`
// ("file_white", "name_white", "name_black"); leaves it as it was when the
// resource is missing.
void LoadListResource(TNameList& list, const wchar_t* name);

enum class TExclusionLoad { Missing, Loaded, Unreadable };

// Appends every line of the file, unchanged, to the list. The byte-order mark
// picks UTF-8, UTF-16 LE or UTF-16 BE; without one the ANSI code page applies.
TExclusionLoad LoadExclusionFile(TNameList& list, const std::wstring& path);

// "NoClean.txt" beside the program, then "\Tidora\NoClean.txt" below the
// roaming application-data folder, in the order they are read.
std::vector<std::wstring> ExclusionFilePaths();
