// The start-up request: its worker, retries, early end and completion.
#include "InstallId.h"
#include "Text.h"
#include "StartupCheck.h"
#include "ThreadHandover.h"
#include "Translation.h"

#include "notice_driver.h"
#include "service_client.h"
#include "test_env.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

using nlohmann::json;

std::wstring StartupUrl()
{
    return testenv::ServiceUrl() + L"/api.init.php";
}

struct Completion {
    int Calls = 0;
    bool Accepted = false;
    std::wstring Answer;
    DWORD Thread = 0;

    TUpdateCompletion Callback()
    {
        return [this](bool accepted, const std::wstring& answer) {
            ++Calls;
            Accepted = accepted;
            Answer = answer;
            Thread = GetCurrentThreadId();
        };
    }
};

size_t RequestCount()
{
    return service::Requests().size();
}

std::vector<std::string> HeaderNames(const json& request)
{
    std::vector<std::string> names;
    for (const auto& pair : request["headers"])
        names.push_back(pair[0].get<std::string>());
    return names;
}

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        service::Reset();
        testenv::ClearBrowserLog();
        SetCurrentLanguage(L"ko");
    }
    void TearDown() override
    {
        EndUpdateCheck();
        WaitForUpdateCheck(5000);
    }
};

}  // namespace

