#include "StyledButton.h"

#include "BufferedDC.h"
#include "GdiPlus.h"
#include "Painting.h"
#include "Win32Handles.h"

namespace {

// Without a registered family a button still looks like one.
TButtonStyles PlainStyles()
{
    TButtonStateStyle normal;
    normal.Fill = TStyleFill::Solid;
    normal.FillColor = GetSysColor(COLOR_BTNFACE);
    normal.BorderColor = GetSysColor(COLOR_BTNSHADOW);
    normal.FontColor = GetSysColor(COLOR_BTNTEXT);
    TButtonStyles styles{normal, normal, normal, normal, normal};
    styles.Pressed.FillColor = GetSysColor(COLOR_BTNSHADOW);
    styles.Hot.FillColor = GetSysColor(COLOR_BTNHIGHLIGHT);
    styles.Disabled.FontColor = GetSysColor(COLOR_GRAYTEXT);
    return styles;
}

}  // namespace

TButtonState ChooseButtonState(bool enabled, bool pushed, bool down, bool hot, bool focused)
{
    if (!enabled)
        return TButtonState::Disabled;
    if (pushed || down)
        return TButtonState::Pressed;
    if (hot)
        return TButtonState::Hot;
    if (focused)
        return TButtonState::Selected;
    return TButtonState::Normal;
}

TStyledButton::TStyledButton(TComponent* owner, TControl* parent, std::wstring name)
    : TControl(owner, parent, std::move(name)), FStyles(PlainStyles())
{
    EnsureGdiplus();
    CreateHandle(L"BUTTON", WS_TABSTOP | BS_OWNERDRAW, 0);
}

void TStyledButton::SetStyle(const std::wstring& family, const std::wstring& styleClass, const std::wstring& appearance)
{
    FFamily = family;
    FClass = styleClass;
    FAppearance = appearance;
    const TButtonStyleFamily* known = FindButtonStyleFamily(family);
    FStyles = known ? known->StateStyles(styleClass, appearance) : PlainStyles();
    Invalidate();
}

void TStyledButton::SetShape(TButtonShape shape, int radius)
{
    FShape = shape;
    FRadius = radius;
    Invalidate();
}

void TStyledButton::SetDown(bool down)
{
    if (down == FDown)
        return;
    FDown = down;
    if (FDown && FGroup > 0 && Parent()) {
        for (TControl* sibling : Parent()->Controls()) {
            auto* button = dynamic_cast<TStyledButton*>(sibling);
            if (button && button != this && button->FGroup == FGroup)
                button->SetDown(false);
        }
    }
    Invalidate();
}

void TStyledButton::Click()
{
    if (OnClick)
        OnClick(this);
}

TButtonState TStyledButton::State() const
{
    HWND window = Handle();
    bool pushed = window && (SendMessageW(window, BM_GETSTATE, 0, 0) & BST_PUSHED);
    bool focusShown = window && GetFocus() == window &&
                      !(SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
    return ChooseButtonState(Enabled(), pushed, FDown, FHot, focusShown);
}

TButtonStateStyle TStyledButton::CurrentStyle() const
{
    return FStyles.ForState(State());
}

void TStyledButton::PaintTo(HDC dc)
{
    RECT client{};
    if (Handle())
        GetClientRect(Handle(), &client);
    DrawFace(dc, client, State());
}

LRESULT TStyledButton::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        if (!FHot) {
            FHot = true;
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = Handle();
            TrackMouseEvent(&track);
            Invalidate();
        }
        break;
    case WM_MOUSELEAVE:
        FHot = false;
        Invalidate();
        break;
    case WM_GETDLGCODE:
    case WM_KEYDOWN:
        if (auto handled = ClickOnReturn(message, wParam, lParam, [this] { Click(); }))
            return *handled;
        break;
    case BM_GETCHECK:
        return FDown ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        SetDown(wParam == BST_CHECKED);
        return 0;
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        Invalidate();
        break;
    default:
        break;
    }
    return TControl::WndProc(message, wParam, lParam);
}

void TStyledButton::DrawItem(const DRAWITEMSTRUCT& item)
{
    bool focused = (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT);
    TButtonState state = ChooseButtonState(!(item.itemState & ODS_DISABLED), item.itemState & ODS_SELECTED, FDown, FHot,
                                           focused);
    TBufferedDC buffer(item.hDC, item.rcItem);
    DrawFace(buffer.Dc(), item.rcItem, state);
}

void TStyledButton::Command(WORD code)
{
    if (code == BN_CLICKED)
        Click();
}

// The parent's colour shows around the rounded corners and through a clear
// fill. A border of width 0 is a hairline of one device pixel.
void TStyledButton::DrawFace(HDC target, const RECT& rect, TButtonState state)
{
    const TButtonStateStyle& style = FStyles.ForState(state);
    HDC dc = target;
    FillSolidRect(dc, rect, Parent() ? Parent()->Color() : Color());
    {
        // Pixel centres lie on whole coordinates: a hairline along x = 0
        // covers exactly the first column, a fill from -0.5 the whole pixel.
        Gdiplus::Graphics graphics(dc);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        const float width = static_cast<float>(rect.right - rect.left);
        const float height = static_cast<float>(rect.bottom - rect.top);
        const float pen = style.BorderWidth > 0 ? static_cast<float>(Scale(style.BorderWidth)) : 1.0f;
        const bool round = FShape == TButtonShape::RoundRect && style.Shape == TButtonShape::RoundRect;
        const float radius = static_cast<float>(Scale(FRadius));
        auto outline = [&](Gdiplus::GraphicsPath& path, const Gdiplus::RectF& area) {
            if (round)
                AddRoundRect(path, area, radius);
            else
                path.AddRectangle(area);
        };
        if (style.Fill == TStyleFill::Solid) {
            Gdiplus::GraphicsPath path;
            outline(path, Gdiplus::RectF(rect.left - 0.5f, rect.top - 0.5f, width, height));
            Gdiplus::SolidBrush brush(ToGdiplusColor(style.FillColor));
            graphics.FillPath(&brush, &path);
        }
        if (style.Border == TStyleBorder::Solid) {
            Gdiplus::GraphicsPath path;
            outline(path, Gdiplus::RectF(rect.left + pen / 2 - 0.5f, rect.top + pen / 2 - 0.5f, width - pen,
                                         height - pen));
            Gdiplus::Pen border(ToGdiplusColor(style.BorderColor), pen);
            graphics.DrawPath(&border, &path);
        }
    }
    std::wstring caption = Text();
    if (caption.empty())
        return;
    HFONT font = Font();
    TFontHandle boldFont;
    if (style.FontBold) {
        LOGFONTW lf{};
        GetObjectW(font, sizeof(lf), &lf);
        lf.lfWeight = FW_BOLD;
        boldFont.Reset(CreateFontIndirectW(&lf));
    }
    TSelectObjectScope selection(dc, boldFont ? boldFont.Get() : font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, style.FontColor);
    RECT textRect = rect;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}
