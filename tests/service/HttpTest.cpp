// THTTP against the local HTTPS test service.
#include "AnswerDecoding.h"
#include "HTTP.h"
#include "Text.h"

#include "service_client.h"
#include "test_env.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <zlib.h>

#include <sstream>

namespace {

using nlohmann::json;

std::wstring Url(const std::wstring& path)
{
    return testenv::ServiceUrl() + path;
}

std::string Narrow(const std::wstring& text)
{
    return WideToUtf8(text);
}

// What /echo saw, parsed.
json Echo(const std::wstring& answer)
{
    return json::parse(Narrow(answer), nullptr, false);
}

std::string EchoHeader(const json& echo, const std::string& name)
{
    for (const auto& pair : echo.at("headers"))
        if (_stricmp(pair.at(0).get<std::string>().c_str(), name.c_str()) == 0)
            return pair.at(1).get<std::string>();
    return {};
}

// The error number of a failed request's text, "Error sending data: (N) ...";
// -1 for any other text.
int FailureCode(const std::wstring& answer)
{
    const std::wstring prefix = L"Error sending data: (";
    if (answer.rfind(prefix, 0) != 0)
        return -1;
    const size_t close = answer.find(L") ", prefix.size());
    if (close == std::wstring::npos)
        return -1;
    return std::stoi(answer.substr(prefix.size(), close - prefix.size()));
}

std::string Base64(const std::string& bytes)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? alphabet[v & 63] : '=';
    }
    return out;
}

class HttpTest : public ::testing::Test {
protected:
    void SetUp() override { service::Reset(); }
};

}  // namespace