TEST_F(UpdateCheckTest, AnswerReachesTheCallbackOnTheCallingThreadWithTheStartupHeaders)
{
    const std::string body = R"({"update":"","file_white":["new.exe*"]})";
    service::SetRoute({{"path", "/api.init.php"}, {"body", body}});
    Completion done;
    CheckUpdate(StartupUrl(), done.Callback(), 0);
    EXPECT_EQ(done.Calls, 0);  // returned at once; the completion waits for this thread
    ASSERT_TRUE(PumpUntil([&] { return done.Calls > 0; }));
    EXPECT_TRUE(WaitForUpdateCheck(5000));
    EXPECT_EQ(done.Calls, 1);
    EXPECT_FALSE(done.Accepted);
    EXPECT_EQ(done.Answer, Utf8ToWide(body));
    EXPECT_EQ(done.Thread, GetCurrentThreadId());
    EXPECT_EQ(UpdateURL(), StartupUrl());
    EXPECT_EQ(NoticeOffset(), 0);

    auto requests = service::Requests();
    ASSERT_EQ(requests.size(), 1u);
    const json& sent = requests[0];
    EXPECT_EQ(sent["method"], "GET");
    EXPECT_EQ(service::Header(sent, "User-Version"), "3.7.12.345");
    EXPECT_EQ(service::Header(sent, "User-Language"), "ko");
    EXPECT_EQ(service::Header(sent, "User-Debug"), "false");
    EXPECT_EQ(service::Header(sent, "User-Union"), WideToUtf8(ReadInstallId()));
    for (const char* absent : {"Accept-Language", "Accept-Encoding", "Cookie", "DNT", "User-Command"})
        EXPECT_EQ(service::Header(sent, absent), "") << absent;
    auto names = HeaderNames(sent);
    auto at = [&](const char* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
    EXPECT_LT(at("User-Version"), at("User-Language"));
    EXPECT_LT(at("User-Language"), at("User-Debug"));
    EXPECT_LT(at("User-Debug"), at("User-Union"));
}

TEST_F(UpdateCheckTest, RetriesOneSecondApartUntilAnAnswerArrives)
{
    service::SetRoute({{"path", "/api.init.php"}, {"body", "{}"}, {"drop", 2}});
    Completion done;
    CheckUpdate(StartupUrl(), done.Callback(), 0);
    ASSERT_TRUE(PumpUntil([&] { return done.Calls > 0; }, 15000));
    EXPECT_EQ(done.Answer, L"{}");
    auto requests = service::Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (size_t i = 1; i < requests.size(); ++i)
        EXPECT_GE(requests[i]["time"].get<double>() - requests[i - 1]["time"].get<double>(), 0.95);
}

TEST_F(UpdateCheckTest, GivesUpAfterSixtyAttemptsWithAnEmptyAnswer)
{
    service::SetRoute({{"path", "/api.init.php"}, {"body", "{}"}, {"drop", 1000}});
    Completion done;
    CheckUpdate(StartupUrl(), done.Callback(), 0, TUpdateRetry{60, 10});
    ASSERT_TRUE(PumpUntil([&] { return done.Calls > 0; }, 60000));
    EXPECT_EQ(done.Answer, L"");
    EXPECT_FALSE(done.Accepted);
    EXPECT_EQ(RequestCount(), 60u);
}

TEST_F(UpdateCheckTest, ClosingEndsTheWaitingWorkerWithoutACompletion)
{
    service::SetRoute({{"path", "/api.init.php"}, {"body", "{}"}, {"drop", 1000}});
    Completion done;
    CheckUpdate(StartupUrl(), done.Callback(), 0);
    ASSERT_TRUE(PumpUntil([] { return RequestCount() >= 2; }));
    Sleep(300);  // inside a pause now
    EndUpdateCheck();
    ASSERT_TRUE(WaitForUpdateCheck(2000));
    const size_t count = RequestCount();
    PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(done.Calls, 0);
    EXPECT_EQ(RequestCount(), count);
}

TEST_F(UpdateCheckTest, AnAnswerArrivingAfterTheCloseIsDropped)
{
    service::SetRoute({{"path", "/api.init.php"}, {"body", R"({"update":"https://example.kr/x.exe"})"}, {"delay", 1.5}});
    Completion done;
    CheckUpdate(StartupUrl(), done.Callback(), 0);
    ASSERT_TRUE(PumpUntil([] { return RequestCount() >= 1; }));
    EndUpdateCheck();
    ASSERT_TRUE(PumpUntil([] { return WaitForUpdateCheck(0); }, 10000));
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(done.Calls, 0);
    EXPECT_EQ(FindNotice(), nullptr);
}

TEST_F(UpdateCheckTest, WithoutACallbackItReturnsAfterTheCompletion)
{
    service::SetRoute({{"path", "/api.init.php"}, {"body", "{}"}, {"drop", 1}});
    CheckUpdate(StartupUrl(), nullptr, 7);
    EXPECT_TRUE(WaitForUpdateCheck(0));
    EXPECT_EQ(RequestCount(), 2u);
    EXPECT_EQ(NoticeOffset(), 7);
}

TEST_F(UpdateCheckTest, YesOpensTheDownloadAddressAndReportsAcceptance)
{
    service::SetRoute({{"path", "/api.init.php"}, {"body", R"({"update":"https:\/\/example.kr\/Tidora_Setup.exe"})"}});
    Completion done;
    NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDYES); });
    CheckUpdate(StartupUrl(), done.Callback(), 0);
    ASSERT_TRUE(PumpUntil([&] { return done.Calls > 0; }, 20000));
    EXPECT_NE(driver.Facts().Dialog, nullptr);
    EXPECT_TRUE(done.Accepted);
    ASSERT_TRUE(testenv::WaitUntil([] { return !testenv::BrowserLog().empty(); }));
    EXPECT_EQ(testenv::BrowserLog(), std::vector<std::wstring>{L"https://example.kr/Tidora_Setup.exe"});
}

TEST_F(UpdateCheckTest, NoLeavesTheBrowserClosed)
{
    Completion done;
    NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDNO); });
    CompleteUpdateCheck(LR"({"update":"https://example.kr/x.exe","file_white":["a.exe*"]})", done.Callback());
    EXPECT_NE(driver.Facts().Dialog, nullptr);
    EXPECT_EQ(done.Calls, 1);
    EXPECT_FALSE(done.Accepted);
    Sleep(500);
    EXPECT_TRUE(testenv::BrowserLog().empty());
}

