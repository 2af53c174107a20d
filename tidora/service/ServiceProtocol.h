// The requests to the maker's web service: addresses, identification
// headers, the report request and what the program reads from answers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using THeaderPairs = std::vector<std::pair<std::wstring, std::wstring>>;

// The running executable's fixed file version; each "%d" of the format takes
// the next of major, minor, release and build. All zero without version data.
std::wstring MainExeVersion(std::wstring_view format = L"%d.%d.%d.%d");

// Identification headers, in the order they are sent.
THeaderPairs StartupHeaders();  // User-Version, User-Language, User-Debug, User-Union
THeaderPairs HoldHeaders();     // User-Version, User-Command "hold"
THeaderPairs ReportHeaders();   // User-Version, User-Union

// Addresses on the product web site.
std::wstring ServiceAddress(std::wstring_view path);
std::wstring StartupAddress();  // "/api.init.php"
std::wstring ReportAddress();   // "/report.php"
// The result page "/?report=" + key on `site`; empty for an empty key.
std::wstring ResultPageAddress(std::wstring_view key, std::wstring_view site);
std::wstring ResultPageAddress(std::wstring_view key);

// Sends the body as JSON with POST (GET when it is empty) through THTTP,
// with the report's identification headers. The answer text, whatever its
// status; nullopt when no answer arrived.
std::optional<std::wstring> RequestService(const std::wstring& url, const std::wstring& body);

// The "pk" member of a report answer, as written; empty when absent.
std::wstring ReadReportKey(std::wstring_view answer);
// Every character but A-Z, a-z, 0-9 and "-._~" percent-encoded from UTF-8.
std::wstring PercentEncodeKey(std::wstring_view key);
// The address when it begins with "https://" or "http://", else empty.
std::wstring WebAddressOrEmpty(std::wstring_view address);
