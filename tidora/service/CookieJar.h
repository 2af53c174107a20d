// The cookies of one HTTP client: stored from answers, sent with requests.
#pragma once

#include "HttpUrl.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TCookieJar {
public:
    // Stores a cookie in Set-Cookie syntax as if `from` had sent it. An
    // expired cookie removes the stored one of the same name, domain and path.
    void Store(std::wstring_view setCookie, const THttpUrl& from);
    // "name=value; name=value" for a request to `to`; empty when none applies.
    std::wstring HeaderFor(const THttpUrl& to) const;

private:
    struct TCookie {
        std::wstring Name;
        std::wstring Value;
        std::wstring Domain;
        std::wstring Path;
        bool HostOnly = true;
        bool Secure = false;
        std::uint64_t Expires = 0;  // FILETIME ticks; 0 for a session cookie
    };
    std::vector<TCookie> FCookies;
};
