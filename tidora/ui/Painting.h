// Small painting helpers of the toolkit. Any thread may call them on a DC
// it owns.
#pragma once

#include <windows.h>

// Fills `rect` with one colour through the DC's own brush, so no brush is
// made and none has to be deleted.
void FillSolidRect(HDC dc, const RECT& rect, COLORREF color);
