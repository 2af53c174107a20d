#include "UpdateCheck.h"

#include "HttpExchange.h"
#include "HttpUrl.h"
#include "Text.h"
#include "Win32Handles.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr DWORD Timeout = 60000;

// One start-up check: the worker waits on `Stop` between attempts; `Ended`
// is set when the worker is gone. `Closing` is written on the window thread
// and read there by the handed-over step.
struct TCheckState {
    TKernelHandle Stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    TKernelHandle Ended{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> Closing{false};
};

std::mutex stateLock;
std::shared_ptr<TCheckState> currentCheck;
std::wstring updateUrl;
int noticeOffset = 0;

std::shared_ptr<TCheckState> CurrentCheck()
{
    std::lock_guard<std::mutex> guard(stateLock);
    return currentCheck;
}

void RunWorker(const std::shared_ptr<TCheckState>& state, THandover handover, TStartupAnswerHandler onAnswer,
               TUpdateRetry retry)
{
    const THeaderPairs headers = StartupHeaders();
    std::wstring answer;
    for (int attempt = 0; attempt < retry.Attempts; ++attempt) {
        if (auto text = GetWithHeaders(headers)) {
            answer = std::move(*text);
            break;
        }
        if (WaitForSingleObject(state->Stop.Get(), retry.PauseMs) == WAIT_OBJECT_0) {
            SetEvent(state->Ended.Get());
            return;
        }
    }
    // A dropped hand-over (the window thread is gone) leaves nothing to do.
    if (WaitForSingleObject(state->Stop.Get(), 0) != WAIT_OBJECT_0 && handover) {
        handover([&] {
            // The window may have begun to close while the last request ran.
            if (!state->Closing && onAnswer)
                onAnswer(answer);
        });
    }
    SetEvent(state->Ended.Get());
}

}  // namespace

std::wstring UpdateURL()
{
    std::lock_guard<std::mutex> guard(stateLock);
    return updateUrl;
}

int NoticeOffset()
{
    std::lock_guard<std::mutex> guard(stateLock);
    return noticeOffset;
}

void RequestStartupAnswer(const std::wstring& address, THandover handover, TStartupAnswerHandler onAnswer,
                          int offset, const TUpdateRetry& retry)
{
    auto state = std::make_shared<TCheckState>();
    {
        std::lock_guard<std::mutex> guard(stateLock);
        updateUrl = address;
        noticeOffset = offset;
        currentCheck = state;
    }
    std::thread(RunWorker, state, std::move(handover), std::move(onAnswer), retry).detach();
}

void EndUpdateCheck()
{
    if (auto state = CurrentCheck()) {
        state->Closing = true;
        SetEvent(state->Stop.Get());
    }
}

bool WaitForUpdateCheck(DWORD milliseconds)
{
    auto state = CurrentCheck();
    return !state || WaitForSingleObject(state->Ended.Get(), milliseconds) == WAIT_OBJECT_0;
}

std::optional<std::wstring> GetWithHeaders(const THeaderPairs& pairs)
{
    return GetWithHeaders(UpdateURL(), pairs);
}

// A plain client on the shared exchange layer: a session of its own per
// request and WinHTTP's own redirect handling; no browser headers.
std::optional<std::wstring> GetWithHeaders(const std::wstring& url, const THeaderPairs& pairs)
{
    auto parts = ParseHttpUrl(url);
    if (!parts)
        return std::nullopt;
    THttpExchangeOptions options;
    options.ResolveTimeout = options.ConnectTimeout = options.SendTimeout = options.ReceiveTimeout = Timeout;
    for (const auto& [name, value] : pairs)
        options.HeaderLines.push_back(name + L": " + value);
    TWinHttpHandle session = OpenHttpSession(L"Tidora");
    THttpExchange http;
    if (!http.Open(session.Get(), *parts, options) || !http.Send({}))
        return std::nullopt;
    std::string body;
    if (!http.ReadBody([&](const char* data, DWORD size) { body.append(data, size); }))
        return std::nullopt;
    return Utf8ToWide(body);
}

bool SendHoldRequest()
{
    return GetWithHeaders(HoldHeaders()).has_value();
}

void StartHoldRequest(THandover handover, std::function<void(bool answered)> done)
{
    // The address and headers are taken on the calling thread, as the
    // notice closes.
    std::thread([url = UpdateURL(), headers = HoldHeaders(), handover = std::move(handover),
                 done = std::move(done)] {
        const bool answered = GetWithHeaders(url, headers).has_value();
        if (handover && done)
            handover([&] { done(answered); });
    }).detach();
}
