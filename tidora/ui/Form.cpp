#include "Form.h"

#include "Application.h"

namespace {

constexpr UINT SynchronizeMessage = WM_APP + 0x3F0;

}  // namespace

TForm::TForm(TComponent* owner, const std::wstring& className, std::wstring name)
    : TControl(owner, nullptr, std::move(name)), threadId_(GetCurrentThreadId())
{
    RegisterControlClass(className.c_str());
    CreateHandle(className.c_str(), WindowStyle(), WS_EX_APPWINDOW | WS_EX_CONTROLPARENT);
    dpi_ = GetWindowDpi(Handle());
}

TForm::~TForm()
{
    DestroyHandle();
    if (desktopFontHandle_)
        DeleteObject(desktopFontHandle_);
}

DWORD TForm::WindowStyle() const
{
    DWORD style = WS_CLIPCHILDREN;
    if (borderStyle_ == TBorderStyle::None)
        return style | WS_POPUP;
    style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    if (minimizeBox_)
        style |= WS_MINIMIZEBOX;
    if (maximizeBox_)
        style |= WS_MAXIMIZEBOX;
    if (borderStyle_ == TBorderStyle::Sizeable)
        style |= WS_THICKFRAME;
    return style;
}

void TForm::SetClientSize(int width, int height)
{
    clientWidth_ = width;
    clientHeight_ = height;
    ApplySize(nullptr);
}

void TForm::SetBorderStyle(TBorderStyle style)
{
    borderStyle_ = style;
    SetBorderIcons(minimizeBox_, maximizeBox_);
}

void TForm::SetBorderIcons(bool minimize, bool maximize)
{
    minimizeBox_ = minimize;
    maximizeBox_ = maximize;
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
    if (!Handle() || clientWidth_ <= 0 || clientHeight_ <= 0)
        return;
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE));
    RECT size = WindowRectForClient(Scale(clientWidth_), Scale(clientHeight_), style, exStyle, dpi_);
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
    desktopFont_ = true;
    RefreshScale();
}

HFONT TForm::Font() const
{
    if (!desktopFont_)
        return TControl::Font();
    if (!desktopFontHandle_ || desktopFontDpi_ != dpi_) {
        if (desktopFontHandle_)
            DeleteObject(desktopFontHandle_);
        LOGFONTW font = IconTitleFont(dpi_);
        desktopFontHandle_ = CreateFontIndirectW(&font);
        desktopFontDpi_ = dpi_;
    }
    return desktopFontHandle_;
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
        if (pass == 1 && dpi == dpi_)
            break;
        if (dpi != dpi_) {
            dpi_ = dpi;
            RefreshScale();
        }
        DWORD style = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE));
        DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE));
        RECT size = WindowRectForClient(Scale(clientWidth_), Scale(clientHeight_), style, exStyle, dpi_);
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

bool TForm::Synchronize(const std::function<void()>& call)
{
    if (GetCurrentThreadId() == threadId_) {
        call();
        return true;
    }
    HWND window = Handle();
    return window && SendMessageW(window, SynchronizeMessage, 0, reinterpret_cast<LPARAM>(&call)) == 1;
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case SynchronizeMessage:
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 1;
    case WM_ACTIVATE:
        // Like a dialog: the control that had the focus gets it back, at
        // first the first control that Tab reaches.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus))
                lastFocus_ = focus;
        } else if (!HIWORD(wParam)) {
            HWND target = lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_)
                              ? lastFocus_
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
        dpi_ = LOWORD(wParam);
        RefreshScale();
        ApplySize(reinterpret_cast<const RECT*>(lParam));
        Realign();
        return 0;
    case WM_SETTINGCHANGE: {
        auto area = reinterpret_cast<const wchar_t*>(lParam);
        bool fontChange = wParam == SPI_SETICONTITLELOGFONT || wParam == SPI_SETNONCLIENTMETRICS ||
                          (wParam == 0 && area && lstrcmpiW(area, L"WindowMetrics") == 0);
        if (desktopFont_ && fontChange) {
            if (desktopFontHandle_)
                DeleteObject(desktopFontHandle_);
            desktopFontHandle_ = nullptr;
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
