#include "VectorImage.h"

#include "BufferedDC.h"
#include "GdiPlus.h"
#include "Painting.h"

TVectorImage::TVectorImage(TComponent* owner, TControl* parent, std::wstring name)
    : TControl(owner, parent, std::move(name))
{
    EnsureGdiplus();
    CreateHandle(L"BUTTON", WS_TABSTOP | BS_OWNERDRAW, 0);
}

void TVectorImage::SetDrawer(TDrawer drawer)
{
    FDrawer = std::move(drawer);
    Invalidate();
}

void TVectorImage::Click()
{
    if (OnClick)
        OnClick(this);
}

void TVectorImage::PaintTo(HDC dc)
{
    RECT client{};
    if (Handle())
        GetClientRect(Handle(), &client);
    Draw(dc, client, false);
}

LRESULT TVectorImage::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (FHandCursor && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_GETDLGCODE:
    case WM_KEYDOWN:
        if (auto handled = ClickOnReturn(message, wParam, lParam, [this] { Click(); }))
            return *handled;
        break;
    default:
        break;
    }
    return TControl::WndProc(message, wParam, lParam);
}

void TVectorImage::DrawItem(const DRAWITEMSTRUCT& item)
{
    TBufferedDC buffer(item.hDC, item.rcItem);
    Draw(buffer.Dc(), item.rcItem, (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT));
}

void TVectorImage::Command(WORD code)
{
    if (code == BN_CLICKED)
        Click();
}

void TVectorImage::Draw(HDC dc, const RECT& rect, bool focusShown)
{
    FillSolidRect(dc, rect, Parent() ? Parent()->Color() : Color());
    if (FDrawer)
        FDrawer(dc, rect, static_cast<float>(Dpi()) / DesignDpi);
    if (focusShown)
        DrawFocusRect(dc, &rect);
}
