// The one WinHTTP layer of the program: a session, and one request/answer
// exchange on it in named steps (open, send, read the answer's headers, read
// the body). THTTP builds cookies, redirects and decoding on top of it; the
// start-up request uses it as it is. Any thread may use it; one exchange
// belongs to one thread.
#pragma once

#include "HttpUrl.h"
#include "Win32Handles.h"

#include <windows.h>
#include <winhttp.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A session with WinHTTP's default proxy, or the named one ("host:port").
// A null agent sends no User-Agent of WinHTTP's own.
TWinHttpHandle OpenHttpSession(const wchar_t* agent, const std::wstring& proxy = {});

struct THttpExchangeOptions {
    std::wstring Method = L"GET";
    DWORD ResolveTimeout = 60000;
    DWORD ConnectTimeout = 60000;
    DWORD SendTimeout = 60000;
    // Bounds every read of the answer, the wait for its headers included.
    DWORD ReceiveTimeout = 60000;
    // Redirects and cookies are left to the caller instead of to WinHTTP.
    bool ManualRedirectsAndCookies = false;
    // A certificate that fails validation is accepted.
    bool AcceptInvalidCertificates = false;
    // Credentials for the proxy; the scheme 0 sends none.
    DWORD ProxyAuthScheme = 0;
    std::wstring ProxyUser;
    std::wstring ProxyPassword;
    // "Name: value" lines, added in this order.
    std::vector<std::wstring> HeaderLines;
};

class THttpExchange {
public:
    // Connects to the address's host and opens the request with the options.
    bool Open(HINTERNET session, const THttpUrl& url, const THttpExchangeOptions& options);
    // Sends the request with its body and waits for the answer's headers.
    bool Send(std::string_view body);

    int Status() const;
    // The answer's headers after the status line, in their order.
    std::vector<std::pair<std::wstring, std::wstring>> Headers() const;
    // The announced Content-Length; 0 when there is none.
    DWORD ContentLength() const;
    // The authentication schemes the proxy offers (after a 407); 0 if none.
    DWORD ProxySchemes() const;

    // Reads the body to its end, handing each piece to `piece` as it comes.
    bool ReadBody(const std::function<void(const char* data, DWORD size)>& piece);

    // The WinHTTP error of the step that failed.
    DWORD Error() const { return FError; }

private:
    bool Fail();
    DWORD NumberHeader(DWORD query) const;

    TWinHttpHandle FConnection;
    TWinHttpHandle FRequest;
    DWORD FError = 0;
};
