#include "Control.h"

#include "BufferedDC.h"
#include "EventGuard.h"
#include "Form.h"
#include "Painting.h"

#include <algorithm>
#include <mutex>
#include <set>

namespace {

// The object of a window, kept as a window property.
constexpr wchar_t ControlProperty[] = L"TidoraControl";

// Child windows get distinct ids so that their notifications can be told apart.
int NextChildId()
{
    static int next = 1000;
    return ++next;
}

}  // namespace

TControl::TControl(TComponent* owner, TControl* parent, std::wstring name)
    : TComponent(owner, std::move(name)), FParent(parent)
{
    if (FParent)
        FParent->FControls.push_back(this);
}

TControl::~TControl()
{
    DestroyHandle();
    for (TControl* child : FControls)
        child->FParent = nullptr;
    if (FParent) {
        auto& siblings = FParent->FControls;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

TControl* TControl::FromHandle(HWND window)
{
    return window ? static_cast<TControl*>(GetPropW(window, ControlProperty)) : nullptr;
}

// Every control makes its window through here, so a class is registered
// at its first window only. Forms may be made on more than one thread.
// The icons are shared ones: the system loads each size once and keeps it
// for the life of the process, so nothing here is ever destroyed.
void TControl::RegisterControlClass(const wchar_t* className, HCURSOR cursor, UINT classStyle)
{
    static std::mutex lock;
    static std::set<std::wstring, std::less<>> registered;
    std::lock_guard<std::mutex> guard(lock);
    if (!registered.emplace(className).second)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    wc.hIcon = static_cast<HICON>(LoadImageW(wc.hInstance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    RegisterClassExW(&wc);  // fails harmlessly when someone else registered the name
}

void TControl::CreateHandle(const wchar_t* className, DWORD style, DWORD exStyle, const std::wstring& text)
{
    HWND parentWindow = FParent ? FParent->FHandle : nullptr;
    HMENU id = nullptr;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    if (parentWindow) {
        style |= WS_CHILD | WS_CLIPSIBLINGS;
        if (FVisible)
            style |= WS_VISIBLE;
        id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextChildId()));
        x = Scale(FBounds.left);
        y = Scale(FBounds.top);
        width = Scale(Width());
        height = Scale(Height());
    }
    FHandle = CreateWindowExW(exStyle, className, text.c_str(), style, x, y, width, height, parentWindow, id,
                              GetModuleHandleW(nullptr), nullptr);
    if (FHandle) {
        SetPropW(FHandle, ControlProperty, this);
        SetWindowSubclass(FHandle, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
        SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    }
}

// The window's messages come here first. Errors that escape the control's
// handler are reported by the guard; the message then counts as handled.
LRESULT CALLBACK TControl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR data)
{
    auto* self = reinterpret_cast<TControl*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, SubclassProc, id);
        RemovePropW(window, ControlProperty);
        self->Detach();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    if (self->FDestroying)
        return DefSubclassProc(window, message, wParam, lParam);
    LRESULT result = 0;
    if (GuardEvent([&] { result = self->WndProc(message, wParam, lParam); }))
        return result;
    if (message == WM_PAINT)
        ValidateRect(window, nullptr);
    return 0;
}

void TControl::DestroyHandle()
{
    FDestroying = true;
    if (FHandle)
        DestroyWindow(FHandle);
}

void TControl::Detach()
{
    FHandle = nullptr;
}

LRESULT TControl::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefSubclassProc(FHandle, message, wParam, lParam);
}

std::optional<LRESULT> TControl::ClickOnReturn(UINT message, WPARAM wParam, LPARAM lParam,
                                               const std::function<void()>& click)
{
    if (message == WM_GETDLGCODE) {
        LRESULT code = DefaultProc(message, wParam, lParam);
        auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        click();
        return 0;
    }
    return std::nullopt;
}

