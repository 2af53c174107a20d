#include "HTTP.h"

#include "AnswerDecoding.h"
#include "FormEncoding.h"
#include "HttpUrl.h"
#include "Text.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>

namespace {

struct InternetCloser {
    void operator()(HINTERNET h) const { WinHttpCloseHandle(h); }
};
using TInternetHandle = std::unique_ptr<void, InternetCloser>;

constexpr int MaxRedirects = 5;
constexpr DWORD Chunk = 1024 * 1024;
constexpr int SendTimeout = 60000;

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

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

std::vector<std::pair<std::wstring, std::wstring>> ParseHeaders(const std::wstring& raw)
{
    std::vector<std::pair<std::wstring, std::wstring>> headers;
    bool statusLine = true;
    for (const auto& line : SplitLines(raw)) {
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

DWORD NumberHeader(HINTERNET request, DWORD query)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!WinHttpQueryHeaders(request, query | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &value, &size,
                             WINHTTP_NO_HEADER_INDEX))
        return 0;
    return value;
}

DWORD StrongestScheme(DWORD supported)
{
    for (DWORD scheme : {WINHTTP_AUTH_SCHEME_NEGOTIATE, WINHTTP_AUTH_SCHEME_NTLM, WINHTTP_AUTH_SCHEME_DIGEST,
                         WINHTTP_AUTH_SCHEME_BASIC})
        if (supported & scheme)
            return scheme;
    return 0;
}

std::int32_t Clamp32(unsigned long long value)
{
    return value > 0x7FFFFFFFull ? 0x7FFFFFFF : static_cast<std::int32_t>(value);
}

// The system's text for a WinHTTP error, with its number, as the answer
// text of a failed request.
std::wstring FailureText(DWORD error)
{
    wchar_t* buffer = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE winhttp = GetModuleHandleW(L"winhttp.dll");
    if (winhttp)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    DWORD n = FormatMessageW(flags, winhttp, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring message = n && buffer ? Trim(std::wstring_view(buffer, n)) : std::wstring();
    if (buffer)
        LocalFree(buffer);
    if (message.empty())
        message = L"The request could not be completed.";
    return L"Error sending data: (" + std::to_wstring(error) + L") " + message;
}

std::wstring CookiePair(std::wstring_view setCookie)
{
    return Trim(setCookie.substr(0, setCookie.find(L';')));
}

}  // namespace

std::wstring THTTPResponse::Header(std::wstring_view name) const
{
    for (const auto& [key, value] : Headers)
        if (AsciiEqualsIgnoreCase(key, name))
            return value;
    return {};
}

std::vector<std::wstring> THTTPResponse::HeaderValues(std::wstring_view name) const
{
    std::vector<std::wstring> values;
    for (const auto& [key, value] : Headers)
        if (AsciiEqualsIgnoreCase(key, name))
            values.push_back(value);
    return values;
}

struct THTTP::TSession {
    TInternetHandle Handle;
};

struct THTTP::TExchange {
    bool Answered = false;
    DWORD Error = 0;
    std::shared_ptr<THTTPResponse> Response;
    std::string Body;
};

THTTP::THTTP() : FClient(std::make_unique<TSession>())
{
    // No agent of WinHTTP's own: the User-Agent below is the only one sent.
    FClient->Handle.reset(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                      WINHTTP_NO_PROXY_BYPASS, 0));
    FHeaders = {
        {L"Accept", L"text/html,application/xhtml+xml, */*"},
        {L"Accept-Encoding", L"gzip, deflate"},
        {L"Accept-Language", L"ko-KR"},
        {L"User-Agent", L"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
                        L"Chrome/126.0.0.0 Safari/537.36"},
        {L"DNT", L"1"},
        {L"Cache-Control", L"no-cache"},
    };
}

THTTP::~THTTP() = default;

std::wstring THTTP::GetCustomHeaders(const std::wstring& name) const
{
    for (const auto& [key, value] : FHeaders)
        if (AsciiEqualsIgnoreCase(key, name))
            return value;
    return {};
}

void THTTP::SetCustomHeaders(const std::wstring& name, const std::wstring& value)
{
    auto it = std::find_if(FHeaders.begin(), FHeaders.end(),
                           [&](const auto& header) { return AsciiEqualsIgnoreCase(header.first, name); });
    if (value.empty()) {
        if (it != FHeaders.end())
            FHeaders.erase(it);
    } else if (it != FHeaders.end()) {
        it->second = value;
    } else {
        FHeaders.emplace_back(name, value);
    }
}