TEST_F(HttpTest, GetSendsTheBrowserHeaderSet)
{
    THTTP http;
    json echo = Echo(http.Get(Url(L"/echo")));
    ASSERT_TRUE(echo.is_object());
    EXPECT_EQ(http.StatusCode(), 200);
    EXPECT_EQ(echo["method"], "GET");
    EXPECT_EQ(EchoHeader(echo, "Accept"), "text/html,application/xhtml+xml, */*");
    EXPECT_EQ(EchoHeader(echo, "Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(EchoHeader(echo, "Accept-Language"), "ko-KR");
    EXPECT_EQ(EchoHeader(echo, "User-Agent"),
              "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
              "Chrome/126.0.0.0 Safari/537.36");
    EXPECT_EQ(EchoHeader(echo, "DNT"), "1");
    EXPECT_EQ(EchoHeader(echo, "Cache-Control"), "no-cache");
    EXPECT_EQ(EchoHeader(echo, "Cookie"), "");
    EXPECT_EQ(EchoHeader(echo, "Content-Type"), "");
    int agents = 0;
    for (const auto& pair : echo["headers"])
        agents += _stricmp(pair[0].get<std::string>().c_str(), "User-Agent") == 0;
    EXPECT_EQ(agents, 1);
}

TEST_F(HttpTest, CustomHeadersAreSentChangedAndRemoved)
{
    THTTP http;
    http.SetCustomHeaders(L"User-Version", L"1.2.3.4");
    http.SetUserAgent(L"Tidora test agent");
    http.SetAcceptLanguage(L"");
    EXPECT_EQ(http.GetCustomHeaders(L"user-version"), L"1.2.3.4");
    json echo = Echo(http.Get(Url(L"/echo")));
    EXPECT_EQ(EchoHeader(echo, "User-Version"), "1.2.3.4");
    EXPECT_EQ(EchoHeader(echo, "User-Agent"), "Tidora test agent");
    EXPECT_EQ(EchoHeader(echo, "Accept-Language"), "");
}

TEST_F(HttpTest, PostSendsUtf8AndSetsTheFormContentTypeOnlyWhenNoneIsSet)
{
    THTTP http;
    json echo = Echo(http.Post(Url(L"/echo"), std::wstring(L"본문 text")));
    EXPECT_EQ(echo["method"], "POST");
    EXPECT_EQ(echo["body"], "\xEB\xB3\xB8\xEB\xAC\xB8 text");
    EXPECT_EQ(EchoHeader(echo, "Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(http.ContentType(), L"application/x-www-form-urlencoded");

    THTTP json_http;
    json_http.SetContentType(L"application/json");
    echo = Echo(json_http.Post(Url(L"/echo"), std::wstring(L"[]")));
    EXPECT_EQ(EchoHeader(echo, "Content-Type"), "application/json");
}

TEST_F(HttpTest, PostOfLinesSendsAFormInEitherCodePage)
{
    THTTP http;
    json echo = Echo(http.Post(Url(L"/echo"), std::vector<std::wstring>{L"name=홍 길동", L"flag"}));
    EXPECT_EQ(echo["body"], "name=%ED%99%8D+%EA%B8%B8%EB%8F%99&flag");
    EXPECT_EQ(EchoHeader(echo, "Content-Type"), "application/x-www-form-urlencoded");

    THTTP korean;
    korean.SetContentCharSet(L"euc-kr");
    echo = Echo(korean.Post(Url(L"/echo"), std::vector<std::wstring>{L"q=한 글"}));
    EXPECT_EQ(echo["body"], "q=%C7%D1%20%B1%DB");
}

TEST_F(HttpTest, PostOfAMultipartFormCarriesItsBoundary)
{
    THTTP http;
    TMultipartForm form;
    form.AddField(L"field", L"value");
    form.AddFile(L"file", L"a.bin", std::string("\x00\x01\x02", 3));
    json echo = Echo(http.Post(Url(L"/echo"), form));
    const std::string type = EchoHeader(echo, "Content-Type");
    ASSERT_EQ(type.rfind("multipart/form-data; boundary=", 0), 0u) << type;
    const std::string boundary = type.substr(type.find('=') + 1);
    const std::string body = echo["body"];
    EXPECT_EQ(body.rfind("--" + boundary + "\r\n", 0), 0u);
    EXPECT_NE(body.find("name=\"field\"\r\n\r\nvalue\r\n"), std::string::npos);
    EXPECT_NE(body.find("filename=\"a.bin\""), std::string::npos);
    EXPECT_EQ(http.ContentType(), L"");  // the multipart type is not kept
}

TEST_F(HttpTest, OptionsAndDeleteUseTheirMethods)
{
    THTTP http;
    json echo = Echo(http.Options(Url(L"/echo")));
    EXPECT_EQ(echo["method"], "OPTIONS");
    EXPECT_EQ(http.Delete(Url(L"/echo")), L"");
    EXPECT_EQ(http.StatusCode(), 200);
    auto requests = service::Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1]["method"], "DELETE");
    std::wstring answer;
    http.Get(Url(L"/status?code=201"), answer);
    EXPECT_EQ(answer, L"status 201 body");
}

TEST_F(HttpTest, ErrorStatusesStillGiveTheirBodies)
{
    THTTP http;
    for (int code : {404, 500}) {
        EXPECT_EQ(http.Get(Url(L"/status?code=" + std::to_wstring(code))), L"status " + std::to_wstring(code) + L" body");
        EXPECT_EQ(http.StatusCode(), code);
    }
}

TEST_F(HttpTest, FollowsFiveRedirectsButNotASixth)
{
    THTTP http;
    json echo = Echo(http.Get(Url(L"/redirect?n=5&to=/echo")));
    ASSERT_TRUE(echo.is_object());
    EXPECT_EQ(echo["path"], "/echo");
    EXPECT_EQ(http.StatusCode(), 200);

    http.Get(Url(L"/redirect?n=6&to=/echo"));
    EXPECT_EQ(http.StatusCode(), 302);
    EXPECT_EQ(http.Response()->Header(L"Location"), L"/echo");  // the hop that was not taken

    http.SetHandleRedirects(false);
    http.Get(Url(L"/redirect?n=1&to=/echo"));
    EXPECT_EQ(http.StatusCode(), 302);
}

TEST_F(HttpTest, RedirectedPostsKeepOrDropTheirBodyByStatus)
{
    struct Case {
        int code;
        const char* method;
        const char* body;
    } cases[] = {{301, "GET", ""}, {302, "GET", ""}, {303, "GET", ""}, {307, "POST", "payload"}, {308, "POST", "payload"}};
    for (const auto& c : cases) {
        THTTP http;
        json echo = Echo(http.Post(Url(L"/redirect?n=1&to=/echo&code=" + std::to_wstring(c.code)),
                                   std::wstring(L"payload")));
        ASSERT_TRUE(echo.is_object()) << c.code;
        EXPECT_EQ(echo["method"], c.method) << c.code;
        EXPECT_EQ(echo["body"], c.body) << c.code;
        EXPECT_EQ(EchoHeader(echo, "Content-Type").empty(), std::string(c.method) == "GET") << c.code;
    }
}

TEST_F(HttpTest, KeepsCookiesAndReportsThoseOfTheLastAnswer)
{
    THTTP http;
    EXPECT_EQ(http.Get(Url(L"/setcookie?a=1&b=2")), L"cookie set");
    EXPECT_EQ(http.GetCookie(), L"a=1;b=2;");
    EXPECT_EQ(http.GetCookie(L"b"), L"2");
    EXPECT_EQ(http.GetCookie(L"B"), L"");

    http.SetCookie(L"c=3; Path=/", testenv::ServiceUrl());
    json echo = Echo(http.Get(Url(L"/echo")));
    EXPECT_EQ(EchoHeader(echo, "Cookie"), "a=1; b=2; c=3");
    EXPECT_EQ(http.GetCookie(), L"");

    THTTP other;
    echo = Echo(other.Get(Url(L"/echo")));
    EXPECT_EQ(EchoHeader(echo, "Cookie"), "");
}

TEST_F(HttpTest, CookiesSetOnARedirectHopAreKept)
{
    service::SetRoute({{"path", "/hop"},
                       {"status", 302},
                       {"headers", {{"Location", "/echo"}, {"Set-Cookie", "hop=yes; Path=/"}}}});
    THTTP http;
    json echo = Echo(http.Get(Url(L"/hop")));
    ASSERT_TRUE(echo.is_object());
    EXPECT_EQ(EchoHeader(echo, "Cookie"), "hop=yes");
}

// The client asks for gzip and deflate, so it unpacks both, deflate in
// the zlib-wrapped form and in the raw form that browsers accept as well.
TEST_F(HttpTest, GzipAndDeflateAnswersAreInflated)
{
    THTTP http;
    for (const wchar_t* path : {L"/gzip", L"/deflate", L"/deflate?raw=1"}) {
        EXPECT_EQ(http.Get(Url(path)), L"한글 답변") << path;
        EXPECT_EQ(http.StatusCode(), 200) << path;
    }

    // A body that does not unpack is taken as it came.
    const std::string garbage = "not deflate at all";
    service::SetRoute({{"path", "/bad-deflate"},
                       {"body_b64", Base64(garbage)},
                       {"headers", {{"Content-Encoding", "deflate"}}},
                       {"content_type", "text/plain; charset=utf-8"}});
    EXPECT_EQ(http.Get(Url(L"/bad-deflate")), L"not deflate at all");

    for (const wchar_t* form : {L"1", L"raw"}) {
        std::ostringstream stream;
        ASSERT_TRUE(http.Download(Url(L"/download?size=5000&deflate=") + form, stream)) << form;
        const std::string bytes = stream.str();
        ASSERT_EQ(bytes.size(), 5000u) << form;
        for (size_t i = 0; i < bytes.size(); i += 97)
            ASSERT_EQ(static_cast<unsigned char>(bytes[i]), (i * 7 + 3) % 256) << form << " " << i;
    }
}

TEST_F(HttpTest, DecodesByTheDeclaredOrTheDefaultCharacterSet)
{
    service::SetRoute({{"path", "/utf8-caps"}, {"body", "한글 답변"}, {"content_type", "text/plain; charset=UTF-8"}});
    service::SetRoute({{"path", "/no-charset"}, {"body", "한글 답변"}, {"content_type", "text/plain"}});
    service::SetRoute({{"path", "/no-charset-euc"}, {"body", "한글 답변"}, {"encoding", "euc-kr"},
                       {"content_type", "text/plain"}});
    THTTP http;
    EXPECT_EQ(http.Get(Url(L"/euc-kr")), L"한글 답변");
    EXPECT_EQ(http.Get(Url(L"/euc-kr?charset=EUC-KR")), L"한글 답변");
    EXPECT_EQ(http.Get(Url(L"/utf8-caps")), L"한글 답변");
    EXPECT_EQ(http.Get(Url(L"/no-charset")), L"한글 답변");
    EXPECT_EQ(http.ContentCharSet(), L"utf-8");  // not taken over without AllowCharSet

    http.SetContentCharSet(L"euc-kr");
    EXPECT_EQ(http.Get(Url(L"/no-charset-euc")), L"한글 답변");

    THTTP adopting;
    adopting.SetAllowCharSet(true);
    adopting.Get(Url(L"/euc-kr"));
    EXPECT_EQ(adopting.ContentCharSet(), L"euc-kr");
    EXPECT_EQ(adopting.Get(Url(L"/no-charset-euc")), L"한글 답변");
}

TEST_F(HttpTest, TimeOutsCoverTheWaitForHeadersAndForTheBody)
{
    for (const wchar_t* path : {L"/slow?s=4", L"/slowbody?s=4"}) {
        THTTP http;
        http.SetResponseTimeout(1000);
        const ULONGLONG started = GetTickCount64();
        std::wstring answer = http.Get(Url(path));
        EXPECT_EQ(http.StatusCode(), -1) << path;
        // A time-out (Windows 12002, Wine 10060), within the time-out's reach.
        EXPECT_THAT(FailureCode(answer), ::testing::AnyOf(12002, 10060)) << path << L": " << answer;
        EXPECT_LT(GetTickCount64() - started, 3500u) << path;
    }
    THTTP patient;
    patient.SetResponseTimeout(5000);
    EXPECT_EQ(patient.Get(Url(L"/slow?s=1")), L"slow answer");
}

TEST_F(HttpTest, FailuresGiveMinusOneAndAMessage)
{
    const struct {
        std::wstring url;
        std::vector<int> codes;  // the error numbers Windows and Wine give
    } failures[] = {
        {testenv::WrongHostUrl() + L"/echo", {12175, 12157}},  // certificate for another host
        {L"http://127.0.0.1:1/echo", {12029}},                 // nobody listens
        {L"ftp://localhost/echo", {12006}},                    // not an HTTP address
        {L"not an address", {12006}},
    };
    for (const auto& f : failures) {
        THTTP http;
        std::wstring answer = http.Get(f.url);
        EXPECT_EQ(http.StatusCode(), -1) << f.url;
        EXPECT_THAT(f.codes, ::testing::Contains(FailureCode(answer))) << f.url << L": " << answer;
        EXPECT_EQ(answer.find(L"\"pk\""), std::wstring::npos);
    }
}

TEST_F(HttpTest, AnInvalidCertificateIsAcceptedOnlyWhenAskedFor)
{
    THTTP http;
    EXPECT_FALSE(http.AcceptInvalidCertificates());
    http.Get(testenv::WrongHostUrl() + L"/echo");
    EXPECT_EQ(http.StatusCode(), -1);
    http.SetAcceptInvalidCertificates(true);
    json echo = Echo(http.Get(testenv::WrongHostUrl() + L"/echo"));
    EXPECT_EQ(http.StatusCode(), 200);
    EXPECT_EQ(echo["path"], "/echo");
}

TEST_F(HttpTest, DownloadWritesTheBodyAndReportsProgress)
{
    THTTP http;
    http.Get(Url(L"/status?code=404"));
    std::ostringstream stream;
    std::vector<std::pair<int, int>> progress;
    ASSERT_TRUE(http.Download(Url(L"/download?size=300000"), stream,
                              [&](std::int32_t received, std::int32_t total) { progress.emplace_back(received, total); }));
    const std::string bytes = stream.str();
    ASSERT_EQ(bytes.size(), 300000u);
    for (size_t i = 0; i < bytes.size(); i += 997)
        ASSERT_EQ(static_cast<unsigned char>(bytes[i]), (i * 7 + 3) % 256) << i;
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(300000, 300000));
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_GT(progress[i].first, progress[i - 1].first);
    EXPECT_EQ(http.StatusCode(), 404);  // a download leaves them as they were
    EXPECT_EQ(http.Response()->Status, 404);

    std::ostringstream inflated;
    EXPECT_TRUE(http.Download(Url(L"/download?size=5000&gzip=1"), inflated));
    EXPECT_EQ(inflated.str().size(), 5000u);

    std::ostringstream missing;
    EXPECT_FALSE(http.Download(Url(L"/status?code=404"), missing));
    EXPECT_FALSE(http.Download(L"http://127.0.0.1:1/x", missing));
}

TEST_F(HttpTest, SetProxySendsRequestsThroughTheProxyWithItsCredentials)
{
    const std::wstring proxyHost = L"127.0.0.1";
    const int proxyPort = testenv::ServicePort() + 2;
    THTTP http;
    http.SetProxy(proxyHost, proxyPort);
    const std::wstring answer = http.Get(L"http://proxied.invalid/echo");
    json echo = Echo(answer);
    ASSERT_TRUE(echo.is_object()) << answer;
    // The request line names the whole address (some stacks add the port).
    const std::string path = echo["path"];
    EXPECT_EQ(path.rfind("http://proxied.invalid", 0), 0u) << path;
    EXPECT_TRUE(path.ends_with("/echo")) << path;

    THTTP withCredentials;
    withCredentials.SetProxy(proxyHost, proxyPort, L"user", L"pw");
    echo = Echo(withCredentials.Get(L"http://proxied.invalid/proxy-auth"));
    ASSERT_TRUE(echo.is_object()) << withCredentials.StatusCode();
    EXPECT_EQ(EchoHeader(echo, "Proxy-Authorization"), "Basic dXNlcjpwdw==");
}
