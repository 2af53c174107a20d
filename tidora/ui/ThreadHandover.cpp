#include "ThreadHandover.h"

#include "EventGuard.h"

namespace {

constexpr UINT RunMessage = WM_APP + 0x2D1;
constexpr wchar_t ClassName[] = L"TidoraThreadHandover";

LRESULT CALLBACK HandoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == RunMessage) {
        // Guarded like every window event: nothing escapes into the sender's
        // SendMessage, and the worker learns that the work did not complete.
        const bool completed = GuardEvent([&] { (*reinterpret_cast<const std::function<void()>*>(lParam))(); });
        return completed ? 1 : 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterHandoverClass()
{
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = HandoverProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = ClassName;
        return RegisterClassW(&wc);
    }();
    (void)atom;
}

}  // namespace

HWND ThreadHandoverWindow()
{
    thread_local HWND window = nullptr;
    if (!window || !IsWindow(window)) {
        RegisterHandoverClass();
        window = CreateWindowExW(0, ClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    return window;
}

// SendMessageW returns 0 both when the window does not exist and when its
// thread ends while the worker waits, so either way the work is dropped and
// the worker is told.
bool RunOnWindowThread(HWND target, const std::function<void()>& work)
{
    if (!target || !IsWindow(target))
        return false;
    return SendMessageW(target, RunMessage, 0, reinterpret_cast<LPARAM>(&work)) == 1;
}

THandover WindowThreadHandover()
{
    HWND target = ThreadHandoverWindow();
    return [target](const std::function<void()>& work) { return RunOnWindowThread(target, work); };
}
