// The program writes its JSON by hand and reads answers by cutting values
// out of them; these are the routines for that.
#pragma once

#include <string>
#include <string_view>

std::wstring TextBetween(std::wstring_view text, std::wstring_view startMarker, std::wstring_view endMarker,
                         bool keepMarkers = false);
std::wstring JSONEscape(std::wstring_view text);
std::wstring JSONUnescape(std::wstring_view text);
