#include "ThemeHelper.h"

#include "EventGuard.h"
#include "Form.h"
#include "MorvaneStyle.h"
#include "Shape.h"

#include <dwmapi.h>

#include <stdexcept>

namespace {

// DWMWA_USE_IMMERSIVE_DARK_MODE; older SDK headers lack the name.
constexpr DWORD DarkModeAttribute = 20;

TForm* RequireForm(TComponent* owner)
{
    auto* form = dynamic_cast<TForm*>(owner);
    if (!form)
        throw std::invalid_argument("TThemeHelper Owner must be a TForm");
    return form;
}

}  // namespace

// The line is a control of the form, aligned to the top before anything
// else, so the form's other top-aligned controls start below it. The
// form's window procedure is extended through a subclass, which the
// destructor takes away again.
TThemeHelper::TThemeHelper(TComponent* owner)
    : TComponent(RequireForm(owner), L""), FForm(static_cast<TForm*>(owner)), FActiveColor(AccentColor),
      FIsActive(true), FShape(nullptr)
{
    BOOL dark = TRUE;
    DwmSetWindowAttribute(FForm->Handle(), DarkModeAttribute, &dark, sizeof(dark));

    FShape = new TShape(FForm, FForm, L"");
    FShape->SetBounds(0, 0, FForm->ClientWidth(), 2);
    FShape->SetBrushColor(FActiveColor);
    FShape->SetPenColor(FActiveColor);
    FShape->SetAlign(TAlign::Top);
    FShape->MoveToAlignFront();

    FAttached = SetWindowSubclass(FForm->Handle(), WindowProc, reinterpret_cast<UINT_PTR>(this),
                                  reinterpret_cast<DWORD_PTR>(this));
    RefreshLine();
}

TThemeHelper::~TThemeHelper()
{
    if (FAttached && FForm->Handle())
        RemoveWindowSubclass(FForm->Handle(), WindowProc, reinterpret_cast<UINT_PTR>(this));
}

LRESULT CALLBACK TThemeHelper::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data)
{
    auto* self = reinterpret_cast<TThemeHelper*>(data);
    switch (message) {
    case WM_SIZE:
        GuardEvent([self] { self->RefreshLine(); });
        break;
    case WM_ACTIVATE:
        self->FIsActive = LOWORD(wParam) != WA_INACTIVE;
        GuardEvent([self] { self->RefreshLine(); });
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, WindowProc, id);
        self->FAttached = false;
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void TThemeHelper::RefreshLine()
{
    COLORREF color = FIsActive ? FActiveColor : GetSysColor(COLOR_GRAYTEXT);
    FShape->SetBrushColor(color);
    FShape->SetPenColor(color);
    bool visible = FForm->BorderStyle() != TBorderStyle::None;
    if (FShape->Visible() != visible)
        FShape->SetVisible(visible);
}
