#include "StartupCheck.h"

#include "PathTokens.h"
#include "StartupAnswer.h"
#include "ThreadHandover.h"
#include "UpdateDialog.h"

#include <windows.h>

void CheckUpdate(const std::wstring& address, const TUpdateCompletion& callback, int offset,
                 const TUpdateRetry& retry)
{
    RequestStartupAnswer(address, WindowThreadHandover(),
                         [callback](const std::wstring& answer) { CompleteUpdateCheck(answer, callback); }, offset,
                         retry);
    if (callback)
        return;
    // Without a callback the caller waits for the completion step, which the
    // worker hands to this thread: only sent messages are served meanwhile,
    // so nothing else of the program runs in between.
    while (!WaitForUpdateCheck(0)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
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
