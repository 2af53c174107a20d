#include "Control.h"

#include "BufferedDC.h"
#include "EventGuard.h"
#include "Form.h"

#include <algorithm>

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
    : TComponent(owner, std::move(name)), parent_(parent)
{
    if (parent_)
        parent_->controls_.push_back(this);
}

TControl::~TControl()
{
    DestroyHandle();
    for (TControl* child : controls_)
        child->parent_ = nullptr;
    if (parent_) {
        auto& siblings = parent_->controls_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    if (font_)
        DeleteObject(font_);
}

TControl* TControl::FromHandle(HWND window)
{
    return window ? static_cast<TControl*>(GetPropW(window, ControlProperty)) : nullptr;
}

void TControl::RegisterControlClass(const wchar_t* className, HCURSOR cursor, UINT classStyle)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    wc.hIcon = LoadIconW(wc.hInstance, L"MAINICON");
    wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    RegisterClassExW(&wc);  // fails harmlessly when the class exists
}

void TControl::CreateHandle(const wchar_t* className, DWORD style, DWORD exStyle, const std::wstring& text)
{
    HWND parentWindow = parent_ ? parent_->handle_ : nullptr;
    HMENU id = nullptr;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    if (parentWindow) {
        style |= WS_CHILD | WS_CLIPSIBLINGS;
        if (visible_)
            style |= WS_VISIBLE;
        id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextChildId()));
        x = Scale(bounds_.left);
        y = Scale(bounds_.top);
        width = Scale(Width());
        height = Scale(Height());
    }
    handle_ = CreateWindowExW(exStyle, className, text.c_str(), style, x, y, width, height, parentWindow, id,
                              GetModuleHandleW(nullptr), nullptr);
    if (handle_) {
        SetPropW(handle_, ControlProperty, this);
        SetWindowSubclass(handle_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
        SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
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
    if (self->destroying_)
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
    destroying_ = true;
    if (handle_)
        DestroyWindow(handle_);
}

void TControl::Detach()
{
    handle_ = nullptr;
}

LRESULT TControl::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefSubclassProc(handle_, message, wParam, lParam);
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
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(handle_, &ps);
            RECT client;
            GetClientRect(handle_, &client);
            {
                TBufferedDC buffer(dc, client);
                HBRUSH brush = CreateSolidBrush(Color());
                FillRect(buffer.Dc(), &client, brush);
                DeleteObject(brush);
                Paint(buffer.Dc(), client);
            }
            EndPaint(handle_, &ps);
            return 0;
        }
        break;
    case WM_PRINTCLIENT:
        if (PaintsItself()) {
            RECT client;
            GetClientRect(handle_, &client);
            HDC dc = reinterpret_cast<HDC>(wParam);
            HBRUSH brush = CreateSolidBrush(Color());
            FillRect(dc, &client, brush);
            DeleteObject(brush);
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
    if (parent == parent_ || parent == this)
        return;
    TControl* old = parent_;
    if (old) {
        auto& siblings = old->controls_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    parent_ = parent;
    if (parent_)
        parent_->controls_.push_back(this);
    if (handle_ && parent_ && parent_->handle_)
        ::SetParent(handle_, parent_->handle_);
    RefreshScale();
    if (old)
        old->Realign();
    if (parent_)
        parent_->Realign();
}

TForm* TControl::ParentForm() const
{
    for (const TControl* control = this; control; control = control->parent_)
        if (auto* form = dynamic_cast<const TForm*>(control))
            return const_cast<TForm*>(form);
    return nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    bounds_ = {left, top, left + width, top + height};
    if (parent_)
        parent_->Realign();
}

void TControl::SetAlign(TAlign align)
{
    align_ = align;
    if (parent_)
        parent_->Realign();
}

void TControl::SetMargins(const TEdges& margins)
{
    margins_ = margins;
    if (parent_)
        parent_->Realign();
}

void TControl::SetPadding(const TEdges& padding)
{
    padding_ = padding;
    Realign();
}

void TControl::MoveToAlignFront()
{
    if (!parent_)
        return;
    auto& siblings = parent_->controls_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    siblings.insert(siblings.begin(), this);
    parent_->Realign();
}

void TControl::SetVisible(bool visible)
{
    visible_ = visible;
    if (handle_)
        ShowWindow(handle_, visible ? (parent_ ? SW_SHOWNA : SW_SHOW) : SW_HIDE);
    if (parent_ && align_ != TAlign::None)
        parent_->Realign();
}

bool TControl::Enabled() const
{
    return handle_ && IsWindowEnabled(handle_);
}

void TControl::SetEnabled(bool enabled)
{
    if (handle_)
        EnableWindow(handle_, enabled);
    Invalidate();
}

COLORREF TControl::Color() const
{
    if (color_)
        return *color_;
    return parent_ ? parent_->Color() : RGB(255, 255, 255);
}

void TControl::SetColor(COLORREF color)
{
    color_ = color;
    Invalidate();
}

void TControl::SetFont(const TFontSpec& font)
{
    fontSpec_ = font;
    RefreshScale();
}

HFONT TControl::Font() const
{
    if (!fontSpec_)
        return parent_ ? parent_->Font() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    UINT dpi = Dpi();
    if (!font_ || fontDpi_ != dpi) {
        if (font_)
            DeleteObject(font_);
        LOGFONTW lf{};
        lf.lfHeight = -ScaleForDpi(fontSpec_->Height, dpi);
        lf.lfWeight = fontSpec_->Weight;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = fontSpec_->Quality;
        lstrcpynW(lf.lfFaceName, fontSpec_->Face.c_str(), LF_FACESIZE);
        font_ = CreateFontIndirectW(&lf);
        fontDpi_ = dpi;
    }
    return font_;
}

UINT TControl::Dpi() const
{
    return parent_ ? parent_->Dpi() : GetWindowDpi(handle_);
}

std::wstring TControl::Text() const
{
    if (!handle_)
        return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(handle_)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TControl::SetText(const std::wstring& text)
{
    if (handle_)
        SetWindowTextW(handle_, text.c_str());
    Invalidate();
}

void TControl::Invalidate()
{
    if (handle_)
        InvalidateRect(handle_, nullptr, FALSE);
}

void TControl::Realign()
{
    if (!handle_ || controls_.empty())
        return;
    RECT area;
    GetClientRect(handle_, &area);
    area.left += Scale(padding_.Left);
    area.top += Scale(padding_.Top);
    area.right -= Scale(padding_.Right);
    area.bottom -= Scale(padding_.Bottom);
    ArrangeControls(area);
    for (TControl* child : std::vector<TControl*>(controls_))
        child->Realign();
}

// Top, bottom, left and right controls take strips off the remaining area
// in that order, each kind in sibling order; a client control takes the
// rest. Controls without alignment keep their own position.
void TControl::ArrangeControls(RECT area)
{
    auto place = [this](TControl& child, RECT rect) {
        rect.left += child.Scale(child.margins_.Left);
        rect.top += child.Scale(child.margins_.Top);
        rect.right -= child.Scale(child.margins_.Right);
        rect.bottom -= child.Scale(child.margins_.Bottom);
        PlaceChild(child, rect);
    };
    auto outer = [](const TControl& child, int size, bool vertical) {
        return size + (vertical ? child.Scale(child.margins_.Top) + child.Scale(child.margins_.Bottom)
                                : child.Scale(child.margins_.Left) + child.Scale(child.margins_.Right));
    };
    for (TAlign kind : {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client}) {
        for (TControl* child : controls_) {
            if (!child->visible_ || child->align_ != kind)
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
    for (TControl* child : controls_) {
        if (child->align_ != TAlign::None)
            continue;
        RECT r{child->Scale(child->Left()), child->Scale(child->Top()), 0, 0};
        r.right = r.left + child->Scale(child->Width());
        r.bottom = r.top + child->Scale(child->Height());
        PlaceChild(*child, r);
    }
}

void TControl::PlaceChild(TControl& child, const RECT& rect)
{
    if (child.handle_)
        SetWindowPos(child.handle_, nullptr, rect.left, rect.top, std::max(0L, rect.right - rect.left),
                     std::max(0L, rect.bottom - rect.top), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::RefreshScale()
{
    if (font_) {
        DeleteObject(font_);
        font_ = nullptr;
    }
    if (handle_)
        SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    ScaleChanged();
    for (TControl* child : std::vector<TControl*>(controls_))
        child->RefreshScale();
    Invalidate();
}
