#include "Forms.h"

#include "AppState.h"

namespace {

constexpr DWORD AppWindowStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD FormStyle = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;

// The application window's focus goes to the form that had it last; closing
// it from its system menu closes the main form (which ends the loop).
bool AppWindowHandler(TControl* sender, MSG& message, LRESULT& result)
{
    if (message.hwnd != sender->Handle())
        return false;
    if (message.message == WM_SETFOCUS) {
        TControl* form = sender->ActiveForm();
        if (form && form->Handle()) {
            SetFocus(form->Handle());
            result = 0;
            return true;
        }
    } else if (message.message == WM_SYSCOMMAND && (message.wParam & 0xFFF0) == SC_CLOSE) {
        TControl* mainForm = sender->Child(0);
        if (mainForm && mainForm->Handle()) {
            PostMessageW(mainForm->Handle(), WM_CLOSE, 0, 0);
            result = 0;
            return true;
        }
    }
    return false;
}

bool FormHandler(TControl* sender, MSG& message, LRESULT& result)
{
    if (message.hwnd != sender->Handle())
        return false;
    if (message.message == WM_SETFOCUS) {
        if (TControl* app = AppState().appWindow)
            app->SetActiveForm(sender);
        return false;
    }
    if (message.message == WM_ERASEBKGND) {
        RECT client{};
        GetClientRect(message.hwnd, &client);
        // The DC's own brush in the form's colour: nothing to create or delete.
        HDC dc = reinterpret_cast<HDC>(message.wParam);
        COLORREF previous = SetDCBrushColor(dc, ResolveColor(sender->BackColor()));
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        SetDCBrushColor(dc, previous);
        result = 1;
        return true;
    }
    return false;
}

// The hidden application window is never maximised, moved or sized; its
// system menu shows only what applies.
void TrimAppSystemMenu(TControl* app)
{
    HMENU menu = GetSystemMenu(app->Handle(), FALSE);
    if (!menu)
        return;
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
}

}  // namespace

TControl* MakeAppWindow(const std::wstring& caption)
{
    auto* app = new TControl(L"App", 0, AppWindowStyle, WS_EX_APPWINDOW);
    app->SetCaption(caption);
    app->SetIcon(LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"), false);
    app->AttachHandler(&AppWindowHandler);
    app->AfterCreate = &TrimAppSystemMenu;
    if (!AppState().appWindow)
        AppState().appWindow = app;
    return app;
}

TControl* MakeForm(TControl* parent, const std::wstring& caption)
{
    auto* form = new TControl(L"Form", CS_DBLCLKS, FormStyle, WS_EX_CONTROLPARENT);
    form->InitWithParent(parent);
    form->SetCaption(caption);
    form->AttachHandler(&FormHandler);
    return form;
}

LRESULT SendToWindow(TControl* control, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = control ? control->GetHandle() : nullptr;
    return window ? SendMessageW(window, message, wParam, lParam) : 0;
}
