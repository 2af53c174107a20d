#include "Shape.h"

#include "Win32Handles.h"

namespace {

constexpr wchar_t ClassName[] = L"TidoraShape";

}  // namespace

TShape::TShape(TComponent* owner, TControl* parent, std::wstring name) : TControl(owner, parent, std::move(name))
{
    RegisterControlClass(ClassName);
    CreateHandle(ClassName, 0, 0);
}

void TShape::SetBrushColor(COLORREF color)
{
    FBrush = color;
    Invalidate();
}

void TShape::SetPenColor(COLORREF color)
{
    FPen = color;
    Invalidate();
}

void TShape::Paint(HDC dc, const RECT& client)
{
    TBrushHandle brush(CreateSolidBrush(FBrush));
    TPenHandle pen(CreatePen(PS_SOLID, 1, FPen));
    TSelectObjectScope brushSelection(dc, brush.Get());
    TSelectObjectScope penSelection(dc, pen.Get());
    Rectangle(dc, client.left, client.top, client.right, client.bottom);
}
