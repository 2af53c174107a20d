#include "UpdateDialog.h"

#include "NoticeTexts.h"
#include "PathTokens.h"
#include "StartupAnswer.h"
#include "SystemProc.h"
#include "Translation.h"
#include "UpdateCheck.h"
#include "Win32Handles.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

std::mutex titleLock;
std::wstring applicationTitle = L"타이도라";

// Everything the dialog procedure needs, handed over through WM_INITDIALOG.
struct TNotice {
    TNoticeInfo Info;
    int Offset = 0;
    bool Topmost = false;
    bool HoldTicked = false;
    TFontHandle Font;
    TFontHandle LinkFont;
    TBrushHandle White;
    TBrushHandle Grey;
    TIconHandle Icon;
};

int ScreenDpi()
{
    TWindowDCScope screen(nullptr);
    return screen ? GetDeviceCaps(screen.DC(), LOGPIXELSY) : 0;
}

UINT DpiOf(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpi = LoadSystemProc<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (getDpi)
        if (UINT dpi = getDpi(window))
            return dpi;
    const int dpi = ScreenDpi();
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// The message font of the system at the dialog's resolution.
TFontHandle MessageFont(UINT dpi, bool underline)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi = LoadSystemProc<ForDpiFn>(L"user32.dll", "SystemParametersInfoForDpi");
    if (!(forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi))) {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), ScreenDpi());
    }
    metrics.lfMessageFont.lfUnderline = underline ? TRUE : FALSE;
    return TFontHandle(CreateFontIndirectW(&metrics.lfMessageFont));
}

