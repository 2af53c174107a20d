// A window object whose window is created when it is first needed. All
// windows of the framework share one window procedure and route their
// messages to the object.
#pragma once

#include "RefObject.h"

#include <windows.h>

#include <functional>
#include <string>

class TControl;
class TMenu;
class TPtrList;

// A handler in a control's chain: answers whether it handled the message;
// `result` is what the window procedure returns then.
using MessageHandler = bool (*)(TControl* sender, MSG& message, LRESULT& result);
using MessageEvent = std::function<bool(TControl* sender, MSG& message, LRESULT& result)>;

// Passed to a child control's window instead of WM_COMMAND from it, and added
// to WM_CTLCOLOR* messages passed to the child that sent them.
constexpr UINT ChildCommandMessage = 0xB005;
constexpr UINT ChildColorMessageOffset = 0xBC00;

// A colour value with the top bit set names a system colour (low 7 bits).
constexpr DWORD SystemColor(int index) { return 0x80000000u | static_cast<DWORD>(index); }
COLORREF ResolveColor(DWORD color);

class TControl : public TRefObject {
public:
    // A top-level window (application window, form); `kindName` makes the
    // class name "obj_" + kindName unless SetWindowClassName names one.
    TControl(const wchar_t* kindName, UINT classStyle, DWORD style, DWORD exStyle);

    // Attaches the new control to `parent` and takes its background colour.
    void InitWithParent(TControl* parent);

    HWND Handle() const { return handle_; }
    // The window, created first if it does not exist yet (null if that fails).
    HWND GetHandle();
    TControl* Parent() const { return parent_; }
    int ChildCount() const;
    TControl* Child(int index) const;
    bool IsChildWindow() const { return isChild_; }

    void SetSize(int width, int height);
    void SetTop(int top);
    void SetLeft(int left);
    void SetBounds(const RECT& bounds);
    RECT Bounds() const { return bounds_; }
    void SetVisible(bool visible);
    bool Visible() const { return (style_ & WS_VISIBLE) != 0; }
    void SetCaption(const std::wstring& caption);
    std::wstring Caption() const;
    void SetWindowClassName(const std::wstring& name);
    std::wstring WindowClassName() const;

    UINT ClassStyle() const { return classStyle_; }
    DWORD Style() const { return style_; }
    DWORD ExStyle() const { return exStyle_; }
    DWORD TextColor() const { return textColor_; }
    DWORD BackColor() const { return backColor_; }
    void SetBackColor(DWORD color) { backColor_ = color; }

    // Icon for WM_SETICON; an owned icon is destroyed with the control.
    void SetIcon(HICON icon, bool owned);
    HICON Icon() const { return icon_; }

    // Menu bar used when the window is created (set at once when it exists).
    void SetMenuBar(HMENU menu);
    HMENU MenuBar() const { return menuBar_; }
    TMenu* FirstMenu() const { return firstMenu_; }
    void SetFirstMenu(TMenu* menu) { firstMenu_ = menu; }

    // For the application window: the form that last had the focus.
    TControl* ActiveForm() const { return activeForm_; }
    void SetActiveForm(TControl* form) { activeForm_ = form; }

    // Handler chain, run newest first. A run-while-terminating handler still
    // runs once the loop is ending.
    void AttachHandler(MessageHandler handler, bool runWhileTerminating = false);
    void DetachHandler(MessageHandler handler);
    bool HasHandler(MessageHandler handler) const;

    MessageEvent OnMessage;                        // sees every message before the chain
    std::function<void(TControl*)> AfterCreate;    // runs once the window exists

    virtual void CreateHandle();
    virtual LRESULT WndProc(MSG& message);

    // The object of one of the framework's windows, or null.
    static TControl* FromHandle(HWND window);

protected:
    void Destroy() override;
    LRESULT DefaultProcessing(const MSG& message);
    LRESULT DefaultHandling(MSG& message);

private:
    bool RunChain(MSG& message, LRESULT& result);
    void ApplyBounds();
    bool IsMainWindowOfLoop() const;

    friend LRESULT CALLBACK SharedWindowProc(HWND, UINT, WPARAM, LPARAM);

    HWND handle_ = nullptr;
    TControl* parent_ = nullptr;
    TPtrList* children_ = nullptr;
    std::wstring kindName_;
    std::wstring className_;
    bool classNameExplicit_ = false;
    std::wstring caption_;
    UINT classStyle_;
    DWORD style_;
    DWORD exStyle_;
    RECT bounds_{};
    bool positionSet_ = false;
    bool isChild_ = false;
    bool dying_ = false;
    HICON icon_ = nullptr;
    bool iconOwned_ = false;
    HMENU menuBar_ = nullptr;
    TMenu* firstMenu_ = nullptr;
    WNDPROC previousWndProc_ = nullptr;
    TPtrList* chain_ = nullptr;
    TControl* activeForm_ = nullptr;
    DWORD textColor_ = SystemColor(COLOR_WINDOWTEXT);
    DWORD backColor_ = SystemColor(COLOR_BTNFACE);
};

LRESULT CALLBACK SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
