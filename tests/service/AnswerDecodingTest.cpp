// Turning answer bytes into text, and encoding form bodies.
#include "AnswerDecoding.h"
#include "FormEncoding.h"
#include "Text.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <optional>

namespace {

const std::wstring Korean = L"한글 답변";
const std::string KoreanUtf8 = "\xED\x95\x9C\xEA\xB8\x80 \xEB\x8B\xB5\xEB\xB3\x80";
const std::string KoreanEucKr = "\xC7\xD1\xB1\xDB \xB4\xE4\xBA\xAF";

// Packed with zlib's framing for `windowBits`: 16 + MAX_WBITS gzip,
// MAX_WBITS the zlib wrapper, -MAX_WBITS the raw deflate stream.
std::string Pack(const std::string& data, int windowBits)
{
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string Gzip(const std::string& data)
{
    return Pack(data, 16 + MAX_WBITS);
}

std::string BigText()
{
    std::string big(300000, 'x');
    for (size_t i = 0; i < big.size(); i += 7)
        big[i] = static_cast<char>('a' + i % 26);
    return big;
}

}  // namespace

TEST(CharsetOfContentType, TakesTheLowerCasedCharsetParameter)
{
    struct Case {
        const wchar_t* contentType;
        const wchar_t* charset;
    } cases[] = {
        {L"text/html; charset=EUC-KR", L"euc-kr"},
        {L"text/plain;charset=\"UTF-8\"", L"utf-8"},
        {L"application/json; foo=bar; Charset = utf-8 ", L"utf-8"},
        {L"text/html", L""},
        {L"", L""},
        {L"text/html; charset=", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CharsetOfContentType(c.contentType), c.charset) << c.contentType;
}

TEST(DecodeAnswerText, OnlyUtf8IsReadAsUtf8AndEverythingElseAsEucKr)
{
    struct Case {
        std::string bytes;
        const wchar_t* charset;
        bool detect;
        std::wstring text;
    } cases[] = {
        {KoreanUtf8, L"utf-8", false, Korean},
        {KoreanEucKr, L"euc-kr", false, Korean},
        {KoreanEucKr, L"ks_c_5601-1987", false, Korean},
        {KoreanEucKr, L"utf8", false, Korean},  // only the exact name means UTF-8
        {"plain ascii", L"iso-8859-1", false, L"plain ascii"},
        {KoreanUtf8, L"euc-kr", true, Korean},   // detection sees UTF-8
        {KoreanEucKr, L"euc-kr", true, Korean},  // and leaves EUC-KR alone
        {"", L"utf-8", false, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeAnswerText(c.bytes, c.charset, c.detect), c.text) << c.bytes;
    EXPECT_NE(DecodeAnswerText(KoreanUtf8, L"euc-kr", false), Korean);
}

TEST(GunzipBytes, InflatesGzipAndRefusesAnythingElse)
{
    const std::string big = BigText();
    EXPECT_EQ(GunzipBytes(Gzip(KoreanUtf8)), KoreanUtf8);
    EXPECT_EQ(GunzipBytes(Gzip(big)), big);
    EXPECT_EQ(GunzipBytes(Gzip("")), "");
    EXPECT_FALSE(GunzipBytes("not gzip at all"));
    std::string truncated = Gzip(big);
    truncated.resize(truncated.size() / 2);
    EXPECT_FALSE(GunzipBytes(truncated));
}

TEST(InflateDeflateBytes, TakesTheZlibFormAndTheRawFormAndRefusesAnythingElse)
{
    const std::string big = BigText();
    for (int windowBits : {MAX_WBITS, -MAX_WBITS}) {
        EXPECT_EQ(InflateDeflateBytes(Pack(KoreanUtf8, windowBits)), KoreanUtf8) << windowBits;
        EXPECT_EQ(InflateDeflateBytes(Pack(big, windowBits)), big) << windowBits;
        EXPECT_EQ(InflateDeflateBytes(Pack("", windowBits)), "") << windowBits;
        std::string truncated = Pack(big, windowBits);
        truncated.resize(truncated.size() / 2);
        EXPECT_FALSE(InflateDeflateBytes(truncated)) << windowBits;
    }
    // A zlib stream whose check sum is wrong is no zlib stream.
    std::string damaged = Pack(KoreanUtf8, MAX_WBITS);
    damaged.back() ^= 0x55;
    EXPECT_FALSE(InflateDeflateBytes(damaged));
    EXPECT_FALSE(InflateDeflateBytes("not deflate at all"));
}

TEST(UnpackContent, UnpacksByTheContentEncoding)
{
    const struct {
        const wchar_t* encoding;
        bool packed;
        std::string bytes;
        std::optional<std::string> unpacked;
    } cases[] = {
        {L"gzip", true, Gzip(KoreanUtf8), KoreanUtf8},
        {L" gzip ", true, Gzip(KoreanUtf8), KoreanUtf8},
        {L"deflate", true, Pack(KoreanUtf8, MAX_WBITS), KoreanUtf8},
        {L"deflate", true, Pack(KoreanUtf8, -MAX_WBITS), KoreanUtf8},
        {L"gzip", true, Pack(KoreanUtf8, MAX_WBITS), std::nullopt},  // the coding must match the framing
        {L"deflate", true, Gzip(KoreanUtf8), std::nullopt},
        {L"br", false, Gzip(KoreanUtf8), std::nullopt},
        {L"", false, KoreanUtf8, std::nullopt},
        {L"identity", false, KoreanUtf8, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnpackContent(c.encoding, c.bytes), c.unpacked) << c.encoding;
        EXPECT_EQ(IsPackedEncoding(c.encoding), c.packed) << c.encoding;
    }
}

TEST(FormEncoding, NamesAreUtf8PercentEncodedWithSpaceAsPlus)
{
    EXPECT_EQ(EncodeFormName(L"a b@'!$()*-._"), L"a+b@'!$()*-._");
    EXPECT_EQ(EncodeFormName(L"~&=+/?%\"#"), L"%7E%26%3D%2B%2F%3F%25%22%23");
    EXPECT_EQ(EncodeFormName(L"한"), L"%ED%95%9C");
    EXPECT_EQ(EncodeFormName(L""), L"");
}

TEST(FormEncoding, ValuesFollowTheContentCharSet)
{
    struct Case {
        const wchar_t* value;
        const wchar_t* charset;
        const wchar_t* encoded;
    } cases[] = {
        {L"홍 길동", L"utf-8", L"%ED%99%8D+%EA%B8%B8%EB%8F%99"},
        {L"a=b&c", L"utf-8", L"a%3Db%26c"},
        // Code page 949: these characters and every byte of a Hangul letter
        // are escaped, a space as %20; "-", "~", "[", ";", "," and "<" stay.
        {L"한 글", L"euc-kr", L"%C7%D1%20%B1%DB"},
        {L" @\"'.=`!#$%^&*(){}_+|\\/?:", L"euc-kr",
         L"%20%40%22%27%2E%3D%60%21%23%24%25%5E%26%2A%28%29%7B%7D%5F%2B%7C%5C%2F%3F%3A"},
        {L"-~[];,<>aZ9", L"euc-kr", L"-~[];,<>aZ9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeFormValue(c.value, c.charset), c.encoded) << c.value << L" / " << c.charset;
}

TEST(FormEncoding, BodyJoinsLinesWithAmpersands)
{
    EXPECT_EQ(BuildFormBody({L"name=홍 길동", L"flag", L"a=b=c", L"x y="}, L"utf-8"),
              L"name=%ED%99%8D+%EA%B8%B8%EB%8F%99&flag&a=b%3Dc&x+y=");
    EXPECT_EQ(BuildFormBody({L"이름=한 글", L"값 없음"}, L"euc-kr"),
              L"%EC%9D%B4%EB%A6%84=%C7%D1%20%B1%DB&%B0%AA%20%BE%F8%C0%BD");
    EXPECT_EQ(BuildFormBody({}, L"utf-8"), L"");
}
