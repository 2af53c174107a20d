// Reads string values ("ProductName", "CompanyName" ...) of a file's version
// resource.
#pragma once

#include <map>
#include <string>
#include <vector>

// Adds each name found in the file's first translation to `values`; returns
// the number of entries in `values` (0 when the file has no version data).
int GetVersionStrings(const std::wstring& file, const std::vector<std::wstring>& names,
                      std::map<std::wstring, std::wstring>& values);
