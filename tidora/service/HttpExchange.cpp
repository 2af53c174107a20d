#include "HttpExchange.h"

#include "Text.h"

#include <algorithm>

namespace {

// The most the body loop asks WinHTTP for at once.
constexpr DWORD MaxPiece = 1024 * 1024;

void SetDwordOption(HINTERNET handle, DWORD option, DWORD value)
{
    WinHttpSetOption(handle, option, &value, sizeof(value));
}

std::wstring QueryRawHeaders(HINTERNET request)
{
    DWORD size = 0;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                        WINHTTP_NO_HEADER_INDEX);
    if (size == 0)
        return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, text.data(),
                             &size, WINHTTP_NO_HEADER_INDEX))
        return {};
    text.resize(size / sizeof(wchar_t));
    return text;
}

}  // namespace

TWinHttpHandle OpenHttpSession(const wchar_t* agent, const std::wstring& proxy)
{
    if (proxy.empty())
        return TWinHttpHandle(
            WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    return TWinHttpHandle(
        WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(), WINHTTP_NO_PROXY_BYPASS, 0));
}

bool THttpExchange::Fail()
{
    FError = GetLastError();
    return false;
}

bool THttpExchange::Open(HINTERNET session, const THttpUrl& url, const THttpExchangeOptions& options)
{
    if (!session)
        return Fail();
    FConnection.Reset(WinHttpConnect(session, url.Host.c_str(), url.Port, 0));
    if (!FConnection)
        return Fail();
    FRequest.Reset(WinHttpOpenRequest(FConnection.Get(), options.Method.c_str(), url.PathAndQuery.c_str(), nullptr,
                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      url.Secure ? WINHTTP_FLAG_SECURE : 0));
    if (!FRequest)
        return Fail();
    HINTERNET request = FRequest.Get();
    WinHttpSetTimeouts(request, static_cast<int>(options.ResolveTimeout), static_cast<int>(options.ConnectTimeout),
                       static_cast<int>(options.SendTimeout), static_cast<int>(options.ReceiveTimeout));
    // The receive time-out does not cover the wait for the answer's headers.
    SetDwordOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, options.ReceiveTimeout);
    if (options.ManualRedirectsAndCookies) {
        SetDwordOption(request, WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_NEVER);
        SetDwordOption(request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS);
    }
    if (options.AcceptInvalidCertificates)
        SetDwordOption(request, WINHTTP_OPTION_SECURITY_FLAGS,
                       SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                           SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE);
    if (options.ProxyAuthScheme)
        WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, options.ProxyAuthScheme, options.ProxyUser.c_str(),
                              options.ProxyPassword.c_str(), nullptr);
    for (const auto& line : options.HeaderLines)
        WinHttpAddRequestHeaders(request, line.c_str(), static_cast<DWORD>(-1),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
    return true;
}

bool THttpExchange::Send(std::string_view body)
{
    const DWORD size = static_cast<DWORD>(body.size());
    // WinHTTP takes the body as a non-const pointer but only reads it.
    void* data = size ? const_cast<char*>(body.data()) : WINHTTP_NO_REQUEST_DATA;
    if (!WinHttpSendRequest(FRequest.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, data, size, size, 0) ||
        !WinHttpReceiveResponse(FRequest.Get(), nullptr))
        return Fail();
    return true;
}

DWORD THttpExchange::NumberHeader(DWORD query) const
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!WinHttpQueryHeaders(FRequest.Get(), query | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &value,
                             &size, WINHTTP_NO_HEADER_INDEX))
        return 0;
    return value;
}

int THttpExchange::Status() const
{
    return static_cast<int>(NumberHeader(WINHTTP_QUERY_STATUS_CODE));
}

DWORD THttpExchange::ContentLength() const
{
    return NumberHeader(WINHTTP_QUERY_CONTENT_LENGTH);
}

std::vector<std::pair<std::wstring, std::wstring>> THttpExchange::Headers() const
{
    std::vector<std::pair<std::wstring, std::wstring>> headers;
    bool statusLine = true;
    for (const auto& line : SplitLines(QueryRawHeaders(FRequest.Get()))) {
        if (statusLine) {
            statusLine = false;
            continue;
        }
        size_t colon = line.find(L':');
        if (colon == std::wstring::npos)
            continue;
        headers.emplace_back(Trim(std::wstring_view(line).substr(0, colon)),
                             Trim(std::wstring_view(line).substr(colon + 1)));
    }
    return headers;
}

DWORD THttpExchange::ProxySchemes() const
{
    DWORD supported = 0, first = 0, target = 0;
    if (!WinHttpQueryAuthSchemes(FRequest.Get(), &supported, &first, &target))
        return 0;
    return supported;
}

bool THttpExchange::ReadBody(const std::function<void(const char* data, DWORD size)>& piece)
{
    std::string buffer;
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(FRequest.Get(), &available))
            return Fail();
        if (available == 0)
            return true;
        buffer.resize(std::min(available, MaxPiece));
        DWORD got = 0;
        if (!WinHttpReadData(FRequest.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got))
            return Fail();
        if (got == 0)
            return true;
        piece(buffer.data(), got);
    }
}
