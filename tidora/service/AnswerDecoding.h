// Turning the bytes of an HTTP answer into text: the declared character set,
// gzip transfer compression, and the two code pages the client knows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The "charset" parameter of a Content-Type value, lower-cased and without
// quotes; empty when the value declares none.
std::wstring CharsetOfContentType(std::wstring_view contentType);

// The bytes inflated from gzip framing; nullopt when they are not gzip.
std::optional<std::string> GunzipBytes(std::string_view bytes);

// "utf-8" decodes as UTF-8, any other character set as EUC-KR. With
// `detectEncoding`, a body in another set whose start is UTF-8 is read as UTF-8.
std::wstring DecodeAnswerText(std::string_view bytes, std::wstring_view charset, bool detectEncoding = false);

// The Windows code page used for EUC-KR answers on this system.
unsigned EucKrCodePage();
