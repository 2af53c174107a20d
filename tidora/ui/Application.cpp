#include "Application.h"

#include "Form.h"

#include <windows.h>

#include <atomic>

namespace {

std::wstring& TitleStorage()
{
    static std::wstring title;
    return title;
}

TForm* mainForm = nullptr;
std::atomic<bool> terminated{false};

// Tab and the arrow keys move between the controls of the toolkit's forms.
void Dispatch(MSG& message)
{
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && dynamic_cast<TForm*>(TControl::FromHandle(root)) && IsDialogMessageW(root, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace

namespace Application {

void SetTitle(const std::wstring& title)
{
    TitleStorage() = title;
}

std::wstring Title()
{
    return TitleStorage();
}

void SetMainForm(TForm* form)
{
    mainForm = form;
}

TForm* MainForm()
{
    return mainForm;
}

int Run()
{
    MSG message;
    while (!terminated && GetMessageW(&message, nullptr, 0, 0) > 0)
        Dispatch(message);
    terminated = true;
    return 0;
}

void ProcessMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            terminated = true;
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

void Terminate()
{
    terminated = true;
    PostQuitMessage(0);
}

bool Terminated()
{
    return terminated;
}

}  // namespace Application