TEST_F(UpdateCheckTest, AnUpdateThatIsNoWebAddressShowsNoNotice)
{
    for (const wchar_t* answer : {LR"({"update":"C:\\Windows\\notepad.exe"})", LR"({"update":""})", L"{}", L""}) {
        Completion done;
        NoticeDriver driver([](HWND dialog, NoticeFacts&) { ClickNoticeButton(dialog, IDYES); }, 700);
        CompleteUpdateCheck(answer, done.Callback());
        EXPECT_EQ(driver.Facts().Dialog, nullptr) << answer;
        EXPECT_EQ(done.Calls, 1);
        EXPECT_FALSE(done.Accepted);
        EXPECT_EQ(done.Answer, answer);
    }
    EXPECT_TRUE(testenv::BrowserLog().empty());
}

TEST_F(UpdateCheckTest, GetWithHeadersSendsOnlyItsPairsAndReadsUtf8)
{
    service::SetRoute({{"path", "/korean"}, {"body", "한글"}, {"content_type", "text/plain; charset=euc-kr"}});
    auto text = GetWithHeaders(testenv::ServiceUrl() + L"/korean", {{L"X-One", L"1"}, {L"X-Two", L"2"}});
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, L"한글");
    auto sent = service::Requests().at(0);
    EXPECT_EQ(service::Header(sent, "X-One"), "1");
    EXPECT_EQ(service::Header(sent, "X-Two"), "2");
    for (const char* absent : {"Accept-Language", "Accept-Encoding", "Cookie", "DNT", "Cache-Control"})
        EXPECT_EQ(service::Header(sent, absent), "") << absent;

    EXPECT_EQ(GetWithHeaders(testenv::ServiceUrl() + L"/status?code=404", {}), L"status 404 body");
    EXPECT_EQ(GetWithHeaders(testenv::WrongHostUrl() + L"/echo", {}), std::nullopt);
    EXPECT_EQ(GetWithHeaders(L"http://127.0.0.1:1/", {}), std::nullopt);
    EXPECT_EQ(GetWithHeaders(L"no address", {}), std::nullopt);
}

TEST_F(UpdateCheckTest, GetWithHeadersAsksForNoCompressionAndTakesNoBrowserAgent)
{
    auto text = GetWithHeaders(testenv::ServiceUrl() + L"/echo", {});
    ASSERT_TRUE(text.has_value());
    const json echo = json::parse(WideToUtf8(*text));
    EXPECT_EQ(service::Header(echo, "User-Agent"), "Tidora");
    EXPECT_EQ(service::Header(echo, "Accept-Encoding"), "");
}

// The hold request goes to the address of the last check with the hold
// headers; its result comes back through the hand-over it is given.
TEST_F(UpdateCheckTest, TheHoldRequestReportsThroughTheHandover)
{
    service::SetRoute({{"path", "/api.init.php"}, {"body", "{}"}});
    CheckUpdate(StartupUrl(), nullptr, 0);
    service::Reset();

    int calls = 0;
    bool answered = false;
    DWORD ranOn = 0;
    StartHoldRequest(WindowThreadHandover(), [&](bool result) {
        ++calls;
        answered = result;
        ranOn = GetCurrentThreadId();
    });
    ASSERT_TRUE(PumpUntil([&] { return calls > 0; }));
    EXPECT_TRUE(answered);
    EXPECT_EQ(ranOn, GetCurrentThreadId());
    auto requests = service::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["path"], "/api.init.php");
    EXPECT_EQ(service::Header(requests[0], "User-Command"), "hold");
    EXPECT_EQ(service::Header(requests[0], "User-Version"), "3.7.12.345");
    EXPECT_EQ(service::Header(requests[0], "User-Language"), "");

    // Nobody listening: the request fails and the hand-over says so.
    RequestStartupAnswer(L"http://127.0.0.1:1/api.init.php", {}, {}, 0, TUpdateRetry{1, 1});
    ASSERT_TRUE(WaitForUpdateCheck(10000));
    calls = 0;
    answered = true;
    StartHoldRequest(WindowThreadHandover(), [&](bool result) {
        ++calls;
        answered = result;
    });
    ASSERT_TRUE(PumpUntil([&] { return calls > 0; }));
    EXPECT_FALSE(answered);
}
