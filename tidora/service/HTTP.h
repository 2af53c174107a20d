// THTTP: the program's HTTP client. Every request carries the header set of
// an ordinary desktop browser; cookies are kept, redirects followed, gzip
// and deflate answers unpacked and answer bodies returned as text. No
// operation raises: a failed request gives StatusCode -1 and the failure's
// message as its text. Built on the exchange layer of HttpExchange.h.
#pragma once

#include "CookieJar.h"
#include "HttpExchange.h"
#include "MultipartForm.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Bytes received so far and the length the server announced (0 if none).
using TDownloadProgress = std::function<void(std::int32_t received, std::int32_t total)>;

// An answer as it arrived: status, headers in their order, final address.
struct THTTPResponse {
    int Status = 0;
    std::vector<std::pair<std::wstring, std::wstring>> Headers;
    std::wstring Url;

    // First value of a header (name compared ignoring case); empty if none.
    std::wstring Header(std::wstring_view name) const;
    std::vector<std::wstring> HeaderValues(std::wstring_view name) const;
};

class THTTP {
public:
    THTTP();
    ~THTTP();
    THTTP(const THTTP&) = delete;
    THTTP& operator=(const THTTP&) = delete;

    // Any request header by name; an empty value means the header is not sent.
    std::wstring GetCustomHeaders(const std::wstring& name) const;
    void SetCustomHeaders(const std::wstring& name, const std::wstring& value);

    std::wstring Accept() const { return GetCustomHeaders(L"Accept"); }
    void SetAccept(const std::wstring& value) { SetCustomHeaders(L"Accept", value); }
    std::wstring AcceptEncoding() const { return GetCustomHeaders(L"Accept-Encoding"); }
    void SetAcceptEncoding(const std::wstring& value) { SetCustomHeaders(L"Accept-Encoding", value); }
    std::wstring AcceptLanguage() const { return GetCustomHeaders(L"Accept-Language"); }
    void SetAcceptLanguage(const std::wstring& value) { SetCustomHeaders(L"Accept-Language", value); }
    std::wstring ContentType() const { return GetCustomHeaders(L"Content-Type"); }
    void SetContentType(const std::wstring& value) { SetCustomHeaders(L"Content-Type", value); }
    std::wstring UserAgent() const { return GetCustomHeaders(L"User-Agent"); }
    void SetUserAgent(const std::wstring& value) { SetCustomHeaders(L"User-Agent", value); }

    int ConnectionTimeOut() const { return FConnectionTimeout; }
    void SetConnectionTimeOut(int milliseconds) { FConnectionTimeout = milliseconds; }
    int ResponseTimeout() const { return FResponseTimeout; }
    void SetResponseTimeout(int milliseconds) { FResponseTimeout = milliseconds; }
    bool HandleRedirects() const { return FHandleRedirects; }
    void SetHandleRedirects(bool value) { FHandleRedirects = value; }

    bool AllowCharSet() const { return FAllowCharSet; }
    void SetAllowCharSet(bool value) { FAllowCharSet = value; }
    std::wstring ContentCharSet() const { return FContentCharSet; }
    void SetContentCharSet(const std::wstring& value) { FContentCharSet = value; }
    bool DetectEncoding() const { return FDetectEncoding; }
    void SetDetectEncoding(bool value) { FDetectEncoding = value; }
    // Off unless set: a server whose certificate fails validation is refused.
    bool AcceptInvalidCertificates() const { return FAcceptInvalidCertificates; }
    void SetAcceptInvalidCertificates(bool value) { FAcceptInvalidCertificates = value; }

    int StatusCode() const { return FStatusCode; }
    std::shared_ptr<const THTTPResponse> Response() const { return FResponse; }

    std::wstring Get(const std::wstring& url);
    void Get(const std::wstring& url, std::wstring& answer) { answer = Get(url); }
    std::wstring Options(const std::wstring& url);
    void Options(const std::wstring& url, std::wstring& answer) { answer = Options(url); }
    // The text goes as UTF-8; without a Content-Type one for forms is set.
    std::wstring Post(const std::wstring& url, const std::wstring& source);
    void Post(const std::wstring& url, const std::wstring& source, std::wstring& answer) { answer = Post(url, source); }
    // name=value lines posted as a form, through the text variant.
    std::wstring Post(const std::wstring& url, const std::vector<std::wstring>& source);
    void Post(const std::wstring& url, const std::vector<std::wstring>& source, std::wstring& answer)
    {
        answer = Post(url, source);
    }
    std::wstring Post(const std::wstring& url, const TMultipartForm& source);
    void Post(const std::wstring& url, const TMultipartForm& source, std::wstring& answer)
    {
        answer = Post(url, source);
    }
    std::wstring Delete(const std::wstring& url);
    void Delete(const std::wstring& url, std::wstring& answer) { answer = Delete(url); }

    // GET into the stream; true only for status 200. Status and the last
    // answer are left as they were.
    bool Download(const std::wstring& url, std::ostream& stream, const TDownloadProgress& proc = {});

    // Cookies of the last answer: "name=value;" each, in the answer's order.
    std::wstring GetCookie() const;
    std::wstring GetCookie(const std::wstring& name) const;
    void SetCookie(const std::wstring& cookie, const std::wstring& url);
    void SetProxy(const std::wstring& host, int port, const std::wstring& userId = L"",
                  const std::wstring& userPassword = L"");

private:
    struct TExchange;
    struct TSession;
    struct THop;

    TExchange Execute(const std::wstring& method, const std::wstring& url, std::string body,
                      const std::wstring& contentType, std::ostream* sink, const TDownloadProgress* progress);
    THttpExchangeOptions HopOptions(const THop& hop, const THttpUrl& parts) const;
    std::shared_ptr<THTTPResponse> ReceiveHeaders(const THttpExchange& http, const THttpUrl& parts,
                                                  const std::wstring& url);
    bool TakeProxyCredentials(const THttpExchange& http, const THTTPResponse& response, THop& hop) const;
    bool FollowRedirect(const THttpUrl& parts, const THTTPResponse& response, THop& hop) const;
    bool ReadBody(THttpExchange& http, const THTTPResponse& response, TExchange& exchange, std::ostream* sink,
                  const TDownloadProgress* progress);
    std::wstring Request(const std::wstring& method, const std::wstring& url, std::string body,
                         const std::wstring& contentType);

    bool FAllowCharSet = false;
    std::unique_ptr<TSession> FClient;
    std::shared_ptr<const THTTPResponse> FResponse;
    TDownloadProgress FReceiveProc;
    std::wstring FContentCharSet = L"utf-8";
    int FStatusCode = 0;
    bool FDetectEncoding = false;

    std::vector<std::pair<std::wstring, std::wstring>> FHeaders;
    TCookieJar FCookies;
    int FConnectionTimeout = 60000;
    int FResponseTimeout = 60000;
    bool FHandleRedirects = true;
    bool FAcceptInvalidCertificates = false;
    std::wstring FProxyServer;  // host:port, empty for none
    std::wstring FProxyUser;
    std::wstring FProxyPassword;
};
