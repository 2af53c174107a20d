#include "HTTP.h"

#include "AnswerDecoding.h"
#include "FormEncoding.h"
#include "HttpExchange.h"
#include "HttpUrl.h"
#include "Text.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>

namespace {

constexpr int MaxRedirects = 5;
constexpr DWORD SendTimeout = 60000;

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
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

// The body unpacked by its Content-Encoding; as it came when it is not
// packed or does not unpack.
std::string Unpacked(const THTTPResponse& response, const std::string& body)
{
    auto unpacked = UnpackContent(response.Header(L"Content-Encoding"), body);
    return unpacked ? std::move(*unpacked) : body;
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
    TWinHttpHandle Handle;
};

// Where the next hop of an exchange goes and what it carries.
struct THTTP::THop {
    std::wstring Url;
    std::wstring Method;
    std::string Body;
    std::wstring ContentType;     // a Content-Type for this exchange alone; empty for none
    bool SendContentType = true;  // off once a redirect has turned the request into a GET
    int Redirects = 0;
    DWORD ProxyScheme = 0;
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
    FClient->Handle = OpenHttpSession(nullptr);
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
    THop hop{url, method, std::move(body), contentType};
    for (;;) {
        TExchange exchange;
        auto parts = ParseHttpUrl(hop.Url);
        if (!parts) {
            exchange.Error = ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
            return exchange;
        }
        THttpExchange http;
        if (!http.Open(FClient->Handle.Get(), *parts, HopOptions(hop, *parts)) || !http.Send(hop.Body)) {
            exchange.Error = http.Error();
            return exchange;
        }
        auto response = ReceiveHeaders(http, *parts, hop.Url);
        if (TakeProxyCredentials(http, *response, hop) || FollowRedirect(*parts, *response, hop))
            continue;
        if (!ReadBody(http, *response, exchange, sink, progress))
            return exchange;
        exchange.Answered = true;
        exchange.Response = std::move(response);
        return exchange;
    }
}

// The open step: the request options of one hop, the client's header set
// with the exchange's own Content-Type and the jar's cookies for the host.
THttpExchangeOptions THTTP::HopOptions(const THop& hop, const THttpUrl& parts) const
{
    THttpExchangeOptions options;
    options.Method = hop.Method;
    options.ResolveTimeout = static_cast<DWORD>(FConnectionTimeout);
    options.ConnectTimeout = static_cast<DWORD>(FConnectionTimeout);
    options.SendTimeout = SendTimeout;
    options.ReceiveTimeout = static_cast<DWORD>(FResponseTimeout);
    options.ManualRedirectsAndCookies = true;
    options.AcceptInvalidCertificates = FAcceptInvalidCertificates;
    if (hop.ProxyScheme) {
        options.ProxyAuthScheme = hop.ProxyScheme;
        options.ProxyUser = FProxyUser;
        options.ProxyPassword = FProxyPassword;
    }
    for (const auto& [name, value] : FHeaders) {
        if (AsciiEqualsIgnoreCase(name, L"Content-Type") && (!hop.ContentType.empty() || !hop.SendContentType))
            continue;
        options.HeaderLines.push_back(name + L": " + value);
    }
    if (!hop.ContentType.empty() && hop.SendContentType)
        options.HeaderLines.push_back(L"Content-Type: " + hop.ContentType);
    if (std::wstring cookie = FCookies.HeaderFor(parts); !cookie.empty())
        options.HeaderLines.push_back(L"Cookie: " + cookie);
    return options;
}

// The answer's status and headers; every hop's cookies go to the jar.
std::shared_ptr<THTTPResponse> THTTP::ReceiveHeaders(const THttpExchange& http, const THttpUrl& parts,
                                                     const std::wstring& url)
{
    auto response = std::make_shared<THTTPResponse>();
    response->Status = http.Status();
    response->Headers = http.Headers();
    response->Url = url;
    for (const auto& setCookie : response->HeaderValues(L"Set-Cookie"))
        FCookies.Store(setCookie, parts);
    return response;
}

// A proxy that asks for credentials gets them once, by its strongest
// scheme; true when the hop is to be sent again.
bool THTTP::TakeProxyCredentials(const THttpExchange& http, const THTTPResponse& response, THop& hop) const
{
    if (response.Status != 407 || FProxyUser.empty() || hop.ProxyScheme != 0)
        return false;
    hop.ProxyScheme = StrongestScheme(http.ProxySchemes());
    return hop.ProxyScheme != 0;
}

// True when the answer sends the exchange on to its Location: the hop then
// names the next address, and the method and body it goes with.
bool THTTP::FollowRedirect(const THttpUrl& parts, const THTTPResponse& response, THop& hop) const
{
    if (!FHandleRedirects || !IsRedirect(response.Status) || hop.Redirects >= MaxRedirects)
        return false;
    std::wstring next = ResolveHttpUrl(parts, response.Header(L"Location"));
    if (next.empty())
        return false;
    ++hop.Redirects;
    const int status = response.Status;
    if (status == 303 ? hop.Method != L"HEAD" : ((status == 301 || status == 302) && hop.Method == L"POST")) {
        hop.Method = L"GET";
        hop.Body.clear();
        hop.SendContentType = false;
    }
    hop.Url = std::move(next);
    return true;
}

// The body into the exchange, or into the sink as it arrives. A packed body
// is collected whole and unpacked into the sink at the end.
bool THTTP::ReadBody(THttpExchange& http, const THTTPResponse& response, TExchange& exchange, std::ostream* sink,
                     const TDownloadProgress* progress)
{
    const bool packed = IsPackedEncoding(response.Header(L"Content-Encoding"));
    std::ostream* direct = packed ? nullptr : sink;
    const std::int32_t total = Clamp32(http.ContentLength());
    unsigned long long received = 0;
    const bool complete = http.ReadBody([&](const char* data, DWORD size) {
        if (direct)
            direct->write(data, size);
        else
            exchange.Body.append(data, size);
        received += size;
        if (progress && *progress)
            (*progress)(Clamp32(received), total);
    });
    if (!complete) {
        exchange.Error = http.Error();
        return false;
    }
    if (sink && !direct) {
        const std::string bytes = Unpacked(response, exchange.Body);
        sink->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        exchange.Body.clear();
    }
    return true;
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
    const std::wstring text =
        DecodeAnswerText(Unpacked(*exchange.Response, exchange.Body), charset, FDetectEncoding);
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
    FClient->Handle = OpenHttpSession(nullptr, FProxyServer);
}
