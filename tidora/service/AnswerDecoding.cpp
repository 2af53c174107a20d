#include "AnswerDecoding.h"

#include "Text.h"
#include "Utf8Detect.h"

#include <windows.h>
#include <zlib.h>

#include <sstream>

std::wstring CharsetOfContentType(std::wstring_view contentType)
{
    // Parameters follow the media type, each introduced by ";".
    size_t at = contentType.find(L';');
    while (at != std::wstring_view::npos) {
        size_t next = contentType.find(L';', at + 1);
        std::wstring parameter = Trim(contentType.substr(at + 1, next == std::wstring_view::npos ? next : next - at - 1));
        size_t equals = parameter.find(L'=');
        if (equals != std::wstring::npos && AsciiEqualsIgnoreCase(Trim(parameter.substr(0, equals)), L"charset")) {
            std::wstring value = Trim(parameter.substr(equals + 1));
            if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
                value = value.substr(1, value.size() - 2);
            for (auto& c : value)
                c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
            return value;
        }
        at = next;
    }
    return {};
}

std::optional<std::string> GunzipBytes(std::string_view bytes)
{
    z_stream stream{};
    // 16 + window bits: gzip framing only.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return std::nullopt;
    std::string out;
    char chunk[65536];
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof(chunk);
        status = inflate(&stream, Z_NO_FLUSH);
        out.append(chunk, sizeof(chunk) - stream.avail_out);
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            break;  // truncated input
        // Concatenated gzip members are one body.
        if (status == Z_STREAM_END && stream.avail_in > 0) {
            inflateReset(&stream);
            status = Z_OK;
        }
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        return std::nullopt;
    return out;
}

// Code page 51949 is EUC-KR proper; where the system lacks it, the Korean
// ANSI code page 949 is its superset and decodes the same bytes alike.
unsigned EucKrCodePage()
{
    static const unsigned codePage = IsValidCodePage(51949) ? 51949u : 949u;
    return codePage;
}

std::wstring DecodeAnswerText(std::string_view bytes, std::wstring_view charset, bool detectEncoding)
{
    if (charset == L"utf-8")
        return Utf8ToWide(bytes);
    if (detectEncoding) {
        std::istringstream start{std::string(bytes)};
        if (IsUTF8Stream(start, 4000))
            return Utf8ToWide(bytes);
    }
    return DecodeBytes(bytes, EucKrCodePage());
}
