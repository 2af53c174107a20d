// The list additions in the service's start-up answer: a JSON object whose
// members "file_white", "name_white" and "name_black" hold arrays.
#pragma once

#include "NameList.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the merge needs of a parsed answer: for each member of the top-level
// object, the texts of its elements when it is an array (nullopt otherwise).
using TListAnswer = std::map<std::string, std::optional<std::vector<std::wstring>>>;

// nullopt when the text is not JSON or not a JSON object.
std::optional<TListAnswer> ParseListAnswer(std::string_view utf8Text);

// Appends the elements of the array `key` that the list does not hold yet.
void MergeListJSON(TNameList& list, const TListAnswer& answer, const std::string& key);
