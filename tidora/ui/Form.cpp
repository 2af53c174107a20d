#include "Form.h"

#include "Application.h"

TForm::TForm(TComponent* owner, const std::wstring& className, std::wstring name)
    : TControl(owner, nullptr, std::move(name))
{
    RegisterControlClass(className.c_str());
    CreateHandle(className.c_str(), WindowStyle(), WS_EX_APPWINDOW | WS_EX_CONTROLPARENT);
    FDpi = GetWindowDpi(Handle());
}

TForm::~TForm()
{
    DestroyHandle();
}

DWORD TForm::WindowStyle() const
{
    DWORD style = WS_CLIPCHILDREN;
    if (FBorderStyle == TBorderStyle::None)
        return style | WS_POPUP;
    style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    if (FMinimizeBox)
        style |= WS_MINIMIZEBOX;
    if (FMaximizeBox)
        style |= WS_MAXIMIZEBOX;
    if (FBorderStyle == TBorderStyle::Sizeable)
        style |= WS_THICKFRAME;
    return style;
}

void TForm::SetClientSize(int width, int height)
{
    FClientWidth = width;
    FClientHeight = height;
    ApplySize(nullptr);
}

void TForm::SetBorderStyle(TBorderStyle style)
{
    FBorderStyle = style;
    SetBorderIcons(FMinimizeBox, FMaximizeBox);
}

void TForm::SetBorderIcons(bool minimize, bool maximize)
{
    FMinimizeBox = minimize;
    FMaximizeBox = maximize;
    if (!Handle())
        return;
    DWORD keep = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)) & WS_VISIBLE;
    SetWindowLongPtrW(Handle(), GWL_STYLE, static_cast<LONG_PTR>(WindowStyle() | keep));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ApplySize(nullptr);
}

// Sizes the window so that its client area is the designed size at the
// current DPI, keeping its position or taking the suggested one.
void TForm::ApplySize(const RECT* suggested)
{
    if (!Handle() || FClientWidth <= 0 || FClientHeight <= 0)
        return;
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE));
    RECT size = WindowRectForClient(Scale(FClientWidth), Scale(FClientHeight), style, exStyle, FDpi);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    int x = 0, y = 0;
    if (suggested) {
        x = suggested->left;
        y = suggested->top;
    } else {
        flags |= SWP_NOMOVE;
    }
    SetWindowPos(Handle(), nullptr, x, y, size.right, size.bottom, flags);
}

void TForm::UseDesktopFont()
{
    FDesktopFont = true;
    RefreshScale();
}

// The desktop font is made and replaced like any control's own font (see
// TControl::Font), so the windows never hold a deleted one.
std::optional<LOGFONTW> TForm::OwnFont(UINT dpi) const
{
    if (FDesktopFont)
        return IconTitleFont(dpi);
    return TControl::OwnFont(dpi);
}

void TForm::Show()
{
    HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(primary, &info);
    // Size for the primary screen's DPI, then centre there. Should the
    // window still report another DPI, it is sized once more for that one.
    for (int pass = 0; pass < 2; ++pass) {
        UINT dpi = pass == 0 ? GetMonitorDpi(primary) : GetWindowDpi(Handle());
        if (pass == 1 && dpi == FDpi)
            break;
        if (dpi != FDpi) {
            FDpi = dpi;
            RefreshScale();
        }
        DWORD style = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE));
        DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE));
        RECT size = WindowRectForClient(Scale(FClientWidth), Scale(FClientHeight), style, exStyle, FDpi);
        const RECT& screen = info.rcMonitor;
        int x = screen.left + (screen.right - screen.left - size.right) / 2;
        int y = screen.top + (screen.bottom - screen.top - size.bottom) / 2;
        SetWindowPos(Handle(), nullptr, x, y, size.right, size.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Realign();
    SetVisible(true);
    UpdateWindow(Handle());
}

void TForm::Close()
{
    if (Handle())
        PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        // Like a dialog: the control that had the focus gets it back, at
        // first the first control that Tab reaches.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus))
                FLastFocus = focus;
        } else if (!HIWORD(wParam)) {
            HWND target = FLastFocus && IsWindow(FLastFocus) && IsChild(Handle(), FLastFocus)
                              ? FLastFocus
                              : GetNextDlgTabItem(Handle(), nullptr, FALSE);
            if (target) {
                SetFocus(target);
                return 0;
            }
        }
        break;
    case WM_CLOSE:
        if (!FormCloseQuery())
            return 0;
        FormClose();
        DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        if (Application::MainForm() == this)
            Application::Terminate();
        break;
    case DpiChangedMessage:
        FDpi = LOWORD(wParam);
        RefreshScale();
        ApplySize(reinterpret_cast<const RECT*>(lParam));
        Realign();
        return 0;
    case WM_SETTINGCHANGE: {
        auto area = reinterpret_cast<const wchar_t*>(lParam);
        bool fontChange = wParam == SPI_SETICONTITLELOGFONT || wParam == SPI_SETNONCLIENTMETRICS ||
                          (wParam == 0 && area && lstrcmpiW(area, L"WindowMetrics") == 0);
        if (FDesktopFont && fontChange) {
            RefreshScale();
            Realign();
        }
        break;
    }
    default:
        break;
    }
    return TControl::WndProc(message, wParam, lParam);
}
