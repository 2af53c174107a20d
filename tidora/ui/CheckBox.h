// A check box: a real BUTTON window with the check-box style, so Tab and
// Space reach it and its window text is its caption. Its background is the
// colour of its parent. Window thread only.
#pragma once

#include "Control.h"

class TCheckBox : public TControl {
public:
    TCheckBox(TComponent* owner, TControl* parent, std::wstring name);

    bool HasCaption() const override { return true; }
    std::wstring Caption() const override { return Text(); }
    void SetCaption(const std::wstring& caption) override { SetText(caption); }

    bool Checked() const;
    // Changes the mark without running OnClick.
    void SetChecked(bool checked);

    // The user changed the mark (mouse or keyboard).
    TNotifyEvent OnClick;

protected:
    void Command(WORD code) override;
    HBRUSH ControlColor(HDC dc) override;
};