SIZE TextExtent(HWND window, HFONT font, const std::wstring& text, int maxWidth)
{
    TWindowDCScope dc(window);
    TSelectObjectScope selected(dc.DC(), font);
    RECT box{0, 0, maxWidth, 0};
    DrawTextW(dc.DC(), text.c_str(), static_cast<int>(text.size()), &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return {box.right - box.left, box.bottom - box.top};
}

HWND AddControl(HWND dialog, const wchar_t* className, const std::wstring& text, DWORD style, int id, int x, int y,
                int width, int height, HFONT font)
{
    HWND control = CreateWindowExW(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                   dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (font)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

// Lays the notice out like a message box: icon and message, the buttons
// centred below; the answer's extras in a strip added below the buttons.
void BuildNotice(HWND dialog, TNotice& notice)
{
    const UINT dpi = DpiOf(dialog);
    auto scale = [dpi](int pixels) { return MulDiv(pixels, static_cast<int>(dpi), 96); };
    notice.Font = MessageFont(dpi, false);
    notice.LinkFont = MessageFont(dpi, true);
    notice.White.Reset(CreateSolidBrush(RGB(255, 255, 255)));
    notice.Grey.Reset(CreateSolidBrush(RGB(204, 204, 204)));

    const int margin = scale(16);
    const int iconSize = scale(32);
    // The system's warning icon at the dialog's size; the shared one when
    // that size cannot be had.
    notice.Icon.Reset(static_cast<HICON>(LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, iconSize, iconSize, 0)));
    HWND icon = AddControl(dialog, L"STATIC", L"", SS_ICON | SS_REALSIZECONTROL, IDC_NOTICE_ICON, margin, margin,
                           iconSize, iconSize, nullptr);
    SendMessageW(icon, STM_SETICON,
                 reinterpret_cast<WPARAM>(notice.Icon ? notice.Icon.Get() : LoadIconW(nullptr, IDI_WARNING)), 0);

    // Paragraphs are separated by carriage returns; a static control breaks
    // lines at CR LF.
    std::wstring message;
    for (wchar_t c : GetUpdateText(0)) {
        message += c;
        if (c == L'\r')
            message += L'\n';
    }
    const int textLeft = margin + iconSize + scale(12);
    const SIZE text = TextExtent(dialog, notice.Font.Get(), message, scale(420));
    const int textTop = text.cy < iconSize ? margin + (iconSize - text.cy) / 2 : margin;
    AddControl(dialog, L"STATIC", message, SS_LEFT | SS_NOPREFIX, IDC_NOTICE_MESSAGE, textLeft, textTop, text.cx,
               text.cy, notice.Font.Get());

    const std::wstring yes = GetUpdateText(1);
    const std::wstring no = GetUpdateText(2);
    const int buttonHeight = scale(25);
    const int buttonWidth = std::max<int>({scale(75), TextExtent(dialog, notice.Font.Get(), yes, 1000).cx + scale(20),
                                           TextExtent(dialog, notice.Font.Get(), no, 1000).cx + scale(20)});
    const int gap = scale(8);
    const int buttonsWidth = 2 * buttonWidth + gap;
    const int contentBottom = std::max(margin + iconSize, textTop + static_cast<int>(text.cy));
    int clientWidth = std::max(textLeft + static_cast<int>(text.cx) + margin, buttonsWidth + 2 * margin);
    const int buttonTop = contentBottom + scale(20);
    int clientHeight = buttonTop + buttonHeight + scale(12);
    const int buttonLeft = (clientWidth - buttonsWidth) / 2;
    AddControl(dialog, L"BUTTON", yes, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDYES, buttonLeft, buttonTop,
               buttonWidth, buttonHeight, notice.Font.Get());
    AddControl(dialog, L"BUTTON", no, BS_PUSHBUTTON | WS_TABSTOP, IDNO, buttonLeft + buttonWidth + gap, buttonTop,
               buttonWidth, buttonHeight, notice.Font.Get());

    if (!notice.Info.Style.empty()) {
        // The strip is (40 - offset) pixels; its line and check box or link
        // are placed by their distance from the window's lower edge, designed
        // for a dialog frame 39 pixels high.
        const int frame = scale(39);
        clientHeight += scale(40 - notice.Offset);
        const int windowHeight = clientHeight + frame;
        AddControl(dialog, L"STATIC", L"", SS_LEFT, IDC_NOTICE_LINE, 0, windowHeight - scale(76 - notice.Offset),
                   clientWidth, 1, nullptr);
        const int extraTop = windowHeight - scale(66 - notice.Offset);
        const int extraHeight = scale(17);
        if (notice.Info.Style == L"hold") {
            AddControl(dialog, L"BUTTON", notice.Info.Text, BS_AUTOCHECKBOX | WS_TABSTOP, IDC_NOTICE_HOLD, scale(10),
                       extraTop, clientWidth, extraHeight, notice.Font.Get());
        } else if (notice.Info.Style == L"note") {
            AddControl(dialog, L"STATIC", notice.Info.Text, SS_LEFT | SS_NOPREFIX | SS_NOTIFY, IDC_NOTICE_LINK,
                       scale(10), extraTop, clientWidth, extraHeight, notice.LinkFont.Get());
        }
    }

    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    RECT frameRect{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frameRect, style, FALSE, exStyle);
    const int width = frameRect.right - frameRect.left;
    const int height = frameRect.bottom - frameRect.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(dialog, notice.Topmost ? HWND_TOPMOST : nullptr, x, y, width, height,
                 notice.Topmost ? SWP_NOACTIVATE : (SWP_NOZORDER | SWP_NOACTIVATE));
    SetWindowTextW(dialog, Translate(ApplicationTitle()).c_str());
    SendMessageW(dialog, DM_SETDEFID, IDYES, 0);
}

void CloseNotice(HWND dialog, TNotice& notice, int result)
{
    HWND hold = GetDlgItem(dialog, IDC_NOTICE_HOLD);
    notice.HoldTicked = hold && SendMessageW(hold, BM_GETCHECK, 0, 0) == BST_CHECKED;
    EndDialog(dialog, result);
}

INT_PTR CALLBACK NoticeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* notice = reinterpret_cast<TNotice*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        notice = reinterpret_cast<TNotice*>(lParam);
        BuildNotice(dialog, *notice);
        SetFocus(GetDlgItem(dialog, IDYES));
        return FALSE;
    case WM_CTLCOLORDLG:
        return notice ? reinterpret_cast<INT_PTR>(notice->White.Get()) : FALSE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        if (!notice)
            return FALSE;
        HWND control = reinterpret_cast<HWND>(lParam);
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (GetDlgCtrlID(control) == IDC_NOTICE_LINE)
            return reinterpret_cast<INT_PTR>(notice->Grey.Get());
        if (GetDlgCtrlID(control) == IDC_NOTICE_LINK)
            SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<INT_PTR>(notice->White.Get());
    }
    case WM_SETCURSOR:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(wParam)) == IDC_NOTICE_LINK) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDYES:
            CloseNotice(dialog, *notice, IDYES);
            return TRUE;
        case IDNO:
        case IDCANCEL:
            CloseNotice(dialog, *notice, IDNO);
            return TRUE;
        case IDC_NOTICE_LINK:
            // The link opens its address and leaves the notice open.
            if (HIWORD(wParam) == STN_CLICKED && !notice->Info.Url.empty())
                ShellOpen(notice->Info.Url);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// An empty dialog template: the controls are made in WM_INITDIALOG, in
// pixels at the dialog's resolution.
std::vector<WORD> NoticeTemplate()
{
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    header->dwExtendedStyle = WS_EX_DLGMODALFRAME;
    header->cdit = 0;
    return words;  // no menu, default class, empty title
}

}  // namespace

void SetApplicationTitle(const std::wstring& title)
{
    std::lock_guard<std::mutex> guard(titleLock);
    applicationTitle = title;
}

std::wstring ApplicationTitle()
{
    std::lock_guard<std::mutex> guard(titleLock);
    return applicationTitle;
}

bool UpdateDialog(const std::wstring& answer)
{
    TNotice notice;
    notice.Info = ReadNoticeInfo(answer);
    notice.Offset = NoticeOffset();
    notice.Topmost = notice.Info.Flag.find(L"stayontop") != std::wstring::npos;
    std::vector<WORD> dialogTemplate = NoticeTemplate();
    INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                             reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                             GetActiveWindow(), NoticeProc, reinterpret_cast<LPARAM>(&notice));
    if (notice.HoldTicked)
        StartHoldRequest();
    return result == IDYES;
}
