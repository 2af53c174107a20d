#include "Control.h"

#include "AppState.h"
#include "PtrList.h"

namespace {

struct ChainEntry {
    MessageHandler handler;
    bool runWhileTerminating;
};

HINSTANCE ModuleInstance()
{
    return GetModuleHandleW(nullptr);
}

}  // namespace

COLORREF ResolveColor(DWORD color)
{
    if (color & 0x80000000u)
        return GetSysColor(static_cast<int>(color & 0x7F));
    return color;
}

TControl::TControl(const wchar_t* kindName, UINT classStyle, DWORD style, DWORD exStyle)
    : FKindName(kindName), FClassStyle(classStyle), FStyle(style), FExStyle(exStyle)
{
}

void TControl::InitWithParent(TControl* parent)
{
    FParent = parent;
    if (!parent)
        return;
    FBackColor = parent->FBackColor;
    if (!parent->FChildren)
        parent->FChildren = MakeList();
    parent->FChildren->Add(this);
}

int TControl::ChildCount() const
{
    return FChildren ? FChildren->Count() : 0;
}

TControl* TControl::Child(int index) const
{
    return FChildren ? static_cast<TControl*>(FChildren->Item(index)) : nullptr;
}

HWND TControl::GetHandle()
{
    if (!FHandle)
        CreateHandle();
    return FHandle;
}

TControl* TControl::FromHandle(HWND window)
{
    if (!window || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) != &SharedWindowProc)
        return nullptr;
    return reinterpret_cast<TControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// --- properties ------------------------------------------------------------

