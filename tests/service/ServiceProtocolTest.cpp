// Requests to the service: identification, addresses, what is read from
// answers, and RequestService against the local test service.
#include <windows.h>

#include "HTTP.h"
#include "InstallId.h"
#include "ServiceProtocol.h"
#include "StartupAnswer.h"
#include "Text.h"
#include "Translation.h"

#include "service_client.h"
#include "test_env.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cwctype>

namespace {

// Keeps HKCU\Software\Morvane "MUID" as it was before the test.
class InstallIdKeeper {
public:
    InstallIdKeeper() { FSaved = Read(); }
    ~InstallIdKeeper()
    {
        if (FSaved.empty())
            Delete();
        else
            RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Morvane", L"MUID", REG_SZ, FSaved.c_str(),
                            static_cast<DWORD>((FSaved.size() + 1) * sizeof(wchar_t)));
    }
    static void Delete() { RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Morvane", L"MUID"); }
    static std::wstring Read()
    {
        wchar_t buffer[256] = {};
        DWORD size = sizeof(buffer);
        if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Morvane", L"MUID", RRF_RT_REG_SZ, nullptr, buffer, &size) !=
            ERROR_SUCCESS)
            return {};
        return buffer;
    }

private:
    std::wstring FSaved;
};

std::wstring Two(int value)
{
    wchar_t text[8];
    swprintf(text, 8, L"%02d", value % 100);
    return text;
}

std::string Header(const nlohmann::json& request, const char* name)
{
    return service::Header(request, name);
}

}  // namespace

