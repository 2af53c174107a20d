#include "notice_driver.h"

#include "UpdateDialog.h"

#include "test_env.h"

namespace {

std::wstring TextOf(HWND window)
{
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, 1024);
    return buffer;
}

RECT ClientRectOf(HWND control, HWND dialog)
{
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

HWND FindNotice()
{
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            wchar_t cls[64] = {};
            GetClassNameW(window, cls, 64);
            if (pid == GetCurrentProcessId() && IsWindowVisible(window) && std::wstring(cls) == L"#32770" &&
                GetDlgItem(window, IDYES)) {
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

NoticeFacts ReadNotice(HWND dialog)
{
    NoticeFacts f;
    f.Dialog = dialog;
    f.Title = TextOf(dialog);
    f.Message = TextOf(GetDlgItem(dialog, IDC_NOTICE_MESSAGE));
    f.Yes = TextOf(GetDlgItem(dialog, IDYES));
    f.No = TextOf(GetDlgItem(dialog, IDNO));
    f.DefaultId = LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0));
    f.HasIcon = SendMessageW(GetDlgItem(dialog, IDC_NOTICE_ICON), STM_GETICON, 0, 0) != 0;
    f.Line = GetDlgItem(dialog, IDC_NOTICE_LINE);
    f.Hold = GetDlgItem(dialog, IDC_NOTICE_HOLD);
    f.Link = GetDlgItem(dialog, IDC_NOTICE_LINK);
    if (f.Hold) {
        f.HoldText = TextOf(f.Hold);
        f.HoldChecked = SendMessageW(f.Hold, BM_GETCHECK, 0, 0) == BST_CHECKED;
        f.ExtraRect = ClientRectOf(f.Hold, dialog);
    }
    if (f.Link) {
        f.LinkText = TextOf(f.Link);
        f.ExtraRect = ClientRectOf(f.Link, dialog);
    }
    if (f.Line)
        f.LineRect = ClientRectOf(f.Line, dialog);
    f.Topmost = (GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    GetClientRect(dialog, &f.Client);
    GetWindowRect(dialog, &f.Window);
    // A point of bare background: right of the message, above the buttons.
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(dialog);
    f.Background = GetPixel(dc, f.Client.right - 3, 3);
    ReleaseDC(dialog, dc);
    return f;
}

void ClickNoticeButton(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

NoticeDriver::NoticeDriver(std::function<void(HWND, NoticeFacts&)> act, DWORD waitMs)
    : FThread([this, act, waitMs] {
          HWND dialog = nullptr;
          if (!testenv::WaitUntil([&] { return (dialog = FindNotice()) != nullptr; },
                                  std::chrono::milliseconds(waitMs)))
              return;
          Sleep(200);  // let it paint
          FFacts = ReadNotice(dialog);
          act(dialog, FFacts);
      })
{
}

NoticeDriver::~NoticeDriver()
{
    if (FThread.joinable())
        FThread.join();
}

const NoticeFacts& NoticeDriver::Facts()
{
    if (FThread.joinable())
        FThread.join();
    return FFacts;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds)
{
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (!condition()) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}
