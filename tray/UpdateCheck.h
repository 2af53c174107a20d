// The start-up check: the main program must be installed beside the helper,
// and the report host is asked once whether a newer version exists.
#pragma once

#include <string>
#include <string_view>

enum class CheckOutcome { Continue, Stop };

// Shows the broken-installation box or the update offer when they apply;
// Stop ends the helper.
CheckOutcome CheckInstallAndUpdate();

// The request's header text: three lines separated by a single carriage
// return, nothing after the last.
std::wstring UpdateRequestHeaders(const std::wstring& version, const std::wstring& installId);

// The download address an answer offers, or empty: the text of the first
// "update" string value (up to the next double quote), unescaped, and only
// when it is an http:// or https:// address.
std::wstring UpdateAddressFromAnswer(std::wstring_view answer);

// The answer body of a GET of `url` with the identification headers (the
// main program's version and the installation id); empty when it fails.
std::wstring FetchUpdateAnswer(const std::wstring& url);
