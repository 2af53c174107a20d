// A window object whose window is created when it is first needed. All
// windows of the framework share one window procedure and route their
// messages to the object.
#pragma once

#include "Handles.h"
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

    HWND Handle() const { return FHandle; }
    // The window, created first if it does not exist yet (null if that fails).
    HWND GetHandle();
    TControl* Parent() const { return FParent; }
    int ChildCount() const;
    TControl* Child(int index) const;
    bool IsChildWindow() const { return FIsChild; }

    void SetSize(int width, int height);
    void SetTop(int top);
    void SetLeft(int left);
    void SetBounds(const RECT& bounds);
    RECT Bounds() const { return FBounds; }
    void SetVisible(bool visible);
    bool Visible() const { return (FStyle & WS_VISIBLE) != 0; }
    void SetCaption(const std::wstring& caption);
    std::wstring Caption() const;
    void SetWindowClassName(const std::wstring& name);
    std::wstring WindowClassName() const;

    UINT ClassStyle() const { return FClassStyle; }
    DWORD Style() const { return FStyle; }
    DWORD ExStyle() const { return FExStyle; }
    DWORD TextColor() const { return FTextColor; }
    DWORD BackColor() const { return FBackColor; }
    void SetBackColor(DWORD color) { FBackColor = color; }

    // Icon for WM_SETICON; an owned icon is destroyed with the control.
    void SetIcon(HICON icon, bool owned);
    HICON Icon() const { return FIcon; }

    // Menu bar used when the window is created (set at once when it exists).
    void SetMenuBar(HMENU menu);
    HMENU MenuBar() const { return FMenuBar; }
    TMenu* FirstMenu() const { return FFirstMenu; }
    void SetFirstMenu(TMenu* menu) { FFirstMenu = menu; }

    // For the application window: the form that last had the focus.
    TControl* ActiveForm() const { return FActiveForm; }
    void SetActiveForm(TControl* form) { FActiveForm = form; }

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

    HWND FHandle = nullptr;
    TControl* FParent = nullptr;
    TPtrList* FChildren = nullptr;
    std::wstring FKindName;
    std::wstring FClassName;
    bool FClassNameExplicit = false;
    std::wstring FCaption;
    UINT FClassStyle;
    DWORD FStyle;
    DWORD FExStyle;
    RECT FBounds{};
    bool FPositionSet = false;
    bool FIsChild = false;
    bool FDying = false;
    HICON FIcon = nullptr;     // the window's icon, owned or not
    TIconHandle FOwnedIcon;    // FIcon when this object destroys it
    HMENU FMenuBar = nullptr;
    TMenu* FFirstMenu = nullptr;
    WNDPROC FPreviousWndProc = nullptr;
    TPtrList* FChain = nullptr;
    TControl* FActiveForm = nullptr;
    DWORD FTextColor = SystemColor(COLOR_WINDOWTEXT);
    DWORD FBackColor = SystemColor(COLOR_BTNFACE);
};

LRESULT CALLBACK SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
