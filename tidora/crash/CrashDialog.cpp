#include "CrashDialog.h"

#include "Dpi.h"
#include "Translation.h"
#include "Win32Handles.h"

#include <commctrl.h>

#include <memory>

namespace {

constexpr wchar_t ClassName[] = L"TidoraCrashDialog";

constexpr int ItemId(TCrashDialogItem item)
{
    return static_cast<int>(item);
}

// Lives on ShowCrashDialog's stack for as long as the dialog exists.
struct TDialogState {
    bool Done = false;
    TCrashChoice Choice = TCrashChoice::CloseProgram;
    bool CanContinue = true;
    TFontHandle Font;
};

std::wstring DumpLine(const std::wstring& path, bool pending)
{
    if (path.empty())
        return Translate(L"오류 정보 파일을 저장하지 못했습니다.");
    return (pending ? Translate(L"오류 정보 파일을 저장하는 중:") : Translate(L"오류 정보 파일:")) + L" " + path;
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<TDialogState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (state && (id == ItemId(TCrashDialogItem::Continue) || id == ItemId(TCrashDialogItem::Close) ||
                      id == IDCANCEL)) {
            bool close = id == ItemId(TCrashDialogItem::Close) || (id == IDCANCEL && !state->CanContinue);
            state->Choice = close ? TCrashChoice::CloseProgram : TCrashChoice::Continue;
            state->Done = true;
            return 0;
        }
        break;
    }
    case CrashDumpWrittenMessage: {
        std::unique_ptr<std::wstring> path(reinterpret_cast<std::wstring*>(lParam));
        if (path)
            SetDlgItemTextW(window, ItemId(TCrashDialogItem::DumpPath), DumpLine(*path, false).c_str());
        return 0;
    }
    case WM_CLOSE:
        if (state) {
            state->Choice = state->CanContinue ? TCrashChoice::Continue : TCrashChoice::CloseProgram;
            state->Done = true;
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND AddControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle, int id,
                HFONT font)
{
    HWND control = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

}  // namespace

// Built from plain system controls: the reporter must still work when the
// program's own window code is what failed.
TCrashChoice ShowCrashDialog(HWND owner, const TCrashDialogText& text)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DialogProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = ClassName;
    wc.hIcon = LoadIconW(nullptr, IDI_ERROR);
    RegisterClassExW(&wc);

    TDialogState state;
    state.CanContinue = text.CanContinue;
    UINT dpi = owner ? GetWindowDpi(owner) : GetSystemDpi();
    auto scale = [dpi](int value) { return ScaleForDpi(value, dpi); };
    LOGFONTW lf = IconTitleFont(dpi);
    state.Font.Reset(CreateFontIndirectW(&lf));
    const HFONT font = state.Font.Get();

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | (owner ? 0 : WS_EX_TOPMOST | WS_EX_APPWINDOW);
    const int width = scale(560), height = scale(400), margin = scale(12);
    RECT frame = WindowRectForClient(width, height, style, exStyle, dpi);
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner)
        GetWindowRect(owner, &screen);
    int x = screen.left + (screen.right - screen.left - frame.right) / 2;
    int y = screen.top + (screen.bottom - screen.top - frame.bottom) / 2;

    HWND dialog = CreateWindowExW(exStyle, ClassName, Translate(L"타이도라 오류").c_str(), style, x, y, frame.right,
                                  frame.bottom, owner, nullptr, GetModuleHandleW(nullptr), &state);
    if (!dialog)
        return text.CanContinue ? TCrashChoice::Continue : TCrashChoice::CloseProgram;

    std::wstring heading = Translate(L"처리되지 않은 오류가 발생했습니다.");
    heading += text.CanContinue
                   ? L" " + Translate(L"계속하면 프로그램을 계속 쓸 수 있지만, 방금 하던 작업은 끝나지 않았을 수 있습니다.")
                   : L" " + Translate(L"프로그램을 닫아야 합니다.");
    HWND label = AddControl(dialog, L"STATIC", heading, SS_LEFT, 0, 0, font);
    HWND details = AddControl(dialog, L"EDIT", text.Details,
                              WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                                  ES_AUTOHSCROLL,
                              WS_EX_CLIENTEDGE, ItemId(TCrashDialogItem::Details), font);
    std::wstring dumpLine = DumpLine(text.DumpPath, text.DumpPending);
    HWND dump = AddControl(dialog, L"EDIT", dumpLine, WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, 0,
                           ItemId(TCrashDialogItem::DumpPath), font);
    HWND continueButton = nullptr;
    if (text.CanContinue)
        continueButton = AddControl(dialog, L"BUTTON", Translate(L"계속하기"), WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                                    ItemId(TCrashDialogItem::Continue), font);
    HWND closeButton = AddControl(dialog, L"BUTTON", Translate(L"프로그램 닫기"),
                                  WS_TABSTOP | (text.CanContinue ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON), 0,
                                  ItemId(TCrashDialogItem::Close), font);

    const int buttonW = scale(110), buttonH = scale(28), labelH = scale(40), dumpH = scale(22);
    MoveWindow(label, margin, margin, width - 2 * margin, labelH, FALSE);
    int detailsTop = margin + labelH + scale(6);
    int buttonsTop = height - margin - buttonH;
    int dumpTop = buttonsTop - scale(8) - dumpH;
    MoveWindow(details, margin, detailsTop, width - 2 * margin, dumpTop - scale(6) - detailsTop, FALSE);
    MoveWindow(dump, margin, dumpTop, width - 2 * margin, dumpH, FALSE);
    MoveWindow(closeButton, width - margin - buttonW, buttonsTop, buttonW, buttonH, FALSE);
    if (continueButton)
        MoveWindow(continueButton, width - margin - 2 * buttonW - scale(8), buttonsTop, buttonW, buttonH, FALSE);

    if (owner)
        EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    SetFocus(continueButton ? continueButton : closeButton);
    if (text.DialogWindow)
        text.DialogWindow(dialog);

    MSG message;
    bool quit = false;
    int quitCode = 0;
    while (!state.Done) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            quitCode = static_cast<int>(message.wParam);
            break;
        }
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    if (text.DialogWindow)
        text.DialogWindow(nullptr);
    // The controls are gone before the state's font is deleted.
    DestroyWindow(dialog);
    if (quit)
        PostQuitMessage(quitCode);
    return state.Choice;
}
