// Undoes the JSON escapes of a string value cut out of an answer.
#pragma once

#include <string>
#include <string_view>

std::wstring UnescapeJsonText(std::wstring_view text);
