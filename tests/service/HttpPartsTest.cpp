// Addresses, cookies and multipart bodies of the HTTP client.
#include "CookieJar.h"
#include "HttpUrl.h"
#include "MultipartForm.h"

#include <gtest/gtest.h>

namespace {

THttpUrl Url(const wchar_t* text)
{
    auto url = ParseHttpUrl(text);
    EXPECT_TRUE(url) << text;
    return url.value_or(THttpUrl{});
}

}  // namespace

TEST(ParseHttpUrl, SplitsHttpAndHttpsAddresses)
{
    struct Case {
        const wchar_t* text;
        bool secure;
        const wchar_t* host;
        unsigned short port;
        const wchar_t* path;
    } cases[] = {
        {L"https://Tidora.Example.kr/report.php", true, L"tidora.example.kr", 443, L"/report.php"},
        {L"http://localhost:8080", false, L"localhost", 8080, L"/"},
        {L"HTTPS://localhost:47443/?report=12#top", true, L"localhost", 47443, L"/?report=12"},
        {L"http://user:pw@host/a/b?c=d", false, L"host", 80, L"/a/b?c=d"},
        {L"http://[::1]:81/x", false, L"::1", 81, L"/x"},
        {L"http://host?q=1", false, L"host", 80, L"/?q=1"},
    };
    for (const auto& c : cases) {
        auto url = ParseHttpUrl(c.text);
        ASSERT_TRUE(url) << c.text;
        EXPECT_EQ(url->Secure, c.secure) << c.text;
        EXPECT_EQ(url->Host, c.host) << c.text;
        EXPECT_EQ(url->Port, c.port) << c.text;
        EXPECT_EQ(url->PathAndQuery, c.path) << c.text;
    }
    for (const wchar_t* bad : {L"ftp://host/", L"file:///C:/x", L"https://", L"http://host:99999/", L"http://host:x/",
                               L"javascript:alert(1)", L""})
        EXPECT_FALSE(ParseHttpUrl(bad)) << bad;
}

TEST(ResolveHttpUrl, ResolvesEveryKindOfLocation)
{
    const THttpUrl base = Url(L"https://localhost:47443/dir/page.php?x=1");
    struct Case {
        const wchar_t* location;
        const wchar_t* resolved;
    } cases[] = {
        {L"http://other/a", L"http://other/a"},
        {L"//other:5/b", L"https://other:5/b"},
        {L"/echo", L"https://localhost:47443/echo"},
        {L"next.php", L"https://localhost:47443/dir/next.php"},
        {L"?y=2", L"https://localhost:47443/dir/page.php?y=2"},
        {L"ftp://x/", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveHttpUrl(base, c.location), c.resolved) << c.location;
    EXPECT_EQ(Url(L"https://h/").Origin(), L"https://h");
    EXPECT_EQ(Url(L"http://h:8080/").Origin(), L"http://h:8080");
}

TEST(CookieJar, SendsCookiesWhereTheirDomainPathAndSchemeAllow)
{
    TCookieJar jar;
    const THttpUrl from = Url(L"https://www.example.kr/account/login");
    jar.Store(L"sid=abc; Path=/; HttpOnly", from);
    jar.Store(L"area=account", from);  // default path: /account
    jar.Store(L"wide=1; Domain=.example.kr; Path=/", from);
    jar.Store(L"safe=2; Secure", from);
    jar.Store(L"foreign=3; Domain=other.kr", from);  // not this host's to set

    EXPECT_EQ(jar.HeaderFor(Url(L"https://www.example.kr/account/x")), L"sid=abc; area=account; wide=1; safe=2");
    EXPECT_EQ(jar.HeaderFor(Url(L"https://www.example.kr/accounts")), L"sid=abc; wide=1");
    EXPECT_EQ(jar.HeaderFor(Url(L"http://www.example.kr/account/")), L"sid=abc; area=account; wide=1");
    EXPECT_EQ(jar.HeaderFor(Url(L"https://img.example.kr/")), L"wide=1");
    EXPECT_EQ(jar.HeaderFor(Url(L"https://other.kr/")), L"");
}

TEST(CookieJar, ReplacesAndExpiresCookies)
{
    TCookieJar jar;
    const THttpUrl from = Url(L"http://localhost/");
    jar.Store(L"a=1", from);
    jar.Store(L"b=2", from);
    jar.Store(L"a=changed", from);
    EXPECT_EQ(jar.HeaderFor(from), L"a=changed; b=2");
    jar.Store(L"a=; Max-Age=0", from);
    EXPECT_EQ(jar.HeaderFor(from), L"b=2");
    jar.Store(L"b=; Expires=Thu, 01 Jan 1970 00:00:00 GMT", from);
    EXPECT_EQ(jar.HeaderFor(from), L"");
    jar.Store(L"c=3; Expires=Fri, 31 Dec 2100 23:59:59 GMT", from);
    jar.Store(L"garbage without equals", from);
    EXPECT_EQ(jar.HeaderFor(from), L"c=3");
}

TEST(MultipartForm, WritesFieldsAndFilesBetweenBoundaries)
{
    TMultipartForm form;
    form.AddField(L"name", L"한글");
    form.AddFile(L"upload", L"a\"b.txt", "file\r\ncontent", L"text/plain");
    const std::string boundary = form.MakeBoundary();
    EXPECT_EQ(form.Body(boundary),
              "--" + boundary + "\r\nContent-Disposition: form-data; name=\"name\"\r\n\r\n\xED\x95\x9C\xEA\xB8\x80\r\n"
              "--" + boundary + "\r\nContent-Disposition: form-data; name=\"upload\"; filename=\"a%22b.txt\"\r\n"
              "Content-Type: text/plain\r\n\r\nfile\r\ncontent\r\n--" + boundary + "--\r\n");
}