// One exchange with redirects followed by hand: WinHTTP's own redirect and
// cookie handling is switched off, so that every hop's cookies reach the
// jar, a POST answered by 301, 302 or 303 goes on as a GET, 307 and 308 keep
// the method and body, and at most five hops are taken. The answer to the
// sixth is returned as it is.
THTTP::TExchange THTTP::Execute(const std::wstring& method, const std::wstring& url, std::string body,
                                const std::wstring& contentType, std::ostream* sink,
                                const TDownloadProgress* progress)
{
    TExchange exchange;
    if (!FClient->Handle) {
        exchange.Error = GetLastError();
        return exchange;
    }
    std::wstring current = url;
    std::wstring verb = method;
    bool sendContentType = true;
    int redirects = 0;
    DWORD proxyScheme = 0;
    for (;;) {
        auto parts = ParseHttpUrl(current);
        if (!parts) {
            exchange.Error = ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
            return exchange;
        }
        TInternetHandle connection(WinHttpConnect(FClient->Handle.get(), parts->Host.c_str(), parts->Port, 0));
        TInternetHandle request;
        if (connection)
            request.reset(WinHttpOpenRequest(connection.get(), verb.c_str(), parts->PathAndQuery.c_str(), nullptr,
                                             WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                             parts->Secure ? WINHTTP_FLAG_SECURE : 0));
        if (!request) {
            exchange.Error = GetLastError();
            return exchange;
        }
        HINTERNET req = request.get();
        WinHttpSetTimeouts(req, FConnectionTimeout, FConnectionTimeout, SendTimeout, FResponseTimeout);
        // The receive time-out does not cover the wait for the answer's headers.
        SetDwordOption(req, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, static_cast<DWORD>(FResponseTimeout));
        SetDwordOption(req, WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_NEVER);
        SetDwordOption(req, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS);
        if (FAcceptInvalidCertificates)
            SetDwordOption(req, WINHTTP_OPTION_SECURITY_FLAGS,
                           SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                               SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE);
        if (proxyScheme)
            WinHttpSetCredentials(req, WINHTTP_AUTH_TARGET_PROXY, proxyScheme, FProxyUser.c_str(),
                                  FProxyPassword.c_str(), nullptr);

        std::vector<std::wstring> lines;
        for (const auto& [name, value] : FHeaders) {
            if (AsciiEqualsIgnoreCase(name, L"Content-Type") && (!contentType.empty() || !sendContentType))
                continue;
            lines.push_back(name + L": " + value);
        }
        if (!contentType.empty() && sendContentType)
            lines.push_back(L"Content-Type: " + contentType);
        if (std::wstring cookie = FCookies.HeaderFor(*parts); !cookie.empty())
            lines.push_back(L"Cookie: " + cookie);
        for (const auto& line : lines)
            WinHttpAddRequestHeaders(req, line.c_str(), static_cast<DWORD>(-1),
                                     WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);

        const DWORD size = static_cast<DWORD>(body.size());
        if (!WinHttpSendRequest(req, WINHTTP_NO_ADDITIONAL_HEADERS, 0, size ? body.data() : WINHTTP_NO_REQUEST_DATA,
                                size, size, 0) ||
            !WinHttpReceiveResponse(req, nullptr)) {
            exchange.Error = GetLastError();
            return exchange;
        }

        auto response = std::make_shared<THTTPResponse>();
        response->Status = static_cast<int>(NumberHeader(req, WINHTTP_QUERY_STATUS_CODE));
        response->Headers = ParseHeaders(QueryRawHeaders(req));
        response->Url = current;
        for (const auto& setCookie : response->HeaderValues(L"Set-Cookie"))
            FCookies.Store(setCookie, *parts);

        if (response->Status == 407 && !FProxyUser.empty() && proxyScheme == 0) {
            DWORD supported = 0, first = 0, target = 0;
            if (WinHttpQueryAuthSchemes(req, &supported, &first, &target) && (proxyScheme = StrongestScheme(supported)))
                continue;
        }
        if (FHandleRedirects && IsRedirect(response->Status) && redirects < MaxRedirects) {
            std::wstring next = ResolveHttpUrl(*parts, response->Header(L"Location"));
            if (!next.empty()) {
                ++redirects;
                const int status = response->Status;
                if (status == 303 ? verb != L"HEAD" : ((status == 301 || status == 302) && verb == L"POST")) {
                    verb = L"GET";
                    body.clear();
                    sendContentType = false;
                }
                current = next;
                continue;
            }
        }

        const bool gzip = Trim(response->Header(L"Content-Encoding")) == L"gzip";
        std::ostream* direct = gzip ? nullptr : sink;
        const std::int32_t total = Clamp32(NumberHeader(req, WINHTTP_QUERY_CONTENT_LENGTH));
        unsigned long long received = 0;
        std::string chunk;
        for (;;) {
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(req, &available)) {
                exchange.Error = GetLastError();
                return exchange;
            }
            if (available == 0)
                break;
            chunk.resize(std::min(available, Chunk));
            DWORD got = 0;
            if (!WinHttpReadData(req, chunk.data(), static_cast<DWORD>(chunk.size()), &got)) {
                exchange.Error = GetLastError();
                return exchange;
            }
            if (got == 0)
                break;
            if (direct)
                direct->write(chunk.data(), got);
            else
                exchange.Body.append(chunk.data(), got);
            received += got;
            if (progress && *progress)
                (*progress)(Clamp32(received), total);
        }
        if (sink && !direct) {
            auto inflated = GunzipBytes(exchange.Body);
            const std::string& bytes = inflated ? *inflated : exchange.Body;
            sink->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            exchange.Body.clear();
        }
        exchange.Answered = true;
        exchange.Response = std::move(response);
        return exchange;
    }
}

