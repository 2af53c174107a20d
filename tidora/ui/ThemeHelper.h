// Marks a form: asks Windows for a dark title bar and draws a two-pixel
// accent line along the top of the client area, blue while the form is
// active and grey while it is not. Owned by the form it decorates.
#pragma once

#include "Component.h"

#include <windows.h>

class TForm;
class TShape;

class TThemeHelper : public TComponent {
public:
    // Throws std::invalid_argument when the owner is not a form.
    explicit TThemeHelper(TComponent* owner);
    ~TThemeHelper() override;

    bool IsActive() const { return FIsActive; }
    TShape* Line() const { return FShape; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
    void RefreshLine();

    TForm* FForm;
    COLORREF FActiveColor;
    bool FIsActive;
    TShape* FShape;
    bool FAttached = false;
};
