#include "Painting.h"

// The DC brush colour is put back afterwards: the caller may fill with the
// DC brush itself.
void FillSolidRect(HDC dc, const RECT& rect, COLORREF color)
{
    COLORREF previous = SetDCBrushColor(dc, color);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (previous != CLR_INVALID)
        SetDCBrushColor(dc, previous);
}