std::wstring THTTP::Request(const std::wstring& method, const std::wstring& url, std::string body,
                            const std::wstring& contentType)
{
    TExchange exchange = Execute(method, url, std::move(body), contentType, nullptr, nullptr);
    if (!exchange.Answered) {
        FStatusCode = -1;
        return FailureText(exchange.Error);
    }
    FResponse = exchange.Response;
    FStatusCode = exchange.Response->Status;
    if (method == L"DELETE")
        return {};

    std::wstring charset = CharsetOfContentType(exchange.Response->Header(L"Content-Type"));
    if (charset.empty())
        charset = FContentCharSet;
    std::wstring text;
    if (Trim(exchange.Response->Header(L"Content-Encoding")) == L"gzip") {
        auto inflated = GunzipBytes(exchange.Body);
        text = DecodeAnswerText(inflated ? *inflated : exchange.Body, charset, FDetectEncoding);
    } else {
        text = DecodeAnswerText(exchange.Body, charset, FDetectEncoding);
    }
    if (FAllowCharSet)
        FContentCharSet = charset;
    return text;
}

std::wstring THTTP::Get(const std::wstring& url)
{
    return Request(L"GET", url, {}, {});
}

std::wstring THTTP::Options(const std::wstring& url)
{
    return Request(L"OPTIONS", url, {}, {});
}

std::wstring THTTP::Post(const std::wstring& url, const std::wstring& source)
{
    if (ContentType().empty())
        SetContentType(L"application/x-www-form-urlencoded");
    return Request(L"POST", url, WideToUtf8(source), {});
}

std::wstring THTTP::Post(const std::wstring& url, const std::vector<std::wstring>& source)
{
    return Post(url, BuildFormBody(source, FContentCharSet));
}

std::wstring THTTP::Post(const std::wstring& url, const TMultipartForm& source)
{
    const std::string boundary = source.MakeBoundary();
    std::wstring contentType = L"multipart/form-data; boundary=" + Utf8ToWide(boundary);
    return Request(L"POST", url, source.Body(boundary), contentType);
}

std::wstring THTTP::Delete(const std::wstring& url)
{
    return Request(L"DELETE", url, {}, {});
}

bool THTTP::Download(const std::wstring& url, std::ostream& stream, const TDownloadProgress& proc)
{
    FReceiveProc = proc;
    TExchange exchange = Execute(L"GET", url, {}, {}, &stream, proc ? &FReceiveProc : nullptr);
    FReceiveProc = nullptr;
    return exchange.Answered && exchange.Response->Status == 200;
}

std::wstring THTTP::GetCookie() const
{
    std::wstring cookies;
    if (FResponse)
        for (const auto& setCookie : FResponse->HeaderValues(L"Set-Cookie"))
            cookies += CookiePair(setCookie) + L";";
    return cookies;
}

std::wstring THTTP::GetCookie(const std::wstring& name) const
{
    if (FResponse) {
        for (const auto& setCookie : FResponse->HeaderValues(L"Set-Cookie")) {
            std::wstring pair = CookiePair(setCookie);
            size_t equals = pair.find(L'=');
            if (equals != std::wstring::npos && Trim(std::wstring_view(pair).substr(0, equals)) == name)
                return Trim(std::wstring_view(pair).substr(equals + 1));
        }
    }
    return {};
}

void THTTP::SetCookie(const std::wstring& cookie, const std::wstring& url)
{
    if (auto parts = ParseHttpUrl(url))
        FCookies.Store(cookie, *parts);
}

// The session is opened anew with the proxy: not every WinHTTP applies a
// proxy option set on an open session. Cookies live in the jar, not in the
// session, so nothing is lost.
void THTTP::SetProxy(const std::wstring& host, int port, const std::wstring& userId, const std::wstring& userPassword)
{
    FProxyServer = host.empty() ? std::wstring() : host + L":" + std::to_wstring(port);
    FProxyUser = userId;
    FProxyPassword = userPassword;
    FClient->Handle.reset(FProxyServer.empty()
                              ? WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                            WINHTTP_NO_PROXY_BYPASS, 0)
                              : WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, FProxyServer.c_str(),
                                            WINHTTP_NO_PROXY_BYPASS, 0));
}
