#include "UpdateCheck.h"

#include "HttpUrl.h"
#include "PathTokens.h"
#include "StartupAnswer.h"
#include "Text.h"
#include "ThreadHandover.h"
#include "UpdateDialog.h"

#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct InternetCloser {
    void operator()(HINTERNET h) const { WinHttpCloseHandle(h); }
};
using TInternetHandle = std::unique_ptr<void, InternetCloser>;

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using TEvent = std::unique_ptr<void, HandleCloser>;

constexpr DWORD Timeout = 60000;

// One start-up check: the worker waits on `Stop` between attempts; `Ended`
// is set when the worker is gone. `Closing` is read and written on the
// window thread only.
struct TCheckState {
    TEvent Stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    TEvent Ended{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
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

void RunWorker(const std::shared_ptr<TCheckState>& state, HWND windowThread, TUpdateCompletion callback,
               TUpdateRetry retry)
{
    const THeaderPairs headers = StartupHeaders();
    std::wstring answer;
    for (int attempt = 0; attempt < retry.Attempts; ++attempt) {
        auto [answered, text] = GetWithHeaders(headers);
        if (answered) {
            answer = std::move(text);
            break;
        }
        if (WaitForSingleObject(state->Stop.get(), retry.PauseMs) == WAIT_OBJECT_0) {
            SetEvent(state->Ended.get());
            return;
        }
    }
    if (WaitForSingleObject(state->Stop.get(), 0) != WAIT_OBJECT_0) {
        RunOnWindowThread(windowThread, [&] {
            // The window may have begun to close while the last request ran.
            if (!state->Closing)
                CompleteUpdateCheck(answer, callback);
        });
    }
    SetEvent(state->Ended.get());
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

void CheckUpdate(const std::wstring& address, const TUpdateCompletion& callback, int offset,
                 const TUpdateRetry& retry)
{
    auto state = std::make_shared<TCheckState>();
    {
        std::lock_guard<std::mutex> guard(stateLock);
        updateUrl = address;
        noticeOffset = offset;
        currentCheck = state;
    }
    HWND windowThread = ThreadHandoverWindow();
    std::thread(RunWorker, state, windowThread, callback, retry).detach();
    if (callback)
        return;
    // Without a callback the caller waits for the completion step, which the
    // worker hands to this thread.
    HANDLE ended = state->Ended.get();
    while (MsgWaitForMultipleObjects(1, &ended, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void EndUpdateCheck()
{
    if (auto state = CurrentCheck()) {
        state->Closing = true;
        SetEvent(state->Stop.get());
    }
}

bool WaitForUpdateCheck(DWORD milliseconds)
{
    auto state = CurrentCheck();
    return !state || WaitForSingleObject(state->Ended.get(), milliseconds) == WAIT_OBJECT_0;
}

void CompleteUpdateCheck(const std::wstring& answer, const TUpdateCompletion& callback)
{
    const std::wstring address = ReadUpdateAddress(answer);
    bool accepted = false;
    if (!address.empty() && UpdateDialog(answer)) {
        ShellOpen(address);
        accepted = true;
    }
    if (callback)
        callback(accepted, answer);
}

std::pair<bool, std::wstring> GetWithHeaders(const THeaderPairs& pairs)
{
    return GetWithHeaders(UpdateURL(), pairs);
}

// A plain client: WinHTTP's defaults, no browser headers, no cookies, no
// compression asked for; certificates are validated.
std::pair<bool, std::wstring> GetWithHeaders(const std::wstring& url, const THeaderPairs& pairs)
{
    auto parts = ParseHttpUrl(url);
    if (!parts)
        return {false, {}};
    TInternetHandle session(WinHttpOpen(L"Tidora", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                        WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session)
        return {false, {}};
    TInternetHandle connection(WinHttpConnect(session.get(), parts->Host.c_str(), parts->Port, 0));
    if (!connection)
        return {false, {}};
    TInternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", parts->PathAndQuery.c_str(), nullptr,
                                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                               parts->Secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request)
        return {false, {}};
    WinHttpSetTimeouts(request.get(), Timeout, Timeout, Timeout, Timeout);
    DWORD responseTimeout = Timeout;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof(responseTimeout));
    for (const auto& [name, value] : pairs) {
        std::wstring line = name + L": " + value;
        WinHttpAddRequestHeaders(request.get(), line.c_str(), static_cast<DWORD>(-1),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
    }
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr))
        return {false, {}};
    std::string body;
    std::string chunk;
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request.get(), &available))
            return {false, {}};
        if (available == 0)
            break;
        chunk.resize(available);
        DWORD got = 0;
        if (!WinHttpReadData(request.get(), chunk.data(), available, &got))
            return {false, {}};
        if (got == 0)
            break;
        body.append(chunk.data(), got);
    }
    return {true, Utf8ToWide(body)};
}

void SendHoldRequest()
{
    std::thread([headers = HoldHeaders()] { GetWithHeaders(headers); }).detach();
}
