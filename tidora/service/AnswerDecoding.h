// Turning the bytes of an HTTP answer into text: the declared character set,
// gzip and deflate content codings, and the two code pages the client knows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The "charset" parameter of a Content-Type value, lower-cased and without
// quotes; empty when the value declares none.
std::wstring CharsetOfContentType(std::wstring_view contentType);

// The bytes inflated from gzip framing; nullopt when they are not gzip.
std::optional<std::string> GunzipBytes(std::string_view bytes);
// The bytes of a "deflate" body inflated: the zlib-wrapped form, or the raw
// deflate stream that some servers send instead; nullopt when neither.
std::optional<std::string> InflateDeflateBytes(std::string_view bytes);

// A Content-Encoding value that the client unpacks ("gzip" or "deflate").
bool IsPackedEncoding(std::wstring_view contentEncoding);
// The body unpacked by its Content-Encoding; nullopt for any other coding
// or for bytes that do not unpack.
std::optional<std::string> UnpackContent(std::wstring_view contentEncoding, std::string_view bytes);

// "utf-8" decodes as UTF-8, any other character set as EUC-KR. With
// `detectEncoding`, a body in another set whose start is UTF-8 is read as UTF-8.
std::wstring DecodeAnswerText(std::string_view bytes, std::wstring_view charset, bool detectEncoding = false);

// The Windows code page used for EUC-KR answers on this system.
unsigned EucKrCodePage();
