#include "HttpUrl.h"

#include "Text.h"

namespace {

std::wstring Lower(std::wstring_view text)
{
    std::wstring out(text);
    for (auto& c : out)
        c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
    return out;
}

// "scheme:" at the start: letters, then letters, digits, "+", "-" or ".".
bool HasScheme(std::wstring_view reference)
{
    size_t colon = reference.find(L':');
    if (colon == std::wstring_view::npos || colon == 0 || reference.find_first_of(L"/?#") < colon)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        wchar_t c = reference[i];
        bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
        if (!letter && (i == 0 || !((c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.')))
            return false;
    }
    return true;
}

}  // namespace

std::wstring THttpUrl::Path() const
{
    return PathAndQuery.substr(0, PathAndQuery.find(L'?'));
}

std::wstring THttpUrl::Origin() const
{
    const bool defaultPort = Port == (Secure ? 443 : 80);
    std::wstring host = Host.find(L':') != std::wstring::npos ? L"[" + Host + L"]" : Host;
    return (Secure ? L"https://" : L"http://") + host + (defaultPort ? L"" : L":" + std::to_wstring(Port));
}

std::optional<THttpUrl> ParseHttpUrl(std::wstring_view url)
{
    THttpUrl parts;
    if (AsciiStartsWithIgnoreCase(url, L"https://")) {
        parts.Secure = true;
        url.remove_prefix(8);
    } else if (AsciiStartsWithIgnoreCase(url, L"http://")) {
        url.remove_prefix(7);
    } else {
        return std::nullopt;
    }
    size_t end = url.find_first_of(L"/?#");
    std::wstring_view authority = url.substr(0, end);
    std::wstring_view rest = end == std::wstring_view::npos ? std::wstring_view() : url.substr(end);
    if (size_t at = authority.rfind(L'@'); at != std::wstring_view::npos)
        authority.remove_prefix(at + 1);  // user information is not used

    std::wstring_view host = authority;
    std::wstring_view port;
    if (authority.starts_with(L'[')) {
        size_t close = authority.find(L']');
        if (close == std::wstring_view::npos)
            return std::nullopt;
        host = authority.substr(1, close - 1);
        std::wstring_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != L':')
                return std::nullopt;
            port = after.substr(1);
        }
    } else if (size_t colon = authority.find(L':'); colon != std::wstring_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.empty())
        return std::nullopt;
    parts.Host = Lower(host);
    parts.Port = parts.Secure ? 443 : 80;
    if (!port.empty()) {
        unsigned long value = 0;
        for (wchar_t c : port) {
            if (c < L'0' || c > L'9')
                return std::nullopt;
            value = value * 10 + static_cast<unsigned long>(c - L'0');
            if (value > 65535)
                return std::nullopt;
        }
        if (value == 0)
            return std::nullopt;
        parts.Port = static_cast<unsigned short>(value);
    }
    rest = rest.substr(0, rest.find(L'#'));
    parts.PathAndQuery = std::wstring(rest);
    if (parts.PathAndQuery.empty() || parts.PathAndQuery.front() != L'/')
        parts.PathAndQuery.insert(0, L"/");
    return parts;
}

std::wstring ResolveHttpUrl(const THttpUrl& base, std::wstring_view reference)
{
    std::wstring resolved;
    if (HasScheme(reference))
        resolved = std::wstring(reference);
    else if (reference.starts_with(L"//"))
        resolved = (base.Secure ? L"https:" : L"http:") + std::wstring(reference);
    else if (reference.starts_with(L'/'))
        resolved = base.Origin() + std::wstring(reference);
    else if (reference.starts_with(L'?'))
        resolved = base.Origin() + base.Path() + std::wstring(reference);
    else {
        std::wstring path = base.Path();
        resolved = base.Origin() + path.substr(0, path.rfind(L'/') + 1) + std::wstring(reference);
    }
    return ParseHttpUrl(resolved) ? resolved : std::wstring();
}
