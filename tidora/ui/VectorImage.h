// An image drawn from vector shapes, so it is sharp at any DPI. When it has
// a click handler it acts as a button: Tab reaches it, Space and Enter
// press it, and its window text names it for screen readers.
#pragma once

#include "Control.h"

#include <functional>

class TVectorImage : public TControl {
public:
    // Draws into `rect` of `dc`; `scale` is the DPI divided by 96.
    using TDrawer = std::function<void(HDC dc, const RECT& rect, float scale)>;

    TVectorImage(TComponent* owner, TControl* parent, std::wstring name);

    void SetDrawer(TDrawer drawer);
    void SetHandCursor(bool hand) { FHandCursor = hand; }
    TNotifyEvent OnClick;
    void Click();
    void PaintTo(HDC dc);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void Command(WORD code) override;

private:
    void Draw(HDC dc, const RECT& rect, bool focusShown);

    TDrawer FDrawer;
    bool FHandCursor = false;
};
