// A control is a component with a window. Its size and position are kept
// at 96 dpi and scaled to the DPI of its form; containers lay out their
// children by alignment (top, bottom, left, right, client) or by position.
//
// Every message of a control's window goes through WndProc inside the event
// guard (EventGuard.h). Containers pass the notifications of child windows
// (WM_COMMAND, WM_DRAWITEM, WM_NOTIFY) back to the child's object.
#pragma once

#include "Component.h"
#include "Dpi.h"
#include "Win32Handles.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class TControl;
class TForm;

using TNotifyEvent = std::function<void(TComponent* sender)>;

enum class TAlign { None, Top, Bottom, Left, Right, Client };

struct TEdges {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// A font at 96 dpi: Height is the character height in pixels.
struct TFontSpec {
    std::wstring Face;
    int Height = 0;
    int Weight = FW_NORMAL;
    BYTE Quality = DEFAULT_QUALITY;
};

class TControl : public TComponent {
public:
    ~TControl() override;

    HWND Handle() const { return FHandle; }
    static TControl* FromHandle(HWND window);

    TControl* Parent() const { return FParent; }
    void SetParent(TControl* parent);
    const std::vector<TControl*>& Controls() const { return FControls; }
    TForm* ParentForm() const;

    // Geometry at 96 dpi.
    void SetBounds(int left, int top, int width, int height);
    int Left() const { return FBounds.left; }
    int Top() const { return FBounds.top; }
    int Width() const { return FBounds.right - FBounds.left; }
    int Height() const { return FBounds.bottom - FBounds.top; }
    void SetAlign(TAlign align);
    TAlign Align() const { return FAlign; }
    void SetMargins(const TEdges& margins);
    void SetPadding(const TEdges& padding);
    // Puts this control first among its siblings when they are aligned.
    void MoveToAlignFront();

    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    COLORREF Color() const;
    void SetColor(COLORREF color);
    void SetFont(const TFontSpec& font);
    // The own font (made for the current DPI), else the parent's. The
    // control owns it; it stays valid until the next RefreshScale.
    HFONT Font() const;

    virtual UINT Dpi() const;
    int Scale(int value) const { return ScaleForDpi(value, Dpi()); }

    std::wstring Text() const;
    void SetText(const std::wstring& text);

    void Invalidate();
    // Positions the children; called on every size change.
    void Realign();
    // The form's DPI or the desktop font changed: fonts are made anew and
    // everything is laid out again.
    void RefreshScale();

protected:
    TControl(TComponent* owner, TControl* parent, std::wstring name);

    // Registers a window class whose messages only this toolkit handles,
    // once per class name and process.
    static void RegisterControlClass(const wchar_t* className, HCURSOR cursor = nullptr, UINT classStyle = 0);
    // Makes the window (a child of the parent's window, or top-level without
    // a parent) and routes its messages to WndProc.
    void CreateHandle(const wchar_t* className, DWORD style, DWORD exStyle, const std::wstring& text = {});

    // Destroys the window; its messages get only default handling from now
    // on. Destructors of derived classes call it while their parts still exist.
    void DestroyHandle();

    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // For controls that click: Enter on the focused control clicks it
    // instead of going to the form. The answer when the message was handled.
    std::optional<LRESULT> ClickOnReturn(UINT message, WPARAM wParam, LPARAM lParam,
                                         const std::function<void()>& click);

    // Controls of the toolkit's own window classes paint here: into an
    // off-screen bitmap already filled with Color().
    virtual bool PaintsItself() const { return false; }
    virtual void Paint(HDC, const RECT&) {}
    // Notifications of this control's own window, passed back by the parent.
    virtual void DrawItem(const DRAWITEMSTRUCT&) {}
    virtual void Command(WORD) {}
    virtual bool Notify(NMHDR*, LRESULT&) { return false; }
    // WM_CTLCOLORSTATIC / WM_CTLCOLORBTN of this control's own window, passed
    // back by the parent: the brush for its background, or null for the default.
    virtual HBRUSH ControlColor(HDC) { return nullptr; }
    // Lays the visible children out in `area` (client coordinates).
    virtual void ArrangeControls(RECT area);
    virtual void ScaleChanged() {}
    // The font this control has of its own at `dpi`; none when it uses its
    // parent's.
    virtual std::optional<LOGFONTW> OwnFont(UINT dpi) const;

    void PlaceChild(TControl& child, const RECT& rect);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    void Detach();

    HWND FHandle = nullptr;
    TControl* FParent = nullptr;
    std::vector<TControl*> FControls;
    RECT FBounds{0, 0, 0, 0};
    TAlign FAlign = TAlign::None;
    TEdges FMargins, FPadding;
    bool FVisible = true;
    bool FDestroying = false;
    std::optional<COLORREF> FColor;
    std::optional<TFontSpec> FFontSpec;
    mutable TFontHandle FFont;
    mutable UINT FFontDpi = 0;
    // Fonts replaced outside RefreshScale that windows may still hold.
    mutable std::vector<TFontHandle> FRetiredFonts;
};
