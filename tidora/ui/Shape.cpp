#include "Shape.h"

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
    HBRUSH brush = CreateSolidBrush(FBrush);
    HPEN pen = CreatePen(PS_SOLID, 1, FPen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Rectangle(dc, client.left, client.top, client.right, client.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}
