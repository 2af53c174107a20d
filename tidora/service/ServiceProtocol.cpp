#include "ServiceProtocol.h"

#include "HTTP.h"
#include "InstallId.h"
#include "JsonText.h"
#include "Text.h"
#include "Translation.h"

#include "build_config.h"

#include <windows.h>

#include <memory>

namespace {

// Set when a build reports memory leaks at exit; the delivered program does not.
constexpr wchar_t UserDebug[] = L"false";

}  // namespace

std::wstring MainExeVersion(std::wstring_view format)
{
    unsigned parts[4] = {0, 0, 0, 0};
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    DWORD ignored = 0;
    DWORD size = (n > 0 && n < MAX_PATH) ? GetFileVersionInfoSizeW(exe, &ignored) : 0;
    if (size > 0) {
        auto data = std::make_unique<unsigned char[]>(size);
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (GetFileVersionInfoW(exe, 0, size, data.get()) &&
            VerQueryValueW(data.get(), L"\\", reinterpret_cast<void**>(&info), &length) && info &&
            length >= sizeof(VS_FIXEDFILEINFO)) {
            parts[0] = HIWORD(info->dwFileVersionMS);
            parts[1] = LOWORD(info->dwFileVersionMS);
            parts[2] = HIWORD(info->dwFileVersionLS);
            parts[3] = LOWORD(info->dwFileVersionLS);
        }
    }
    // Only "%d" is understood; the text never reaches a printf format.
    std::wstring text;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'%' && i + 1 < format.size() && format[i + 1] == L'd') {
            text += next < 4 ? std::to_wstring(parts[next++]) : L"0";
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

THeaderPairs StartupHeaders()
{
    return {{L"User-Version", MainExeVersion()},
            {L"User-Language", CurrentLanguage()},
            {L"User-Debug", UserDebug},
            {L"User-Union", ReadInstallId()}};
}

THeaderPairs HoldHeaders()
{
    return {{L"User-Version", MainExeVersion()}, {L"User-Command", L"hold"}};
}

THeaderPairs ReportHeaders()
{
    return {{L"User-Version", MainExeVersion()}, {L"User-Union", ReadInstallId()}};
}

std::wstring ServiceAddress(std::wstring_view path)
{
    return TIDORA_SITE_URL + std::wstring(path);
}

std::wstring StartupAddress()
{
    return ServiceAddress(L"/api.init.php");
}

std::wstring ReportAddress()
{
    return ServiceAddress(L"/report.php");
}

std::wstring ResultPageAddress(std::wstring_view key, std::wstring_view site)
{
    if (key.empty())
        return {};
    return std::wstring(site) + L"/?report=" + PercentEncodeKey(key);
}

std::wstring ResultPageAddress(std::wstring_view key)
{
    return ResultPageAddress(key, TIDORA_SITE_URL);
}

// THTTP gives a failed request's message as its text; the status -1 is what
// tells it from an answer.
std::optional<std::wstring> RequestService(const std::wstring& url, const std::wstring& body)
{
    THTTP http;
    for (const auto& [name, value] : ReportHeaders())
        http.SetCustomHeaders(name, value);
    std::wstring text;
    if (body.empty()) {
        text = http.Get(url);
    } else {
        http.SetContentType(L"application/json");
        text = http.Post(url, body);
    }
    if (http.StatusCode() == -1)
        return std::nullopt;
    return text;
}

std::wstring ReadReportKey(std::wstring_view answer)
{
    return TextBetween(answer, L"\"pk\":\"", L"\"");
}

// The key comes from the network and is put into an address that the shell
// opens: nothing but unreserved characters may reach it unencoded.
std::wstring PercentEncodeKey(std::wstring_view key)
{
    static const wchar_t hex[] = L"0123456789ABCDEF";
    std::wstring out;
    for (char ch : WideToUtf8(key)) {
        auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += static_cast<wchar_t>(c);
        } else {
            out += L'%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

// The shell would run anything else it is handed (a program path, a
// file: address), so an address from the service must be a web address.
std::wstring WebAddressOrEmpty(std::wstring_view address)
{
    if (AsciiStartsWithIgnoreCase(address, L"https://") || AsciiStartsWithIgnoreCase(address, L"http://"))
        return std::wstring(address);
    return {};
}
