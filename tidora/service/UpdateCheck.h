// The start-up request: the service's answer is fetched on a worker thread,
// retried for about a minute, and handed to the caller's window thread
// through the hand-over the caller gives. Showing the update notice is the
// window side's part (app/StartupCheck.h); nothing here shows anything.
// Also the hold request and the one plain GET both requests use.
#pragma once

#include "Handover.h"
#include "ServiceProtocol.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// Runs through the hand-over with the start-up answer; empty when every
// attempt failed.
using TStartupAnswerHandler = std::function<void(const std::wstring& answer)>;

struct TUpdateRetry {
    int Attempts = 60;
    DWORD PauseMs = 1000;
};

// Call on the thread that `handover` runs work on; returns at once. The
// address and offset are remembered for the notice and the hold request.
// `onAnswer` runs through the hand-over unless the check was ended first.
void RequestStartupAnswer(const std::wstring& address, THandover handover, TStartupAnswerHandler onAnswer,
                          int offset, const TUpdateRetry& retry = {});

// The program is closing (call on the window thread): a waiting worker ends
// at once and no answer is handed over any more.
void EndUpdateCheck();
// Waits until the worker of the last check has ended; true when it has.
bool WaitForUpdateCheck(DWORD milliseconds);

// One GET of the remembered address (or `url`) with these headers and
// nothing else of a browser's: agent "Tidora", no cookies, no compression
// asked for, certificates validated, 60-second time-outs. The answer is
// decoded as UTF-8, whatever its status; nullopt when no answer arrived.
std::optional<std::wstring> GetWithHeaders(const THeaderPairs& pairs);
std::optional<std::wstring> GetWithHeaders(const std::wstring& url, const THeaderPairs& pairs);

// The hold request to the remembered address, on the calling thread; true
// when an answer arrived.
bool SendHoldRequest();
// The hold request on a thread of its own. With a hand-over and `done`,
// done(answered) runs through the hand-over afterwards; without, the result
// is ignored.
void StartHoldRequest(THandover handover = {}, std::function<void(bool answered)> done = {});

std::wstring UpdateURL();
int NoticeOffset();