TEST(MakeInstallId, HasThirtyTwoHexDigitsWithDateAndTimeInPlace)
{
    SYSTEMTIME before;
    GetLocalTime(&before);
    const std::wstring id = MakeInstallId();
    ASSERT_EQ(id.size(), 32u) << id;
    for (wchar_t c : id)
        EXPECT_TRUE((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F')) << id;
    // Characters 9 to 14 are the date, 19 to 24 the time (counted from 1).
    EXPECT_EQ(id.substr(8, 6), Two(before.wYear) + Two(before.wMonth) + Two(before.wDay)) << id;
    const std::wstring time = id.substr(18, 6);
    const int seconds = std::stoi(time.substr(0, 2)) * 3600 + std::stoi(time.substr(2, 2)) * 60 + std::stoi(time.substr(4, 2));
    const int expected = before.wHour * 3600 + before.wMinute * 60 + before.wSecond;
    EXPECT_LE(seconds - expected, 1) << id;
    EXPECT_GE(seconds - expected, 0) << id;
    EXPECT_NE(MakeInstallId(), id);
}

TEST(ReadInstallId, MakesTheIdOnceAndThenKeepsIt)
{
    InstallIdKeeper keeper;
    InstallIdKeeper::Delete();
    const std::wstring first = ReadInstallId();
    EXPECT_EQ(first.size(), 32u);
    EXPECT_EQ(InstallIdKeeper::Read(), first);
    EXPECT_EQ(ReadInstallId(), first);

    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Morvane", L"MUID", REG_SZ, L"kept as it is",
                    static_cast<DWORD>(sizeof(L"kept as it is")));
    EXPECT_EQ(ReadInstallId(), L"kept as it is");
}

TEST(MainExeVersion, FormatsTheProgramsOwnFileVersion)
{
    EXPECT_EQ(MainExeVersion(), L"3.7.12.345");
    EXPECT_EQ(MainExeVersion(L"%d.%d"), L"3.7");
    EXPECT_EQ(MainExeVersion(L"v%d-%d-%d-%d-%d %s"), L"v3-7-12-345-0 %s");
}

TEST(IdentificationHeaders, EachRequestHasItsOwnSetInOrder)
{
    InstallIdKeeper keeper;
    SetCurrentLanguage(L"ko");
    const std::wstring id = ReadInstallId();
    EXPECT_EQ(StartupHeaders(), (THeaderPairs{{L"User-Version", L"3.7.12.345"},
                                              {L"User-Language", L"ko"},
                                              {L"User-Debug", L"false"},
                                              {L"User-Union", id}}));
    EXPECT_EQ(HoldHeaders(), (THeaderPairs{{L"User-Version", L"3.7.12.345"}, {L"User-Command", L"hold"}}));
    EXPECT_EQ(ReportHeaders(), (THeaderPairs{{L"User-Version", L"3.7.12.345"}, {L"User-Union", id}}));
}

TEST(ServiceAddresses, PointAtTheProductWebSite)
{
    const std::wstring site = testenv::ServiceUrl();
    EXPECT_EQ(StartupAddress(), site + L"/api.init.php");
    EXPECT_EQ(ReportAddress(), site + L"/report.php");
    EXPECT_EQ(ResultPageAddress(L"12345"), site + L"/?report=12345");
    EXPECT_EQ(ResultPageAddress(L""), L"");
    EXPECT_EQ(ResultPageAddress(L"abc", L"https://example.kr"), L"https://example.kr/?report=abc");
}

TEST(ReadReportKey, FindsPkInRealAnswers)
{
    struct Case {
        const wchar_t* answer;
        const wchar_t* key;
    } cases[] = {
        {L"{\"result\":\"ok\",\"pk\":\"12345\"}", L"12345"},
        {L"{\"PK\":\"abc\",\"pk\":\"later\"}", L"abc"},  // markers ignore case; the first counts
        {L"{\"pk\":\"a\\\"b\"}", L"a\\\"b"},            // an escaped quote does not end the value
        {L"{\"pk\": \"12\"}", L""},                      // a blank after the colon is not found
        {L"{\"pk\":\"\"}", L""},
        {L"<html>502 Bad Gateway</html>", L""},
        {L"Error sending data: (12029) cannot connect", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadReportKey(c.answer), c.key) << c.answer;
}

TEST(PercentEncodeKey, EncodesEverythingButUnreservedCharacters)
{
    struct Case {
        const wchar_t* key;
        const wchar_t* encoded;
    } cases[] = {
        {L"12345", L"12345"},
        {L"AZaz09-._~", L"AZaz09-._~"},
        {L"a b&c=d/e?f#g", L"a%20b%26c%3Dd%2Fe%3Ff%23g"},
        {L"\"x\"", L"%22x%22"},
        {L"한", L"%ED%95%9C"},
        {L"%41", L"%2541"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PercentEncodeKey(c.key), c.encoded) << c.key;
}

TEST(WebAddressOrEmpty, LetsOnlyWebAddressesThrough)
{
    for (const wchar_t* kept : {L"https://tidora.example.kr/download", L"http://x/", L"HTTPS://X/"})
        EXPECT_EQ(WebAddressOrEmpty(kept), kept);
    for (const wchar_t* dropped : {L"C:\\Windows\\System32\\calc.exe", L"file:///C:/x.exe", L"javascript:alert(1)",
                                   L"ftp://host/", L" https://leading.blank/", L"httpsx://", L""})
        EXPECT_EQ(WebAddressOrEmpty(dropped), L"") << dropped;
}

TEST(StartupAnswer, ReadsUpdateAndInfoFromRealAnswers)
{
    const std::wstring answer =
        L"{\"update\":\"https:\\/\\/tidora.example.kr\\/Tidora_Setup.exe\",\"info\":{\"style\":\"hold\","
        L"\"text\":\"\\uB2E4\\uC74C\\uC5D0 \\\"\\uC54C\\uB9BC\\\"\",\"flag\":\"x,stayontop\",\"url\":\"https:\\/\\/n.kr\\/a\"},"
        L"\"file_white\":[\"new.exe*\"]}";
    EXPECT_EQ(ReadUpdateAddress(answer), L"https://tidora.example.kr/Tidora_Setup.exe");
    const TNoticeInfo info = ReadNoticeInfo(answer);
    EXPECT_EQ(info.Style, L"hold");
    EXPECT_EQ(info.Text, L"다음에 \"알림\"");
    EXPECT_EQ(info.Flag, L"x,stayontop");
    EXPECT_EQ(info.Url, L"https://n.kr/a");

    EXPECT_EQ(ReadUpdateAddress(L"{\"Update\":\"http://x/\"}"), L"http://x/");
    EXPECT_EQ(ReadUpdateAddress(L"{\"update\": \"http://x/\"}"), L"");
    EXPECT_EQ(ReadUpdateAddress(L"{\"update\":\"\"}"), L"");
    EXPECT_EQ(ReadUpdateAddress(L"{\"update\":\"C:\\\\Windows\\\\notepad.exe\"}"), L"");
    EXPECT_EQ(ReadNoticeInfo(L"{\"info\":{\"style\":\"note\",\"url\":\"file:///C:/x\"}}").Url, L"");
    EXPECT_EQ(ReadNoticeInfo(L"{\"update\":\"http://x/\"}").Style, L"");
}

TEST(StartupAnswer, MergesTheListAdditionsOfAJsonObjectOnly)
{
    TNameList fileWhite, nameWhite, nameBlack;
    fileWhite.Add(L"chrome.exe*");
    MergeStartupLists(L"{\"file_white\":[\"CHROME.EXE*\",\"new.exe*\"],\"name_white\":[\"Svc\"],"
                      L"\"name_black\":[\"보안 모듈\"],\"update\":\"\"}",
                      fileWhite, nameWhite, nameBlack);
    EXPECT_EQ(fileWhite.Items(), (std::vector<std::wstring>{L"chrome.exe*", L"new.exe*"}));
    EXPECT_EQ(nameWhite.Items(), std::vector<std::wstring>{L"Svc"});
    EXPECT_EQ(nameBlack.Items(), std::vector<std::wstring>{L"보안 모듈"});
    for (const wchar_t* notObject : {L"", L"<html>error</html>", L"[\"file_white\"]"}) {
        MergeStartupLists(notObject, fileWhite, nameWhite, nameBlack);
        EXPECT_EQ(fileWhite.Count(), 2u) << notObject;
    }
}

class RequestServiceTest : public ::testing::Test {
protected:
    void SetUp() override { service::Reset(); }
    InstallIdKeeper FKeeper;
};

TEST_F(RequestServiceTest, PostsTheBodyAsJsonWithTheReportHeaders)
{
    const std::wstring id = ReadInstallId();
    const std::wstring body = L"[{\"cate\":\"memory\",\"old\":\"1\",\"new\":\"2\",\"tot\":\"3\"}]";
    const std::optional<std::wstring> answer = RequestService(ReportAddress(), body);
    ASSERT_TRUE(answer.has_value());
    const std::wstring key = ReadReportKey(*answer);
    ASSERT_FALSE(key.empty()) << *answer;

    auto requests = service::Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& sent = requests[0];
    EXPECT_EQ(sent["method"], "POST");
    EXPECT_EQ(sent["path"], "/report.php");
    EXPECT_EQ(service::Body(sent), WideToUtf8(body));
    EXPECT_EQ(Header(sent, "Content-Type"), "application/json");
    EXPECT_EQ(Header(sent, "User-Version"), "3.7.12.345");
    EXPECT_EQ(Header(sent, "User-Union"), WideToUtf8(id));
    EXPECT_EQ(Header(sent, "Accept-Language"), "ko-KR");
    EXPECT_EQ(Header(sent, "User-Language"), "");
    EXPECT_EQ(Header(sent, "User-Debug"), "");

    auto reports = nlohmann::json::parse(service::Call(L"GET", L"/_test/reports"));
    EXPECT_EQ(reports[WideToUtf8(key)], WideToUtf8(body));

    THTTP page;
    const std::wstring html = page.Get(ResultPageAddress(key));
    EXPECT_EQ(page.StatusCode(), 200);
    EXPECT_NE(html.find(L"Memory regained: 1 bytes"), std::wstring::npos) << html;
}

TEST_F(RequestServiceTest, GetsWhenTheBodyIsEmptyAndTellsAFailureFromAnAnswer)
{
    EXPECT_TRUE(RequestService(testenv::ServiceUrl() + L"/echo", L"").has_value());
    auto requests = service::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "GET");
    EXPECT_EQ(Header(requests[0], "Content-Type"), "");

    // An error page is an answer; a refused certificate or nobody listening is none.
    EXPECT_EQ(RequestService(testenv::ServiceUrl() + L"/status?code=500", L"[]"), L"status 500 body");
    EXPECT_EQ(RequestService(testenv::WrongHostUrl() + L"/report.php", L"[]"), std::nullopt);
    EXPECT_EQ(RequestService(L"http://127.0.0.1:1/report.php", L"[]"), std::nullopt);
    EXPECT_EQ(service::Requests().size(), 2u);  // the failures were refused before anything was sent
}
