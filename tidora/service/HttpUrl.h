// The parts of an http or https address that a request needs, and the
// resolution of a redirect's Location against the address it came from.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct THttpUrl {
    bool Secure = false;        // https
    std::wstring Host;          // lower-cased, without brackets
    unsigned short Port = 0;    // explicit or the scheme's default
    std::wstring PathAndQuery;  // begins with "/"; the fragment removed

    std::wstring Path() const;  // PathAndQuery without the query
    std::wstring Origin() const;  // scheme://host[:port]
};

// nullopt for anything but a well-formed http or https address.
std::optional<THttpUrl> ParseHttpUrl(std::wstring_view url);

// An absolute address, "//host/...", "/path" or a relative path, resolved
// against `base`; empty when the result is not an http or https address.
std::wstring ResolveHttpUrl(const THttpUrl& base, std::wstring_view reference);
