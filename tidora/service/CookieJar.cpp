#include "CookieJar.h"

#include "Text.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <cwchar>

namespace {

std::uint64_t Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::wstring Lower(std::wstring_view text)
{
    std::wstring out(text);
    for (auto& c : out)
        c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
    return out;
}

bool DomainMatches(const std::wstring& host, const std::wstring& domain)
{
    return host == domain ||
           (host.size() > domain.size() && host.ends_with(domain) && host[host.size() - domain.size() - 1] == L'.');
}

bool PathMatches(const std::wstring& requestPath, const std::wstring& cookiePath)
{
    if (requestPath == cookiePath)
        return true;
    return requestPath.starts_with(cookiePath) &&
           (cookiePath.ends_with(L'/') || requestPath[cookiePath.size()] == L'/');
}

std::wstring DefaultPath(const std::wstring& requestPath)
{
    size_t last = requestPath.rfind(L'/');
    return (last == std::wstring::npos || last == 0) ? L"/" : requestPath.substr(0, last);
}

}  // namespace

void TCookieJar::Store(std::wstring_view setCookie, const THttpUrl& from)
{
    std::vector<std::wstring> fields;
    for (size_t start = 0; start <= setCookie.size();) {
        size_t end = setCookie.find(L';', start);
        if (end == std::wstring_view::npos)
            end = setCookie.size();
        fields.push_back(Trim(setCookie.substr(start, end - start)));
        start = end + 1;
    }
    size_t equals = fields.empty() ? std::wstring::npos : fields[0].find(L'=');
    if (equals == std::wstring::npos)
        return;
    TCookie cookie;
    cookie.Name = Trim(std::wstring_view(fields[0]).substr(0, equals));
    cookie.Value = Trim(std::wstring_view(fields[0]).substr(equals + 1));
    if (cookie.Name.empty())
        return;
    cookie.Domain = from.Host;
    cookie.Path = DefaultPath(from.Path());
    bool expired = false;
    bool haveMaxAge = false;
    for (size_t i = 1; i < fields.size(); ++i) {
        size_t eq = fields[i].find(L'=');
        std::wstring name = Lower(Trim(std::wstring_view(fields[i]).substr(0, eq)));
        std::wstring value = eq == std::wstring::npos ? L"" : Trim(std::wstring_view(fields[i]).substr(eq + 1));
        if (name == L"domain" && !value.empty()) {
            std::wstring domain = Lower(value);
            if (domain.front() == L'.')
                domain.erase(0, 1);
            if (!DomainMatches(from.Host, domain))
                return;  // a host may not set cookies for another one
            cookie.Domain = domain;
            cookie.HostOnly = false;
        } else if (name == L"path" && value.starts_with(L'/')) {
            cookie.Path = value;
        } else if (name == L"secure") {
            cookie.Secure = true;
        } else if (name == L"max-age" && !value.empty()) {
            haveMaxAge = true;
            long long seconds = std::wcstoll(value.c_str(), nullptr, 10);
            if (seconds <= 0)
                expired = true;
            else
                cookie.Expires = Now() + static_cast<std::uint64_t>(seconds) * 10000000ull;
        } else if (name == L"expires" && !haveMaxAge) {
            SYSTEMTIME when{};
            FILETIME whenFile{};
            if (WinHttpTimeToSystemTime(value.c_str(), &when) && SystemTimeToFileTime(&when, &whenFile)) {
                cookie.Expires = (static_cast<std::uint64_t>(whenFile.dwHighDateTime) << 32) | whenFile.dwLowDateTime;
                if (cookie.Expires <= Now())
                    expired = true;
            }
        }
    }
    auto same = std::find_if(FCookies.begin(), FCookies.end(), [&](const TCookie& c) {
        return c.Name == cookie.Name && c.Domain == cookie.Domain && c.Path == cookie.Path;
    });
    if (expired) {
        if (same != FCookies.end())
            FCookies.erase(same);
    } else if (same != FCookies.end()) {
        *same = std::move(cookie);
    } else {
        FCookies.push_back(std::move(cookie));
    }
}

std::wstring TCookieJar::HeaderFor(const THttpUrl& to) const
{
    const std::uint64_t now = Now();
    const std::wstring path = to.Path();
    std::wstring header;
    for (const auto& c : FCookies) {
        if (c.Expires != 0 && c.Expires <= now)
            continue;
        if (c.HostOnly ? to.Host != c.Domain : !DomainMatches(to.Host, c.Domain))
            continue;
        if (!PathMatches(path, c.Path) || (c.Secure && !to.Secure))
            continue;
        if (!header.empty())
            header += L"; ";
        header += c.Name + L"=" + c.Value;
    }
    return header;
}
