// The window side of the start-up request: the request runs on a worker
// (service/UpdateCheck.h), and its answer comes back to the window thread
// here, which shows the update notice when the answer names a new version,
// opens the download address on Yes and then calls the completion.
// Window thread only.
#pragma once

#include "UpdateCheck.h"

#include <functional>
#include <string>

// Runs on the window thread: accepted is true when the user took a new
// version (its address has been opened); answer is the start-up answer,
// empty when every attempt failed.
using TUpdateCompletion = std::function<void(bool accepted, const std::wstring& answer)>;

// Starts the start-up request for this thread. With a callback it returns
// at once; without one it returns after the completion step, serving the
// worker's hand-over while it waits. EndUpdateCheck and WaitForUpdateCheck
// (UpdateCheck.h) end and await it.
void CheckUpdate(const std::wstring& address, const TUpdateCompletion& callback, int offset,
                 const TUpdateRetry& retry = {});

// The completion step: the notice when the answer names a new version, the
// download address opened on Yes, then the callback.
void CompleteUpdateCheck(const std::wstring& answer, const TUpdateCompletion& callback);
