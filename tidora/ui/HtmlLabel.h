// A label showing text in the HTML dialect of HtmlText.h. Its window text
// is the plain text without tags, as screen readers should read it; the
// caption is the marked-up text.
#pragma once

#include "Control.h"
#include "HtmlText.h"

class THtmlLabel : public TControl {
public:
    THtmlLabel(TComponent* owner, TControl* parent, std::wstring name);

    bool HasCaption() const override { return true; }
    std::wstring Caption() const override { return FHtml; }
    void SetCaption(const std::wstring& html) override;

    // The content sits in the middle of the label's height.
    void SetCenteredVertically(bool centered);
    void SetFontColor(COLORREF color);

protected:
    bool PaintsItself() const override { return true; }
    void Paint(HDC dc, const RECT& client) override;

private:
    std::wstring FHtml;
    THtmlText FContent;
    bool FCenteredVertically = false;
    COLORREF FFontColor = RGB(0, 0, 0);
};
