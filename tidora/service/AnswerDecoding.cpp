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

namespace {

// Inflates one stream of the framing that `windowBits` selects. With
// `members`, streams that follow one another are one body (gzip members);
// otherwise whatever follows the end of the stream is ignored.
std::optional<std::string> Inflate(std::string_view bytes, int windowBits, bool members)
{
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK)
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
        if (members && status == Z_STREAM_END && stream.avail_in > 0) {
            inflateReset(&stream);
            status = Z_OK;
        }
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::string> GunzipBytes(std::string_view bytes)
{
    // 16 + window bits: gzip framing only.
    return Inflate(bytes, 16 + MAX_WBITS, true);
}

// HTTP's "deflate" is the zlib format, but servers have long sent the bare
// deflate stream under that name, and browsers accept both: the zlib header
// is tried first, and the raw stream (negative window bits) when it fails.
std::optional<std::string> InflateDeflateBytes(std::string_view bytes)
{
    if (auto wrapped = Inflate(bytes, MAX_WBITS, false))
        return wrapped;
    return Inflate(bytes, -MAX_WBITS, false);
}

// Compared as the client has always compared "gzip": exactly, after trimming.
bool IsPackedEncoding(std::wstring_view contentEncoding)
{
    const std::wstring coding = Trim(contentEncoding);
    return coding == L"gzip" || coding == L"deflate";
}

std::optional<std::string> UnpackContent(std::wstring_view contentEncoding, std::string_view bytes)
{
    const std::wstring coding = Trim(contentEncoding);
    if (coding == L"gzip")
        return GunzipBytes(bytes);
    if (coding == L"deflate")
        return InflateDeflateBytes(bytes);
    return std::nullopt;
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
