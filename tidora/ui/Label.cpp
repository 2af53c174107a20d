#include "Label.h"

#include "Win32Handles.h"

namespace {

constexpr wchar_t ClassName[] = L"TidoraLabel";

}  // namespace

TLabel::TLabel(TComponent* owner, TControl* parent, std::wstring name) : TControl(owner, parent, std::move(name))
{
    RegisterControlClass(ClassName);
    CreateHandle(ClassName, 0, 0);
}

void TLabel::SetCentered(bool centered)
{
    FCentered = centered;
    Invalidate();
}

void TLabel::SetFontColor(COLORREF color)
{
    FFontColor = color;
    Invalidate();
}

void TLabel::Paint(HDC dc, const RECT& client)
{
    std::wstring text = Text();
    RECT area = client;
    TSelectObjectScope selection(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(Handle()) ? FFontColor : GetSysColor(COLOR_GRAYTEXT));
    UINT format = DT_WORDBREAK | DT_NOPREFIX | (FCentered ? DT_CENTER : DT_LEFT);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
}
