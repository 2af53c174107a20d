// Drives the update notice from a helper thread while the test thread sits
// in the notice's modal loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

// What a test reads off a shown notice.
struct NoticeFacts {
    HWND Dialog = nullptr;
    std::wstring Title;
    std::wstring Message;
    std::wstring Yes;
    std::wstring No;
    LRESULT DefaultId = 0;
    bool HasIcon = false;
    HWND Line = nullptr;
    HWND Hold = nullptr;
    HWND Link = nullptr;
    std::wstring HoldText;
    std::wstring LinkText;
    bool HoldChecked = false;
    bool Topmost = false;
    RECT Client{};
    RECT Window{};
    RECT LineRect{};   // client coordinates
    RECT ExtraRect{};  // check box or link, client coordinates
    COLORREF Background = CLR_INVALID;
};

// The visible notice of this process, or none.
HWND FindNotice();
NoticeFacts ReadNotice(HWND dialog);
void ClickNoticeButton(HWND dialog, int id);

// Waits for the notice, reads it, then runs `act` on it. When no notice
// comes in time, `act` does not run and Facts().Dialog stays empty.
class NoticeDriver {
public:
    explicit NoticeDriver(std::function<void(HWND, NoticeFacts&)> act, DWORD waitMs = 10000);
    ~NoticeDriver();
    const NoticeFacts& Facts();

private:
    NoticeFacts FFacts;
    std::thread FThread;
};

// Processes the calling thread's messages until the condition holds.
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds = 10000);
