// A push button drawn by a button style family (ButtonStyle.h). It is a
// real BUTTON window: Tab reaches it, Space and Enter press it, and its
// window text is its caption. A button with a group index stays down when
// pressed (SetDown) and releases the other buttons of its group.
#pragma once

#include "ButtonStyle.h"
#include "Control.h"

// The state a button is drawn in: disabled over pressed (or down) over hot
// (under the mouse) over selected (keyboard focus shown) over normal.
TButtonState ChooseButtonState(bool enabled, bool pushed, bool down, bool hot, bool focused);

class TStyledButton : public TControl {
public:
    TStyledButton(TComponent* owner, TControl* parent, std::wstring name);

    bool HasCaption() const override { return true; }
    std::wstring Caption() const override { return Text(); }
    void SetCaption(const std::wstring& caption) override { SetText(caption); }

    void SetStyle(const std::wstring& family, const std::wstring& styleClass, const std::wstring& appearance);
    const std::wstring& StyleFamily() const { return FFamily; }
    const std::wstring& StyleAppearance() const { return FAppearance; }
    void SetShape(TButtonShape shape, int radius);

    bool Down() const { return FDown; }
    void SetDown(bool down);
    void SetGroupIndex(int group) { FGroup = group; }
    int GroupIndex() const { return FGroup; }

    TNotifyEvent OnClick;
    void Click();

    // The state the button would be drawn in now, and its attributes.
    TButtonState State() const;
    TButtonStateStyle CurrentStyle() const;
    // Draws the button as it looks now (for printing and checks).
    void PaintTo(HDC dc);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void Command(WORD code) override;

private:
    void DrawFace(HDC dc, const RECT& rect, TButtonState state);

    std::wstring FFamily, FClass, FAppearance;
    TButtonStyles FStyles;
    TButtonShape FShape = TButtonShape::RoundRect;
    int FRadius = 4;
    bool FDown = false;
    bool FHot = false;
    int FGroup = 0;
};
