// The start-up request: the service's answer is fetched on a worker thread,
// retried for about a minute, and handed to the window thread, which shows
// the update notice and calls the completion.
#pragma once

#include "ServiceProtocol.h"

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

// Runs on the window thread: accepted is true when the user took a new
// version (its address has been opened); answer is the start-up answer,
// empty when every attempt failed.
using TUpdateCompletion = std::function<void(bool accepted, const std::wstring& answer)>;

struct TUpdateRetry {
    int Attempts = 60;
    DWORD PauseMs = 1000;
};

// Call on the window thread. With a callback it returns at once; without one
// it returns after the completion step, serving the worker's handover while
// it waits. The address and offset are remembered for the notice and the
// hold request.
void CheckUpdate(const std::wstring& address, const TUpdateCompletion& callback, int offset,
                 const TUpdateRetry& retry = {});

// The program is closing (call on the window thread): a waiting worker ends
// at once and no completion runs any more.
void EndUpdateCheck();
// Waits until the worker of the last CheckUpdate has ended; true when it has.
bool WaitForUpdateCheck(DWORD milliseconds);

// The completion step on the window thread: the notice when the answer names
// a new version, the download address opened on Yes, then the callback.
void CompleteUpdateCheck(const std::wstring& answer, const TUpdateCompletion& callback);

// One GET of the remembered address with these headers, answer decoded as
// UTF-8; false when no answer arrived at all.
std::pair<bool, std::wstring> GetWithHeaders(const THeaderPairs& pairs);
std::pair<bool, std::wstring> GetWithHeaders(const std::wstring& url, const THeaderPairs& pairs);

// Sends the hold request once on a thread of its own; the result is ignored.
void SendHoldRequest();

std::wstring UpdateURL();
int NoticeOffset();