LRESULT TControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        if (PaintsItself())
            return 1;
        break;
    case WM_PAINT:
        if (PaintsItself()) {
            TPaintScope paint(FHandle);
            RECT client;
            GetClientRect(FHandle, &client);
            TBufferedDC buffer(paint.DC(), client);
            FillSolidRect(buffer.Dc(), client, Color());
            Paint(buffer.Dc(), client);
            return 0;
        }
        break;
    case WM_PRINTCLIENT:
        if (PaintsItself()) {
            RECT client;
            GetClientRect(FHandle, &client);
            HDC dc = reinterpret_cast<HDC>(wParam);
            FillSolidRect(dc, client, Color());
            Paint(dc, client);
            return 0;
        }
        break;
    case WM_SIZE:
        Realign();
        break;
    case WM_COMMAND:
        if (lParam) {
            TControl* child = FromHandle(reinterpret_cast<HWND>(lParam));
            if (child && child != this) {
                child->Command(HIWORD(wParam));
                return 0;
            }
        }
        break;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlType != ODT_MENU) {
            if (TControl* child = FromHandle(item->hwndItem)) {
                child->DrawItem(*item);
                return TRUE;
            }
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        TControl* child = FromHandle(reinterpret_cast<HWND>(lParam));
        if (child && child != this)
            if (HBRUSH brush = child->ControlColor(reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        TControl* child = header ? FromHandle(header->hwndFrom) : nullptr;
        LRESULT result = 0;
        if (child && child != this && child->Notify(header, result))
            return result;
        break;
    }
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

void TControl::SetParent(TControl* parent)
{
    if (parent == FParent || parent == this)
        return;
    TControl* old = FParent;
    if (old) {
        auto& siblings = old->FControls;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    FParent = parent;
    if (FParent)
        FParent->FControls.push_back(this);
    if (FHandle && FParent && FParent->FHandle)
        ::SetParent(FHandle, FParent->FHandle);
    RefreshScale();
    if (old)
        old->Realign();
    if (FParent)
        FParent->Realign();
}

TForm* TControl::ParentForm() const
{
    for (const TControl* control = this; control; control = control->FParent)
        if (auto* form = dynamic_cast<const TForm*>(control))
            return const_cast<TForm*>(form);
    return nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    FBounds = {left, top, left + width, top + height};
    if (FParent)
        FParent->Realign();
}

void TControl::SetAlign(TAlign align)
{
    FAlign = align;
    if (FParent)
        FParent->Realign();
}

void TControl::SetMargins(const TEdges& margins)
{
    FMargins = margins;
    if (FParent)
        FParent->Realign();
}

void TControl::SetPadding(const TEdges& padding)
{
    FPadding = padding;
    Realign();
}

void TControl::MoveToAlignFront()
{
    if (!FParent)
        return;
    auto& siblings = FParent->FControls;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    siblings.insert(siblings.begin(), this);
    FParent->Realign();
}

void TControl::SetVisible(bool visible)
{
    FVisible = visible;
    if (FHandle)
        ShowWindow(FHandle, visible ? (FParent ? SW_SHOWNA : SW_SHOW) : SW_HIDE);
    if (FParent && FAlign != TAlign::None)
        FParent->Realign();
}

bool TControl::Enabled() const
{
    return FHandle && IsWindowEnabled(FHandle);
}

void TControl::SetEnabled(bool enabled)
{
    if (FHandle)
        EnableWindow(FHandle, enabled);
    Invalidate();
}

COLORREF TControl::Color() const
{
    if (FColor)
        return *FColor;
    return FParent ? FParent->Color() : RGB(255, 255, 255);
}

void TControl::SetColor(COLORREF color)
{
    FColor = color;
    Invalidate();
}

void TControl::SetFont(const TFontSpec& font)
{
    FFontSpec = font;
    RefreshScale();
}

std::optional<LOGFONTW> TControl::OwnFont(UINT dpi) const
{
    if (!FFontSpec)
        return std::nullopt;
    LOGFONTW lf{};
    lf.lfHeight = -ScaleForDpi(FFontSpec->Height, dpi);
    lf.lfWeight = FFontSpec->Weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = FFontSpec->Quality;
    lstrcpynW(lf.lfFaceName, FFontSpec->Face.c_str(), LF_FACESIZE);
    return lf;
}

// The font is made when first asked for and kept for its DPI. Should the
// DPI change without a RefreshScale, the windows still hold the old font:
// it is kept until the next RefreshScale has handed out the new one.
HFONT TControl::Font() const
{
    UINT dpi = Dpi();
    if (FFont && FFontDpi == dpi)
        return FFont.Get();
    std::optional<LOGFONTW> own = OwnFont(dpi);
    if (!own)
        return FParent ? FParent->Font() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (FFont)
        FRetiredFonts.push_back(std::move(FFont));
    FFont.Reset(CreateFontIndirectW(&*own));
    FFontDpi = dpi;
    return FFont.Get();
}

UINT TControl::Dpi() const
{
    return FParent ? FParent->Dpi() : GetWindowDpi(FHandle);
}

std::wstring TControl::Text() const
{
    if (!FHandle)
        return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(FHandle)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(FHandle, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TControl::SetText(const std::wstring& text)
{
    if (FHandle)
        SetWindowTextW(FHandle, text.c_str());
    Invalidate();
}

void TControl::Invalidate()
{
    if (FHandle)
        InvalidateRect(FHandle, nullptr, FALSE);
}

void TControl::Realign()
{
    if (!FHandle || FControls.empty())
        return;
    RECT area;
    GetClientRect(FHandle, &area);
    area.left += Scale(FPadding.Left);
    area.top += Scale(FPadding.Top);
    area.right -= Scale(FPadding.Right);
    area.bottom -= Scale(FPadding.Bottom);
    ArrangeControls(area);
    for (TControl* child : std::vector<TControl*>(FControls))
        child->Realign();
}

// Top, bottom, left and right controls take strips off the remaining area
// in that order, each kind in sibling order; a client control takes the
// rest. Controls without alignment keep their own position.
void TControl::ArrangeControls(RECT area)
{
    auto place = [this](TControl& child, RECT rect) {
        rect.left += child.Scale(child.FMargins.Left);
        rect.top += child.Scale(child.FMargins.Top);
        rect.right -= child.Scale(child.FMargins.Right);
        rect.bottom -= child.Scale(child.FMargins.Bottom);
        PlaceChild(child, rect);
    };
    auto outer = [](const TControl& child, int size, bool vertical) {
        return size + (vertical ? child.Scale(child.FMargins.Top) + child.Scale(child.FMargins.Bottom)
                                : child.Scale(child.FMargins.Left) + child.Scale(child.FMargins.Right));
    };
    for (TAlign kind : {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client}) {
        for (TControl* child : FControls) {
            if (!child->FVisible || child->FAlign != kind)
                continue;
            RECT r = area;
            switch (kind) {
            case TAlign::Top:
                r.bottom = std::min(area.bottom, area.top + outer(*child, child->Scale(child->Height()), true));
                area.top = r.bottom;
                break;
            case TAlign::Bottom:
                r.top = std::max(area.top, area.bottom - outer(*child, child->Scale(child->Height()), true));
                area.bottom = r.top;
                break;
            case TAlign::Left:
                r.right = std::min(area.right, area.left + outer(*child, child->Scale(child->Width()), false));
                area.left = r.right;
                break;
            case TAlign::Right:
                r.left = std::max(area.left, area.right - outer(*child, child->Scale(child->Width()), false));
                area.right = r.left;
                break;
            default:
                break;
            }
            place(*child, r);
        }
    }
    for (TControl* child : FControls) {
        if (child->FAlign != TAlign::None)
            continue;
        RECT r{child->Scale(child->Left()), child->Scale(child->Top()), 0, 0};
        r.right = r.left + child->Scale(child->Width());
        r.bottom = r.top + child->Scale(child->Height());
        PlaceChild(*child, r);
    }
}

void TControl::PlaceChild(TControl& child, const RECT& rect)
{
    if (child.FHandle)
        SetWindowPos(child.FHandle, nullptr, rect.left, rect.top, std::max(0L, rect.right - rect.left),
                     std::max(0L, rect.bottom - rect.top), SWP_NOZORDER | SWP_NOACTIVATE);
}

// The children without a font of their own use this control's font too, so
// the old one is released only after every window below has the new one.
void TControl::RefreshScale()
{
    TFontHandle oldFont = std::move(FFont);
    std::vector<TFontHandle> retired = std::move(FRetiredFonts);
    FRetiredFonts.clear();
    if (FHandle)
        SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    ScaleChanged();
    for (TControl* child : std::vector<TControl*>(FControls))
        child->RefreshScale();
    Invalidate();
}
