// A top-level window: caption, border, client size at 96 dpi scaled to the
// monitor's DPI (following WM_DPICHANGED), and the desktop font.
#pragma once

#include "Control.h"

#include <functional>
#include <string>

enum class TBorderStyle { None, Single, Sizeable };

class TForm : public TControl {
public:
    // Registers the window class `className` and makes the window, hidden.
    TForm(TComponent* owner, const std::wstring& className, std::wstring name);
    ~TForm() override;

    bool HasCaption() const override { return true; }
    std::wstring Caption() const override { return Text(); }
    void SetCaption(const std::wstring& caption) override { SetText(caption); }

    void SetClientSize(int width, int height);
    int ClientWidth() const { return FClientWidth; }
    int ClientHeight() const { return FClientHeight; }
    void SetBorderStyle(TBorderStyle style);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderIcons(bool minimize, bool maximize);
    // Replaces the designed font with the system's icon-title font and
    // follows it when the system font changes.
    void UseDesktopFont();
    UINT Dpi() const override { return FDpi; }

    // Shows the form centred on the primary screen.
    void Show();
    // Asks the form to close; it closes when its thread next reads messages.
    void Close();

protected:
    // Asked before the form closes; false keeps it open.
    virtual bool FormCloseQuery() { return true; }
    virtual void FormClose() {}
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PaintsItself() const override { return true; }
    std::optional<LOGFONTW> OwnFont(UINT dpi) const override;

private:
    DWORD WindowStyle() const;
    void ApplySize(const RECT* suggested);

    UINT FDpi = DesignDpi;
    int FClientWidth = 0, FClientHeight = 0;
    TBorderStyle FBorderStyle = TBorderStyle::Single;
    bool FMinimizeBox = true, FMaximizeBox = true;
    bool FDesktopFont = false;
    HWND FLastFocus = nullptr;
};