void TControl::ApplyBounds()
{
    if (FHandle)
        SetWindowPos(FHandle, nullptr, FBounds.left, FBounds.top, FBounds.right - FBounds.left,
                     FBounds.bottom - FBounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A dimension of 0 or less leaves that dimension as it is.
void TControl::SetSize(int width, int height)
{
    if (width > 0)
        FBounds.right = FBounds.left + width;
    if (height > 0)
        FBounds.bottom = FBounds.top + height;
    ApplyBounds();
}

void TControl::SetTop(int top)
{
    int height = FBounds.bottom - FBounds.top;
    FBounds.top = top;
    FBounds.bottom = top + height;
    FPositionSet = true;
    ApplyBounds();
}

void TControl::SetLeft(int left)
{
    int width = FBounds.right - FBounds.left;
    FBounds.left = left;
    FBounds.right = left + width;
    FPositionSet = true;
    ApplyBounds();
}

void TControl::SetBounds(const RECT& bounds)
{
    FBounds = bounds;
    FPositionSet = true;
    ApplyBounds();
}

void TControl::SetVisible(bool visible)
{
    if (visible)
        FStyle |= WS_VISIBLE;
    else
        FStyle &= ~static_cast<DWORD>(WS_VISIBLE);
    if (FHandle)
        ShowWindow(FHandle, visible ? SW_SHOW : SW_HIDE);
}

void TControl::SetCaption(const std::wstring& caption)
{
    FCaption = caption;
    if (FHandle)
        SendMessageW(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(FCaption.c_str()));
}

std::wstring TControl::Caption() const
{
    if (!FHandle)
        return FCaption;
    int length = GetWindowTextLengthW(FHandle);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    length = GetWindowTextW(FHandle, text.data(), length + 1);
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
}

// An explicitly named class gets no "obj_" prefix.
void TControl::SetWindowClassName(const std::wstring& name)
{
    FClassName = name;
    FClassNameExplicit = true;
}

std::wstring TControl::WindowClassName() const
{
    return FClassNameExplicit ? FClassName : L"obj_" + FKindName;
}

void TControl::SetIcon(HICON icon, bool owned)
{
    // The icon handed in again is kept alive, whatever `owned` says now.
    if (FOwnedIcon.Get() == icon)
        FOwnedIcon.Release();
    FOwnedIcon.Reset(owned ? icon : nullptr);
    FIcon = icon;
    if (FHandle && !FIsChild)
        SendMessageW(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon));
}

void TControl::SetMenuBar(HMENU menu)
{
    FMenuBar = menu;
    if (FHandle && !FIsChild)
        SetMenu(FHandle, menu);
}

// --- handler chain ---------------------------------------------------------

void TControl::AttachHandler(MessageHandler handler, bool runWhileTerminating)
{
    if (!FChain)
        FChain = MakeList();
    FChain->Add(new ChainEntry{handler, runWhileTerminating});
}

void TControl::DetachHandler(MessageHandler handler)
{
    if (!FChain)
        return;
    for (int i = FChain->Count() - 1; i >= 0; --i) {
        auto* entry = static_cast<ChainEntry*>(FChain->Item(i));
        if (entry->handler == handler) {
            FChain->DeleteRange(i, 1);
            delete entry;
            return;
        }
    }
}

bool TControl::HasHandler(MessageHandler handler) const
{
    if (!FChain)
        return false;
    for (int i = 0; i < FChain->Count(); ++i)
        if (static_cast<ChainEntry*>(FChain->Item(i))->handler == handler)
            return true;
    return false;
}

// Newest handler first. A handler may attach or detach handlers while the
// chain runs, so each entry is read afresh and copied before its call.
bool TControl::RunChain(MSG& message, LRESULT& result)
{
    if (!FChain)
        return false;
    bool terminated = AppState().terminated;
    for (int i = FChain->Count() - 1; i >= 0; --i) {
        if (i >= FChain->Count())
            continue;
        ChainEntry entry = *static_cast<ChainEntry*>(FChain->Item(i));
        if (terminated && !entry.runWhileTerminating)
            continue;
        if (entry.handler(this, message, result))
            return true;
    }
    return false;
}

// --- window creation -------------------------------------------------------

void TControl::CreateHandle()
{
    if (FHandle || FDying || IsDestroying())
        return;
    HWND parentWindow = nullptr;
    if (FParent) {
        parentWindow = FParent->GetHandle();
        if (FHandle)  // made together with the parent's window
            return;
    }

    HINSTANCE instance = ModuleInstance();
    std::wstring className = WindowClassName();
    WNDCLASSW existing{};
    if (!GetClassInfoW(instance, className.c_str(), &existing)) {
        WNDCLASSW wc{};
        wc.style = FClassStyle;
        wc.lpfnWndProc = &SharedWindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = className.c_str();
        if (!RegisterClassW(&wc))
            return;
    }

    int width = FBounds.right - FBounds.left;
    int height = FBounds.bottom - FBounds.top;
    if (width == 0)
        width = CW_USEDEFAULT;
    if (height == 0)
        height = CW_USEDEFAULT;
    int x = FBounds.left;
    int y = FBounds.top;
    if (!FIsChild && !FPositionSet)
        x = y = CW_USEDEFAULT;

    TAppState& state = AppState();
    TControl* outer = state.creating;
    state.creating = this;
    HWND window = CreateWindowExW(FExStyle, className.c_str(), FCaption.c_str(), FStyle, x, y, width, height,
                                  parentWindow, FIsChild ? nullptr : FMenuBar, instance, nullptr);
    state.creating = outer;
    if (!window) {
        FHandle = nullptr;
        return;
    }
    FHandle = window;

    SendMessageW(window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    // A top-level window shows its own icon, else a copy of the application
    // window's (which is the program's main icon).
    if (!FIsChild) {
        TControl* app = state.appWindow;
        if (!FIcon && app && app != this && app->FIcon) {
            FOwnedIcon.Reset(static_cast<HICON>(CopyImage(app->FIcon, IMAGE_ICON, 0, 0, 0)));
            FIcon = FOwnedIcon.Get();
        }
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon));
    }

    if (AfterCreate)
        AfterCreate(this);
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->CreateHandle();
}

// --- message handling ------------------------------------------------------

LRESULT CALLBACK SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* object = reinterpret_cast<TControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    TAppState& state = AppState();
    if (!object && state.creating && !state.creating->FHandle) {
        // The first message of a window under construction binds it to its object.
        object = state.creating;
        object->FHandle = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    }
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    if (object)
        return object->WndProc(msg);
    if (state.appWindow)
        return state.appWindow->WndProc(msg);
    return DefWindowProcW(window, message, wParam, lParam);
}

// The object is held while it handles a message, so that a handler may close
// its own window: the object then dies once the message is done.
LRESULT TControl::WndProc(MSG& message)
{
    TAppState& state = AppState();
    LRESULT result = 0;
    Hold();
    bool handled = false;
    if (state.loopRunning && state.appWindow && state.appWindow != this && state.appWindow->OnMessage)
        handled = state.appWindow->OnMessage(state.appWindow, message, result);
    if (!handled && OnMessage)
        handled = OnMessage(this, message, result);
    if (!handled)
        handled = RunChain(message, result);
    if (!handled)
        result = DefaultHandling(message);
    Release();
    return result;
}

LRESULT TControl::DefaultProcessing(const MSG& message)
{
    if (FPreviousWndProc)
        return CallWindowProcW(FPreviousWndProc, message.hwnd, message.message, message.wParam, message.lParam);
    return DefWindowProcW(message.hwnd, message.message, message.wParam, message.lParam);
}

bool TControl::IsMainWindowOfLoop() const
{
    TControl* app = AppState().appWindow;
    return app && (app == this || app->Child(0) == this);
}

LRESULT TControl::DefaultHandling(MSG& message)
{
    TAppState& state = AppState();
    const bool own = message.hwnd == FHandle && FHandle;
    switch (message.message) {
    case WM_DESTROY:
        if (own) {
            FDying = true;
            LRESULT result = DefaultProcessing(message);
            if (state.appWindow == this)
                state.appWindow = nullptr;
            Release();
            return result;
        }
        break;
    case WM_SETFOCUS:
        if (!IsWindowEnabled(message.hwnd))
            return 0;
        SetFocus(message.hwnd);
        break;
    case WM_CLOSE:
        // Closing the application window or its main form ends the loop; any
        // other form is only destroyed (by the default processing).
        if (own && IsMainWindowOfLoop()) {
            PostQuitMessage(0);
            state.terminated = true;
        }
        break;
    case WM_NOTIFYFORMAT:
        if (message.lParam == NF_QUERY)
            return NFR_UNICODE;
        break;
    case WM_NCDESTROY:
        if (own) {
            SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
            FHandle = nullptr;
        }
        break;
    case WM_COMMAND:
        if (message.lParam) {
            HWND child = reinterpret_cast<HWND>(message.lParam);
            if (FromHandle(child))
                return SendMessageW(child, ChildCommandMessage, message.wParam, message.lParam);
        }
        break;
    case WM_SYSCOMMAND:
        if ((message.wParam & 0xFFF0) == SC_MINIMIZE && own && state.appWindow && state.appWindow != this &&
            state.appWindow->Child(0) == this && state.appWindow->FHandle) {
            PostMessageW(state.appWindow->FHandle, WM_SYSCOMMAND, message.wParam, message.lParam);
            return 0;
        }
        break;
    default:
        if (message.message >= WM_CTLCOLORMSGBOX && message.message <= WM_CTLCOLORSTATIC) {
            HWND child = reinterpret_cast<HWND>(message.lParam);
            if (FromHandle(child))
                return SendMessageW(child, message.message + ChildColorMessageOffset, message.wParam,
                                    message.lParam);
        }
        break;
    }
    // Keyboard messages (WM_KEYFIRST..WM_KEYLAST) get the default processing:
    // the framework has no child control kinds to move the focus between.
    return DefaultProcessing(message);
}

// --- destruction -----------------------------------------------------------

void TControl::Destroy()
{
    TAppState& state = AppState();
    if (state.appWindow == this)
        state.appWindow = nullptr;
    if (state.creating == this)
        state.creating = nullptr;

    // Children whose windows still exist die with their windows; the others
    // are released here.
    if (FChildren) {
        TPtrList* children = FChildren;
        FChildren = nullptr;
        while (children->Count() > 0) {
            auto* child = static_cast<TControl*>(children->Item(0));
            children->DeleteRange(0, 1);
            child->FParent = nullptr;
            if (child->FHandle && !child->FDying)
                DestroyWindow(child->FHandle);
            else if (!child->FHandle && !child->IsDestroying())
                child->Release();
        }
        children->Release();
    }
    if (FParent) {
        if (FParent->FChildren)
            FParent->FChildren->Remove(this);
        if (FParent->FActiveForm == this)
            FParent->FActiveForm = nullptr;
        FParent = nullptr;
    }

    // The window no longer reaches this object; one that is not already being
    // destroyed is destroyed now.
    if (FHandle) {
        HWND window = FHandle;
        FHandle = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (!FDying)
            DestroyWindow(window);
    }
    FOwnedIcon.Reset();
    FIcon = nullptr;
    if (FChain) {
        for (int i = 0; i < FChain->Count(); ++i)
            delete static_cast<ChainEntry*>(FChain->Item(i));
        FChain->Release();
        FChain = nullptr;
    }

    TRefObject::Destroy();
}
